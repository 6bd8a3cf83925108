#include "cache/download_batches.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cache/cache_record.h"
#include "list/cache_list.h"
#include "list/entry_order.h"

FileTime EntryTime(std::string_view text) {
    return CalendarToFileTime(ReadTimeStampBack(text)).value_or(0);
}

FileTime EstimatedDownloadEnd(FileTime arrival, std::int32_t size) {
    if (size <= 0) {
        return arrival;
    }
    const std::uint32_t minutes =
        (static_cast<std::uint32_t>(size) + (kBatchBytesPerMinute - 1)) / kBatchBytesPerMinute;
    return arrival + minutes * kFileTimeUnitsPerMinute;
}

namespace {

// Gives what the plain walk gives (index i over the list, inserting each
// separator at its sorted place and then stepping i past it) in one pass,
// collecting the separators and inserting them all at the end.
//
// Within the entries of one prefix the order is: entries without a name,
// separators, named entries. A new separator goes in front of the
// separators, that is after every entry without a name. When an entry
// without a name opens a batch, the plain walk, which steps over the
// inserted separator, therefore steps over the entry that follows it.
class BatchMarker {
  public:
    BatchMarker(const CacheList& list, std::size_t prefixLen)
        : list_(list), prefixLen_(prefixLen) {}

    std::vector<CacheList::Insertion> Run() {
        const int count = list_.Count();
        int begin = 0;
        while (begin < count) {
            int end = begin + 1;
            while (end < count && SamePrefix(list_.Text(begin), list_.Text(end))) {
                ++end;
            }
            MarkGroup(begin, end);
            begin = end;
        }
        return std::move(insertions_);
    }

  private:
    // Whether the entry `row`, at list position `position`, opens a batch.
    bool Opens(int row, std::size_t position) {
        const std::optional<std::string_view> digits =
            list_.RecordEnd(row, kRecordSizeDigits, record_);
        if (!digits) {
            return false;
        }
        const FileTime time = EntryTime(list_.Text(row));
        const bool opens = position != 0 && time >= prevEnd_;
        prevEnd_ = EstimatedDownloadEnd(time, RecordSize(*digits));
        return opens;
    }

    void MarkGroup(int begin, int end) {
        int namedBegin = begin;
        while (namedBegin < end && ClassifyEntry(list_.Text(namedBegin)) == EntryKind::EmptyName) {
            ++namedBegin;
        }
        // Where the group starts once the separators before it are in.
        const std::size_t base = static_cast<std::size_t>(begin) + insertions_.size();
        std::size_t added = 0;
        for (int k = begin; k < namedBegin;) {
            if (Opens(k, base + static_cast<std::size_t>(k - begin))) {
                Separate(k, namedBegin);
                ++added;
                k += 2;
            } else {
                ++k;
            }
        }
        for (int k = namedBegin; k < end; ++k) {
            if (Opens(k, base + added + static_cast<std::size_t>(k - begin))) {
                Separate(k, namedBegin);
                ++added;
            }
        }
    }

    // A separator for the batch that `row` opens, in front of the group's
    // named entries.
    void Separate(int row, int namedBegin) {
        std::string text(list_.Text(row).substr(0, prefixLen_));
        text.append(kSeparatorDashes);
        insertions_.push_back(CacheList::Insertion{namedBegin, std::move(text)});
    }

    const CacheList& list_;
    std::size_t prefixLen_;
    std::vector<CacheList::Insertion> insertions_;
    std::string record_;
    FileTime prevEnd_ = 0;
};

}  // namespace

void MarkDownloadBatches(CacheList& list, std::size_t prefixLen) {
    list.Insert(BatchMarker(list, prefixLen).Run());
}
