#include "cache/cache_refresh.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/file_error.h"
#include "base/file_time.h"
#include "base/utf8.h"
#include "base/windows_1252.h"
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
    // The text of the line being read, where it was converted.
    std::string converted;

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

// For a system that names files by UTF-8 text, the bytes of an unmarked
// line become that text once, here (in `text`); the bytes are kept for
// writing back.
void ConvertLine(std::string_view& line, std::string& text, IndexReading& reading) {
    if (!IsValidUtf8(line)) {
        text = Utf8FromGameText(line);
        reading.bytesOfConverted.try_emplace(text, line);
        line = text;
    }
}

// Reads up to a batch of lines that name a cache file; false at the end.
bool ReadBatch(CacheIndexFile& index, std::string_view& line, IndexedFiles& batch,
               IndexReading& reading) {
    batch.count = 0;
    batch.unnamed.clear();
    IndexEntry entry;
    while (batch.count < kBatchLines) {
        if (!index.ReadIndexLine(line)) {
            return false;
        }
        if (reading.linesConverted) {
            ConvertLine(line, batch.converted, reading);
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

// Appends an entry for each file of the batch that opened, in file order.
// A file the system could not ask about may be there: the entries stop
// before it, and its failure is returned.
std::optional<FileError> AppendOpenable(const IndexedFiles& batch,
                                        const std::vector<CacheFileAnswer>& answers,
                                        const std::string& cacheDir, CacheList& list,
                                        std::vector<std::string>& leftOut) {
    std::string text;
    std::string record;
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
        record.assign(batch.fileNames[i]);
        AppendRecordSize(record, answer.info->size);
        list.Append(text, cacheDir, record);
    }
    AddLeftOut(batch, answers, batch.count, leftOut);
    return std::nullopt;
}

}  // namespace

bool KeyCanNameCacheFile(std::string_view key) {
    // Asked of every line: a scan for each character (memchr) beats testing each byte thrice.
    const bool plain = key.find('\\') == std::string_view::npos &&
                       key.find('/') == std::string_view::npos &&
                       key.find('\0') == std::string_view::npos;
    return plain && key != "." && key != "..";
}

void AddCachedFiles(CacheIndexFile& index, const std::string& cacheDir, FileSystem& files,
                    CacheList& list, IndexReading& reading) {
    reading.leftOut.clear();
    reading.bytesOfConverted.clear();
    reading.stamp.reset();
    reading.encoding = index.Encoding();
    reading.decodes = index.Decodes();
    reading.linesConverted = reading.encoding == IndexEncoding::Bytes && files.TakesUtf8Names();
    std::string_view line;
    // The first failure in file order: a file the system could not ask
    // about, else the read failure that ended the lines.
    std::optional<FileError> failure;
    std::optional<FileError> readFailure;
    bool more = true;
    const auto read = [&](IndexedFiles& batch) {
        try {
            more = ReadBatch(index, line, batch, reading);
        } catch (const FileError& error) {
            // The list keeps what was read before the failure.
            readFailure = error;
            more = false;
        }
    };
    // While the files of one batch are asked about, this thread lists the
    // batch before it and reads the one after: two batches take turns.
    IndexedFiles batches[2];
    // The other batch's answers, while it waits to be listed.
    std::vector<CacheFileAnswer> answered;
    bool otherAnswered = false;
    read(batches[0]);
    for (std::size_t asked = 0;; asked ^= 1, otherAnswered = true) {
        IndexedFiles& batch = batches[asked];
        IndexedFiles& other = batches[asked ^ 1];
        batch.fileNames.resize(batch.count);
        batch.names.resize(batch.count);
        bool readOther = false;
        std::vector<CacheFileAnswer> answers =
            files.QueryCacheFiles(cacheDir, batch.fileNames, [&] {
                if (otherAnswered) {
                    failure = AppendOpenable(other, answered, cacheDir, list, reading.leftOut);
                }
                if (!failure && more) {
                    read(other);
                    readOther = true;
                }
            });
        if (failure) {
            break;
        }
        if (!readOther) {
            failure = AppendOpenable(batch, answers, cacheDir, list, reading.leftOut);
            break;
        }
        answered = std::move(answers);
    }
    list.SortAppended();
    if (failure || readFailure) {
        throw failure ? *failure : *readFailure;
    }
    reading.stamp = index.SettledStamp();
}

std::string_view LineAsListed(const IndexReading& reading, std::string_view line,
                              std::string& scratch) {
    if (!reading.linesConverted || IsValidUtf8(line)) {
        return line;
    }
    scratch = Utf8FromGameText(line);
    return scratch;
}

IndexEntry EntryAsRead(const IndexReading& reading, const IndexEntry& listed,
                       std::string& scratch) {
    if (reading.bytesOfConverted.empty()) {
        return listed;
    }
    scratch.assign(listed.key).append("=").append(listed.name);
    const auto read = reading.bytesOfConverted.find(scratch);
    IndexEntry entry = listed;
    if (read != reading.bytesOfConverted.end()) {
        ParseIndexLine(read->second, entry);
    }
    return entry;
}
