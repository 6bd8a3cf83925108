#pragma once

#include <vector>

class CacheList;

// What the window shows of the list, and which rows the user selected.
class ListView {
  public:
    virtual ~ListView() = default;
    // Shows the list's entries in one batch; nothing is selected afterwards.
    virtual void ShowEntries(const CacheList& list) = 0;
    // The selected rows, ascending.
    virtual std::vector<int> SelectedIndices() const = 0;
};
