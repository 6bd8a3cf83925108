#include "ops/compact.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cache/cache_index_file.h"
#include "cache/cache_record.h"
#include "cache/cache_refresh.h"
#include "list/cache_list.h"
#include "list/entry_order.h"

namespace {

// What follows the key in a record: the extension and the size digits.
constexpr std::size_t kRecordTailAfterKey = kCacheFileExtension.size() + kRecordSizeDigits;

std::string_view KeyOf(std::string_view record, const std::string& cacheDir) {
    const std::size_t keyEnd = record.size() - std::min(record.size(), kRecordTailAfterKey);
    const std::size_t keyBegin = std::min(cacheDir.size(), keyEnd);
    return record.substr(keyBegin, keyEnd - keyBegin);
}

// The lines the last refresh decided, each to be matched once: the listed
// entries and the lines it left out. Kept as hashes, each checked against
// its line on a match, so that 100,000 lines cost no copy of each.
class DecidedLines {
  public:
    DecidedLines(const CacheList& list, const std::vector<std::string>& leftOut,
                 const std::string& cacheDir, std::size_t prefixLen)
        : list_(list), leftOut_(leftOut), cacheDir_(cacheDir), prefixLen_(prefixLen) {
        lines_.reserve(static_cast<std::size_t>(list.Count()) + leftOut.size());
        for (int row = 0; row < list.Count(); ++row) {
            if (LineOf(Candidate{0, static_cast<std::uint32_t>(row)}, scratch_)) {
                lines_.push_back({Hash(scratch_), static_cast<std::uint32_t>(row)});
            }
        }
        for (std::size_t i = 0; i < leftOut.size(); ++i) {
            lines_.push_back({Hash(leftOut[i]), static_cast<std::uint32_t>(Rows() + i)});
        }
        std::sort(lines_.begin(), lines_.end(), [](const Candidate& a, const Candidate& b) {
            return a.hash < b.hash || (a.hash == b.hash && a.index < b.index);
        });
        used_.assign(lines_.size(), false);
    }

    // True, once for each time the refresh read it, for a line it decided.
    bool Take(std::string_view line) {
        const std::uint64_t hash = Hash(line);
        auto at = std::lower_bound(
            lines_.begin(), lines_.end(), hash,
            [](const Candidate& candidate, std::uint64_t h) { return candidate.hash < h; });
        for (; at != lines_.end() && at->hash == hash; ++at) {
            const auto slot = static_cast<std::size_t>(at - lines_.begin());
            if (!used_[slot] && LineOf(*at, scratch_) && scratch_ == line) {
                used_[slot] = true;
                return true;
            }
        }
        return false;
    }

  private:
    struct Candidate {
        std::uint64_t hash;
        std::uint32_t index;  // a list row, or past the rows a left-out line
    };

    static std::uint64_t Hash(std::string_view line) { return std::hash<std::string_view>{}(line); }

    std::size_t Rows() const { return static_cast<std::size_t>(list_.Count()); }

    // The line "key=name" of a candidate; false for a separator row.
    bool LineOf(const Candidate& candidate, std::string& line) {
        if (candidate.index >= Rows()) {
            line = leftOut_[candidate.index - Rows()];
            return true;
        }
        const int row = static_cast<int>(candidate.index);
        if (!list_.RecordInto(row, record_)) {
            return false;
        }
        line.assign(KeyOf(record_, cacheDir_))
            .append("=")
            .append(EntryName(list_.Text(row), prefixLen_));
        return true;
    }

    const CacheList& list_;
    const std::vector<std::string>& leftOut_;
    const std::string& cacheDir_;
    std::size_t prefixLen_;
    std::vector<Candidate> lines_;
    std::vector<bool> used_;
    std::string record_;
    std::string scratch_;
};

}  // namespace

CompactResult WriteCompactedIndex(const CacheList& list, const IndexReading& lastRefresh,
                                  const std::string& cacheDir, const std::string& cacheIniPath,
                                  std::size_t prefixLen, FileSystem& files) {
    CacheIndexFile index(files);
    index.CreateCacheIndex(cacheIniPath);
    // The game rewrites cache.ini after every download: what it added since
    // the list was read, or what a refresh cut short never reached, stays.
    DecidedLines decided(list, lastRefresh.leftOut, cacheDir, prefixLen);
    std::vector<std::string> undecided;
    IndexEntry entry;
    std::string scratch;
    for (std::string line; index.ReadIndexLine(line);) {
        if (ParseIndexLine(line, entry) &&
            !decided.Take(LineAsListed(lastRefresh, line, scratch))) {
            undecided.push_back(line);
        }
    }
    if (!index.Decodes()) {
        return CompactResult::Undecodable;
    }
    if (!index.AdoptEncodingWhenEmpty(lastRefresh.encoding)) {
        return CompactResult::EncodingChanged;
    }
    index.WriteIndexText("[Cache]\n");
    std::string entryRecord;
    for (int i = 0; i < list.Count(); ++i) {
        if (list.RecordInto(i, entryRecord)) {
            // In the bytes the file held: a converted name is not converted back.
            entry = EntryAsRead(lastRefresh,
                                {KeyOf(entryRecord, cacheDir), EntryName(list.Text(i), prefixLen)},
                                scratch);
            index.WriteIndexEntry(entry.key, entry.name);
        }
    }
    for (const std::string& line : undecided) {
        ParseIndexLine(line, entry);
        index.WriteIndexEntry(entry.key, entry.name);
    }
    index.WriteIndexText("\n");
    index.CloseCacheIndex();
    return CompactResult::Written;
}
