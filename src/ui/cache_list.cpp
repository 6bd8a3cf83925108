#include "ui/cache_list.h"

#include <algorithm>
#include <utility>

#include "ui/entry_order.h"

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// The game writes its index in the order the files came in, so entries
// arrive in long sorted runs: merging the runs costs a fraction of a full sort.
template <typename Iterator, typename Before>
void SortMostlySorted(Iterator first, Iterator last, Before before) {
    const auto count = static_cast<std::size_t>(last - first);
    std::vector<std::size_t> runs{0};
    for (std::size_t i = 1; i < count; ++i) {
        if (before(first[i], first[i - 1])) {
            runs.push_back(i);
        }
    }
    runs.push_back(count);
    if (runs.size() > count / 16 + 2) {
        std::stable_sort(first, last, before);
        return;
    }
    const auto at = [first](std::size_t i) { return first + static_cast<std::ptrdiff_t>(i); };
    while (runs.size() > 2) {
        std::vector<std::size_t> merged{0};
        std::size_t k = 0;
        for (; k + 2 < runs.size(); k += 2) {
            std::inplace_merge(at(runs[k]), at(runs[k + 1]), at(runs[k + 2]), before);
            merged.push_back(runs[k + 2]);
        }
        if (k + 1 < runs.size() && merged.back() != runs.back()) {
            merged.push_back(runs.back());
        }
        runs = std::move(merged);
    }
}

}  // namespace

bool CacheList::RowBefore(const Row& a, const Row& b) {
    return CompareEntries({a.bytes, a.textSize}, {b.bytes, b.textSize}) < 0;
}

char* CacheList::Store(std::size_t size) {
    if (blocks_.empty() || blockSize_ - blockUsed_ < size) {
        blockSize_ = std::max(kBlockSize, size);
        blocks_.emplace_back(new char[blockSize_]);
        blockUsed_ = 0;
    }
    char* at = blocks_.back().get() + blockUsed_;
    blockUsed_ += size;
    return at;
}

void CacheList::Append(std::string_view text, std::optional<std::string_view> record) {
    const std::size_t recordSize = record ? record->size() : 0;
    char* bytes = Store(text.size() + recordSize);
    std::copy(text.begin(), text.end(), bytes);
    if (record) {
        std::copy(record->begin(), record->end(), bytes + text.size());
    }
    rows_.push_back(Row{bytes, static_cast<std::uint32_t>(text.size()),
                        record ? static_cast<std::uint32_t>(recordSize) : kNoRecord});
    KeepIfLongest(text);
    ++revision_;
}

void CacheList::SortAppended() {
    if (sorted_ == rows_.size()) {
        return;
    }
    const auto middle = rows_.begin() + static_cast<std::ptrdiff_t>(sorted_);
    SortMostlySorted(middle, rows_.end(), RowBefore);
    std::inplace_merge(rows_.begin(), middle, rows_.end(), RowBefore);
    sorted_ = rows_.size();
    ++revision_;
}

void CacheList::AddEntries(const std::vector<CacheListEntry>& entries) {
    for (const CacheListEntry& entry : entries) {
        Append(entry.text,
               entry.record ? std::optional<std::string_view>(*entry.record) : std::nullopt);
    }
    SortAppended();
}

void CacheList::Insert(const std::vector<Insertion>& insertions) {
    if (insertions.empty()) {
        return;
    }
    SortAppended();
    std::vector<Row> rows;
    rows.reserve(rows_.size() + insertions.size());
    std::size_t next = 0;
    for (const Insertion& insertion : insertions) {
        const auto asked = static_cast<std::size_t>(std::max(insertion.before, 0));
        const std::size_t before = std::clamp(asked, next, rows_.size());
        rows.insert(rows.end(), rows_.begin() + next, rows_.begin() + before);
        next = before;
        char* bytes = Store(insertion.text.size());
        std::copy(insertion.text.begin(), insertion.text.end(), bytes);
        rows.push_back(Row{bytes, static_cast<std::uint32_t>(insertion.text.size()), kNoRecord});
        KeepIfLongest(insertion.text);
    }
    rows.insert(rows.end(), rows_.begin() + next, rows_.end());
    rows_ = std::move(rows);
    sorted_ = rows_.size();
    ++revision_;
}

void CacheList::Clear() {
    rows_.clear();
    blocks_.clear();
    blockSize_ = 0;
    blockUsed_ = 0;
    sorted_ = 0;
    longest_.clear();
    ++revision_;
}

std::string_view CacheList::Text(int index) const {
    const Row& row = rows_.at(static_cast<std::size_t>(index));
    return {row.bytes, row.textSize};
}

std::optional<std::string_view> CacheList::Record(int index) const {
    if (index < 0 || index >= Count()) {
        return std::nullopt;
    }
    const Row& row = rows_[static_cast<std::size_t>(index)];
    if (row.recordSize == kNoRecord) {
        return std::nullopt;
    }
    return std::string_view(row.bytes + row.textSize, row.recordSize);
}

CacheListEntry CacheList::Entry(int index) const {
    const std::optional<std::string_view> record = Record(index);
    return CacheListEntry{std::string(Text(index)),
                          record ? std::optional<std::string>(*record) : std::nullopt};
}

std::vector<CacheListEntry> CacheList::Entries() const {
    std::vector<CacheListEntry> entries;
    entries.reserve(rows_.size());
    for (int i = 0; i < Count(); ++i) {
        entries.push_back(Entry(i));
    }
    return entries;
}

void CacheList::KeepIfLongest(std::string_view text) {
    if (longest_.size() == kLongestKept && text.size() <= longest_.back().size()) {
        return;
    }
    const auto at = std::upper_bound(
        longest_.begin(), longest_.end(), text.size(),
        [](std::size_t size, const std::string& kept) { return size > kept.size(); });
    longest_.insert(at, std::string(text));
    if (longest_.size() > kLongestKept) {
        longest_.pop_back();
    }
}
