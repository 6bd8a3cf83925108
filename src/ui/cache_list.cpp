#include "ui/cache_list.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "ui/entry_order.h"

namespace {

bool EntryBefore(const CacheListEntry& a, const CacheListEntry& b) {
    return CompareEntries(a.text, b.text) < 0;
}

// The game writes its index in the order the files came in, so entries
// arrive in long sorted runs: merging the runs costs a fraction of a full sort.
void SortMostlySorted(std::vector<CacheListEntry>& entries) {
    std::vector<std::size_t> runs{0};
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (EntryBefore(entries[i], entries[i - 1])) {
            runs.push_back(i);
        }
    }
    runs.push_back(entries.size());
    if (runs.size() > entries.size() / 16 + 2) {
        std::stable_sort(entries.begin(), entries.end(), EntryBefore);
        return;
    }
    const auto at = [&entries](std::size_t i) {
        return entries.begin() + static_cast<std::ptrdiff_t>(i);
    };
    while (runs.size() > 2) {
        std::vector<std::size_t> merged{0};
        std::size_t k = 0;
        for (; k + 2 < runs.size(); k += 2) {
            std::inplace_merge(at(runs[k]), at(runs[k + 1]), at(runs[k + 2]), EntryBefore);
            merged.push_back(runs[k + 2]);
        }
        if (k + 1 < runs.size() && merged.back() != runs.back()) {
            merged.push_back(runs.back());
        }
        runs = std::move(merged);
    }
}

}  // namespace

void CacheList::AddEntries(std::vector<CacheListEntry> entries) {
    if (entries.empty()) {
        return;
    }
    for (const CacheListEntry& entry : entries) {
        KeepIfLongest(entry.text);
    }
    SortMostlySorted(entries);
    if (entries_.empty()) {
        entries_ = std::move(entries);
    } else {
        const auto middle = static_cast<std::ptrdiff_t>(entries_.size());
        entries_.insert(entries_.end(), std::make_move_iterator(entries.begin()),
                        std::make_move_iterator(entries.end()));
        std::inplace_merge(entries_.begin(), entries_.begin() + middle, entries_.end(),
                           EntryBefore);
    }
    ++revision_;
}

void CacheList::Assign(std::vector<CacheListEntry> entries) {
    entries_ = std::move(entries);
    ++revision_;
}

std::vector<CacheListEntry> CacheList::Release() {
    ++revision_;
    return std::exchange(entries_, {});
}

void CacheList::Clear() {
    entries_.clear();
    longest_.clear();
    ++revision_;
}

void CacheList::KeepIfLongest(const std::string& text) {
    if (longest_.size() == kLongestKept && text.size() <= longest_.back().size()) {
        return;
    }
    const auto at = std::upper_bound(
        longest_.begin(), longest_.end(), text.size(),
        [](std::size_t size, const std::string& kept) { return size > kept.size(); });
    longest_.insert(at, text);
    if (longest_.size() > kLongestKept) {
        longest_.pop_back();
    }
}

const std::string* CacheList::Record(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    const auto& record = entries_[static_cast<std::size_t>(index)].record;
    return record ? &*record : nullptr;
}
