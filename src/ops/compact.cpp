#include "ops/compact.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <vector>

#include "cache/cache_index_file.h"
#include "cache/cache_record.h"
#include "cache/cache_refresh.h"
#include "list/cache_list.h"
#include "list/entry_order.h"
#include "platform/file_system.h"
#include "platform/open_when_free.h"

namespace {

// What follows the key in a record: the extension and the size digits.
constexpr std::size_t kRecordTailAfterKey = kCacheFileExtension.size() + kRecordSizeDigits;

// The key of a row's record, which opens with the cache folder; false for a
// row without one. The record is put together (in `scratch`) only where the
// list does not keep its folder apart.
bool KeyOf(const CacheList& list, int row, const std::string& cacheDir, std::string& scratch,
           std::string_view& key) {
    std::string_view folder;
    std::string_view record;
    if (!list.RecordParts(row, folder, record)) {
        return false;
    }
    std::size_t folderLength = 0;
    if (folder.size() != cacheDir.size()) {
        scratch.assign(folder).append(record);
        record = scratch;
        folderLength = cacheDir.size();
    }
    const std::size_t keyEnd = record.size() - std::min(record.size(), kRecordTailAfterKey);
    const std::size_t keyBegin = std::min(folderLength, keyEnd);
    key = record.substr(keyBegin, keyEnd - keyBegin);
    return true;
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
        rowTaken_.assign(Rows(), false);
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
                if (at->index < Rows()) {
                    rowTaken_[at->index] = true;
                }
                return true;
            }
        }
        return false;
    }

    // Whether the file held the line of this list row.
    bool RowTaken(int row) const { return rowTaken_[static_cast<std::size_t>(row)]; }

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
        std::string_view key;
        if (!KeyOf(list_, row, cacheDir_, record_, key)) {
            return false;
        }
        line.assign(key).append("=").append(EntryName(list_.Text(row), prefixLen_));
        return true;
    }

    const CacheList& list_;
    const std::vector<std::string>& leftOut_;
    const std::string& cacheDir_;
    std::size_t prefixLen_;
    std::vector<Candidate> lines_;
    std::vector<bool> used_;
    std::vector<bool> rowTaken_;
    std::string record_;
    std::string scratch_;
};

// Which of the lines the refresh left out name a file that is there now:
// one the game downloaded again since keeps its line. This thread runs
// `alongside` while the files are asked about.
std::vector<bool> FilesBack(const std::vector<std::string>& leftOut, const std::string& cacheDir,
                            FileSystem& files, const std::function<void()>& alongside) {
    std::vector<std::size_t> asked;
    std::vector<std::string> fileNames;
    IndexEntry entry;
    for (std::size_t i = 0; i < leftOut.size(); ++i) {
        if (ParseIndexLine(leftOut[i], entry) && KeyCanNameCacheFile(entry.key)) {
            asked.push_back(i);
            fileNames.push_back(std::string(entry.key).append(kCacheFileExtension));
        }
    }
    const std::vector<CacheFileAnswer> answers =
        files.QueryCacheFiles(cacheDir, fileNames, alongside);
    std::vector<bool> back(leftOut.size(), false);
    for (std::size_t i = 0; i < asked.size(); ++i) {
        // A file the system could not ask about may be there: its line stays.
        back[asked[i]] = answers[i].info || answers[i].unasked != 0;
    }
    return back;
}

// The keys of the file's entry lines.
std::unordered_set<std::string_view> KeysOf(const std::vector<std::string_view>& lines) {
    std::unordered_set<std::string_view> keys;
    IndexEntry entry;
    for (std::string_view line : lines) {
        ParseIndexLine(line, entry);
        keys.insert(entry.key);
    }
    return keys;
}

// The line of every listed row, in list order, in the bytes the file held:
// a converted name is not converted back. With `decided`, a row whose line
// the file (`lines`) no longer holds is left out where the file holds
// another line for its key.
void WriteRows(CacheIndexFile& index, const CacheList& list, const IndexReading& lastRefresh,
               const std::string& cacheDir, std::size_t prefixLen, const DecidedLines* decided,
               const std::vector<std::string_view>& lines) {
    // Built only when some row's line is not in the file as listed: its
    // name may have been cut by a read, or the game changed the line.
    std::optional<std::unordered_set<std::string_view>> keys;
    std::string record;
    std::string listed;
    std::string_view key;
    for (int i = 0; i < list.Count(); ++i) {
        if (!KeyOf(list, i, cacheDir, record, key)) {
            continue;
        }
        const IndexEntry asRead =
            EntryAsRead(lastRefresh, {key, EntryName(list.Text(i), prefixLen)}, listed);
        if (decided && !decided->RowTaken(i)) {
            if (!keys) {
                keys = KeysOf(lines);
            }
            if (keys->count(asRead.key) != 0) {
                continue;
            }
        }
        index.WriteIndexEntry(asRead.key, asRead.name);
    }
}

// One attempt on the file as `index` read it; false when the file changed
// before it could be replaced.
bool WriteMerged(CacheIndexFile& index, const CacheList& list, const IndexReading& lastRefresh,
                 const std::string& cacheDir, std::size_t prefixLen, FileSystem& files,
                 CompactResult& result) {
    result = !index.Decodes()                                      ? CompactResult::Undecodable
             : !index.AdoptEncodingWhenEmpty(lastRefresh.encoding) ? CompactResult::EncodingChanged
                                                                   : CompactResult::Written;
    if (result != CompactResult::Written) {
        return true;
    }
    const std::vector<std::string>& leftOut = lastRefresh.leftOut;
    IndexEntry entry;
    std::string listed;
    index.WriteIndexText("[Cache]\n");
    const std::optional<FileStamp> stamp = index.SettledStamp();
    if (stamp && lastRefresh.stamp && stamp->SameVersion(*lastRefresh.stamp)) {
        // The very version the refresh read and decided line by line: every
        // line is a row's or left out, nothing to match. The rows go out
        // while the files of the lines left out are asked about; those whose
        // file is back follow, in file order, as matching would keep them.
        const std::vector<bool> back = FilesBack(leftOut, cacheDir, files, [&] {
            WriteRows(index, list, lastRefresh, cacheDir, prefixLen, nullptr, {});
        });
        for (std::size_t i = 0; i < leftOut.size(); ++i) {
            if (back[i] && ParseIndexLine(leftOut[i], entry)) {
                entry = EntryAsRead(lastRefresh, entry, listed);
                index.WriteIndexEntry(entry.key, entry.name);
            }
        }
    } else {
        // What the game added since the list was read, or what a refresh
        // cut short never reached, stays.
        const std::vector<bool> back = FilesBack(leftOut, cacheDir, files, nullptr);
        std::vector<std::string> missing;
        for (std::size_t i = 0; i < leftOut.size(); ++i) {
            if (!back[i]) {
                missing.push_back(leftOut[i]);
            }
        }
        DecidedLines decided(list, missing, cacheDir, prefixLen);
        std::vector<std::string_view> lines;
        std::vector<std::string_view> undecided;
        for (std::string_view line; index.ReadIndexLine(line);) {
            if (ParseIndexLine(line, entry)) {
                lines.push_back(line);
                if (!decided.Take(LineAsListed(lastRefresh, line, listed))) {
                    undecided.push_back(line);
                }
            }
        }
        WriteRows(index, list, lastRefresh, cacheDir, prefixLen, &decided, lines);
        for (std::string_view line : undecided) {
            ParseIndexLine(line, entry);
            index.WriteIndexEntry(entry.key, entry.name);
        }
    }
    index.WriteIndexText("\n");
    return index.CloseCacheIndex();
}

}  // namespace

CompactResult WriteCompactedIndex(const CacheList& list, const IndexReading& lastRefresh,
                                  const std::string& cacheDir, const std::string& cacheIniPath,
                                  std::size_t prefixLen, FileSystem& files) {
    const auto deadline = std::chrono::steady_clock::now() + kWaitForOtherProgram;
    for (;;) {
        {
            CacheIndexFile index(files);
            index.CreateCacheIndex(cacheIniPath);
            CompactResult result = CompactResult::Written;
            // The files are asked about once the file is read: a download
            // finished by then counts.
            if (index.Settled() &&
                WriteMerged(index, list, lastRefresh, cacheDir, prefixLen, files, result)) {
                return result;
            }
        }
        // Let go of the file while the game finishes with it.
        if (std::chrono::steady_clock::now() >= deadline) {
            return CompactResult::KeptChanging;
        }
        std::this_thread::sleep_for(kLookAgainEvery);
    }
}
