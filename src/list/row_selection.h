#pragma once

#include <vector>

// Which rows of the list the player selected. Selecting all rows or none
// costs the same whatever the list's length; every other answer costs what
// is selected (or, after selecting all, what was taken out again).
class RowSelection {
  public:
    // A list of `rowCount` rows with nothing selected.
    void Reset(int rowCount);

    void Toggle(int row);
    void SelectAll();
    void Clear();

    bool IsSelected(int row) const;
    // How many rows are selected.
    int Count() const;
    // The `n`th selected row counted from 0, -1 past the last.
    int NthSelected(int n) const;
    // The selected rows, ascending.
    std::vector<int> Indices() const;

  private:
    int rowCount_ = 0;
    // Every row counts as selected, except those listed below.
    bool all_ = false;
    // Rows whose state differs from `all_`, ascending.
    std::vector<int> toggled_;
};
