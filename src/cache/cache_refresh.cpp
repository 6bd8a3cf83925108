#include "cache/cache_refresh.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/file_error.h"
#include "base/file_time.h"
#include "cache/cache_index_file.h"
#include "cache/cache_record.h"
#include "list/cache_list.h"
#include "list/entry_order.h"
#include "platform/file_system.h"

namespace {

// Index lines are taken this many at a time: enough that the file queries
// of one batch can be spread, few enough that a batch costs little memory.
constexpr std::size_t kBatchLines = 8192;

// Index lines that name a cache file, in file order; the strings are
// reused from batch to batch.
struct IndexedFiles {
    std::size_t count = 0;
    std::vector<std::string> fileNames;  // key and extension
    std::vector<std::string> names;      // as recorded
    // Entry lines whose key names no file, each after so many that do.
    std::vector<std::pair<std::size_t, std::string>> unnamed;

    void Add(const IndexEntry& entry) {
        if (count == fileNames.size()) {
            fileNames.emplace_back();
            names.emplace_back();
        }
        fileNames[count].assign(entry.key).append(kCacheFileExtension);
        names[count].assign(entry.name);
        ++count;
    }
};

// Reads up to a batch of lines that name a cache file; false at the end.
bool ReadBatch(CacheIndexFile& index, std::string_view& line, IndexedFiles& batch) {
    batch.count = 0;
    batch.unnamed.clear();
    IndexEntry entry;
    while (batch.count < kBatchLines) {
        if (!index.ReadIndexLine(line)) {
            return false;
        }
        if (!ParseIndexLine(line, entry)) {
            continue;
        }
        if (KeyCanNameCacheFile(entry.key)) {
            batch.Add(entry);
        } else {
            batch.unnamed.emplace_back(batch.count, std::string(line));
        }
    }
    return true;
}

// The lines of the batch before its entry `end` that got no list entry.
void AddLeftOut(const IndexedFiles& batch, const std::vector<CacheFileAnswer>& answers,
                std::size_t end, std::vector<std::string>& leftOut) {
    for (const auto& [before, line] : batch.unnamed) {
        if (before <= end) {
            leftOut.push_back(line);
        }
    }
    for (std::size_t i = 0; i < end; ++i) {
        if (!answers[i].info) {
            const std::string& fileName = batch.fileNames[i];
            leftOut.push_back(fileName.substr(0, fileName.size() - kCacheFileExtension.size()) +
                              '=' + batch.names[i]);
        }
    }
}

// Asks for the batch's files at once, so that the system may spread the
// queries, then appends an entry for each file that opened, in file order.
// A file the system could not ask about may be there: the entries stop
// before it, and its failure is returned.
std::optional<FileError> AppendOpenable(IndexedFiles& batch, const std::string& cacheDir,
                                        FileSystem& files, CacheList& list,
                                        std::vector<std::string>& leftOut) {
    batch.fileNames.resize(batch.count);
    batch.names.resize(batch.count);
    const std::vector<CacheFileAnswer> answers = files.QueryCacheFiles(cacheDir, batch.fileNames);
    std::string text;
    for (std::size_t i = 0; i < batch.count; ++i) {
        const CacheFileAnswer& answer = answers[i];
        if (answer.unasked != 0) {
            AddLeftOut(batch, answers, i, leftOut);
            return FileError(FileErrorCauseOf(answer.unasked), cacheDir + batch.fileNames[i]);
        }
        if (!answer.info) {
            continue;
        }
        text.clear();
        AppendTimeStamp(text, answer.info->created);
        text.append(kPrefixGap).append(batch.names[i]);
        // The record: the file's path, then its size.
        list.Append(text, cacheDir, MakeCacheRecord(batch.fileNames[i], answer.info->size));
    }
    AddLeftOut(batch, answers, batch.count, leftOut);
    return std::nullopt;
}

}  // namespace

bool KeyCanNameCacheFile(std::string_view key) {
    const bool plain = std::none_of(key.begin(), key.end(),
                                    [](char c) { return c == '\\' || c == '/' || c == '\0'; });
    return plain && key != "." && key != "..";
}

void AddCachedFiles(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                    CacheList& list, IndexReading& reading) {
    reading.leftOut.clear();
    reading.stamp.reset();
    reading.encoding = index.Encoding();
    reading.decodes = index.Decodes();
    IndexedFiles batch;
    std::string_view line;
    std::optional<FileError> failure;
    for (bool more = true; more && !failure;) {
        try {
            more = ReadBatch(index, line, batch);
        } catch (const FileError& error) {
            // The list keeps what was read before the failure.
            failure = error;
        }
        // A file that came before the read failure fails first.
        if (std::optional<FileError> unasked =
                AppendOpenable(batch, cacheDir, files, list, reading.leftOut)) {
            failure = std::move(unasked);
        }
    }
    list.SortAppended();
    if (failure) {
        throw *failure;
    }
    reading.stamp = index.SettledStamp();
}
