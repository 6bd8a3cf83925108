#pragma once

#include <vector>

class CacheList;

// What the window shows of the list, and which rows the user selected.
class ListView {
  public:
    virtual ~ListView() = default;
    // Shows the list from its first entries, nothing selected. A view may
    // read the entries from `list` whenever it draws them, until the next
    // call: the list is shown again before the window can repaint a change.
    virtual void ShowEntries(const CacheList& list) = 0;
    // The selected rows, ascending.
    virtual std::vector<int> SelectedIndices() const = 0;
};
