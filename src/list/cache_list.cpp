#include "list/cache_list.h"

#include <algorithm>
#include <utility>

#include "list/entry_order.h"

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

void CacheList::AppendRow(std::string_view text, const std::string_view* recordRest,
                          unsigned char folder) {
    const std::size_t recordSize = recordRest != nullptr ? 1 + recordRest->size() : 0;
    char* bytes = Store(text.size() + recordSize);
    std::copy(text.begin(), text.end(), bytes);
    if (recordRest != nullptr) {
        bytes[text.size()] = static_cast<char>(folder);
        std::copy(recordRest->begin(), recordRest->end(), bytes + text.size() + 1);
    }
    rows_.push_back(
        Row{bytes, static_cast<std::uint32_t>(text.size()),
            recordRest != nullptr ? static_cast<std::uint32_t>(recordRest->size()) : kNoRecord});
    ++revision_;
}

unsigned char CacheList::FolderIndex(std::string_view folder) {
    for (std::size_t i = folders_.size(); i-- > 0;) {
        if (folders_[i] == folder) {
            return static_cast<unsigned char>(i);
        }
    }
    if (folders_.size() == kNoFolder) {
        return kNoFolder;
    }
    folders_.emplace_back(folder);
    return static_cast<unsigned char>(folders_.size() - 1);
}

void CacheList::Append(std::string_view text, std::optional<std::string_view> record) {
    AppendRow(text, record ? &*record : nullptr, kNoFolder);
}

void CacheList::Append(std::string_view text, std::string_view recordFolder,
                       std::string_view recordRest) {
    const unsigned char folder = FolderIndex(recordFolder);
    if (folder != kNoFolder) {
        AppendRow(text, &recordRest, folder);
        return;
    }
    const std::string record = std::string(recordFolder).append(recordRest);
    const std::string_view whole = record;
    AppendRow(text, &whole, kNoFolder);
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

void CacheList::Insert(const std::vector<Insertion>& insertions) {
    if (insertions.empty()) {
        return;
    }
    SortAppended();
    // In place, from the back: every row moves once, and no second list of
    // rows is needed.
    std::size_t from = rows_.size();
    rows_.resize(rows_.size() + insertions.size());
    std::size_t to = rows_.size();
    for (auto insertion = insertions.rbegin(); insertion != insertions.rend(); ++insertion) {
        const auto before = static_cast<std::size_t>(std::max(insertion->before, 0));
        while (from > before) {
            rows_[--to] = rows_[--from];
        }
        char* bytes = Store(insertion->text.size());
        std::copy(insertion->text.begin(), insertion->text.end(), bytes);
        rows_[--to] = Row{bytes, static_cast<std::uint32_t>(insertion->text.size()), kNoRecord};
    }
    sorted_ = rows_.size();
    ++revision_;
}

void CacheList::Clear() {
    rows_.clear();
    folders_.clear();
    blocks_.clear();
    blockSize_ = 0;
    blockUsed_ = 0;
    sorted_ = 0;
    ++revision_;
}

std::string_view CacheList::Text(int index) const {
    const Row& row = rows_.at(static_cast<std::size_t>(index));
    return {row.bytes, row.textSize};
}

std::optional<std::string_view> CacheList::RecordEnd(int index, std::size_t count,
                                                     std::string& scratch) const {
    std::string_view folder;
    std::string_view rest;
    if (!RecordParts(index, folder, rest)) {
        return std::nullopt;
    }
    if (rest.size() < count && !folder.empty()) {
        scratch.assign(folder).append(rest);
        rest = scratch;
    }
    return rest.substr(rest.size() - std::min(count, rest.size()));
}

bool CacheList::RecordInto(int index, std::string& record) const {
    std::string_view folder;
    std::string_view rest;
    if (!RecordParts(index, folder, rest)) {
        return false;
    }
    record.assign(folder).append(rest);
    return true;
}

bool CacheList::RecordParts(int index, std::string_view& folder, std::string_view& rest) const {
    if (index < 0 || index >= Count()) {
        return false;
    }
    const Row& row = rows_[static_cast<std::size_t>(index)];
    if (row.recordSize == kNoRecord) {
        return false;
    }
    const auto kept = static_cast<unsigned char>(row.bytes[row.textSize]);
    folder = kept != kNoFolder ? std::string_view(folders_[kept]) : std::string_view();
    rest = {row.bytes + row.textSize + 1, row.recordSize};
    return true;
}

std::optional<std::string> CacheList::Record(int index) const {
    std::string record;
    if (!RecordInto(index, record)) {
        return std::nullopt;
    }
    return record;
}
