#include "list/row_selection.h"

#include <algorithm>

void RowSelection::Reset(int rowCount) {
    rowCount_ = rowCount;
    Clear();
}

void RowSelection::Toggle(int row) {
    if (row < 0 || row >= rowCount_) {
        return;
    }
    const auto at = std::lower_bound(toggled_.begin(), toggled_.end(), row);
    if (at != toggled_.end() && *at == row) {
        toggled_.erase(at);
    } else {
        toggled_.insert(at, row);
    }
}

void RowSelection::SelectAll() {
    all_ = true;
    toggled_.clear();
}

void RowSelection::Clear() {
    all_ = false;
    toggled_.clear();
}

bool RowSelection::IsSelected(int row) const {
    if (row < 0 || row >= rowCount_) {
        return false;
    }
    return all_ != std::binary_search(toggled_.begin(), toggled_.end(), row);
}

int RowSelection::Count() const {
    const int toggled = static_cast<int>(toggled_.size());
    return all_ ? rowCount_ - toggled : toggled;
}

int RowSelection::NthSelected(int n) const {
    if (n < 0 || n >= Count()) {
        return -1;
    }
    if (!all_) {
        return toggled_[static_cast<std::size_t>(n)];
    }
    // Past each row taken out at or before it, the answer moves on by one.
    int row = n;
    for (const int out : toggled_) {
        if (out > row) {
            break;
        }
        ++row;
    }
    return row;
}

std::vector<int> RowSelection::Indices() const {
    if (!all_) {
        return toggled_;
    }
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(Count()));
    auto skip = toggled_.begin();
    for (int row = 0; row < rowCount_; ++row) {
        if (skip != toggled_.end() && *skip == row) {
            ++skip;
        } else {
            rows.push_back(row);
        }
    }
    return rows;
}
