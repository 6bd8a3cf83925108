#include "cache/download_batches.h"

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "cache/cache_record.h"
#include "ui/cache_list.h"
#include "ui/entry_order.h"

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
// building the result in a new vector instead of inserting into the list.
//
// Within the entries of one prefix the order is: entries without a name,
// separators, named entries. A new separator goes in front of the
// separators, that is after every entry without a name. When an entry
// without a name opens a batch, the plain walk, which steps over the
// inserted separator, therefore steps over the entry that follows it.
class BatchMarker {
  public:
    BatchMarker(std::vector<CacheListEntry> entries, std::size_t prefixLen)
        : in_(std::move(entries)), prefixLen_(prefixLen) {
        out_.reserve(in_.size() + in_.size() / 4 + 1);
    }

    std::vector<CacheListEntry> Run() {
        std::size_t begin = 0;
        while (begin < in_.size()) {
            std::size_t end = begin + 1;
            while (end < in_.size() && SamePrefix(in_[begin].text, in_[end].text)) {
                ++end;
            }
            MarkGroup(begin, end);
            begin = end;
        }
        return std::move(out_);
    }

  private:
    // Whether the entry at list position `position` opens a batch.
    bool Opens(const CacheListEntry& entry, std::size_t position) {
        const FileTime time = EntryTime(entry.text);
        const bool opens = position != 0 && time >= prevEnd_;
        prevEnd_ = EstimatedDownloadEnd(time, RecordSize(*entry.record));
        return opens;
    }

    void MarkGroup(std::size_t begin, std::size_t end) {
        std::size_t namedBegin = begin;
        while (namedBegin < end && ClassifyEntry(in_[namedBegin].text) == EntryKind::EmptyName) {
            ++namedBegin;
        }
        const std::size_t base = out_.size();
        separators_.clear();

        for (std::size_t k = begin; k < namedBegin;) {
            const CacheListEntry& entry = in_[k];
            if (entry.record && Opens(entry, base + (k - begin))) {
                separators_.push_back(SeparatorFor(entry));
                k += 2;
            } else {
                ++k;
            }
        }
        for (std::size_t k = namedBegin; k < end; ++k) {
            const CacheListEntry& entry = in_[k];
            const std::size_t position =
                base + (namedBegin - begin) + separators_.size() + (k - namedBegin);
            if (entry.record && Opens(entry, position)) {
                separators_.push_back(SeparatorFor(entry));
            }
        }

        auto source = std::make_move_iterator(in_.begin());
        out_.insert(out_.end(), source + static_cast<std::ptrdiff_t>(begin),
                    source + static_cast<std::ptrdiff_t>(namedBegin));
        for (std::string& text : separators_) {
            out_.push_back(CacheListEntry{std::move(text), std::nullopt});
        }
        out_.insert(out_.end(), source + static_cast<std::ptrdiff_t>(namedBegin),
                    source + static_cast<std::ptrdiff_t>(end));
    }

    std::string SeparatorFor(const CacheListEntry& entry) const {
        std::string text = entry.text.substr(0, prefixLen_);
        text.append(kSeparatorDashes);
        return text;
    }

    std::vector<CacheListEntry> in_;
    std::vector<CacheListEntry> out_;
    std::vector<std::string> separators_;
    std::size_t prefixLen_;
    FileTime prevEnd_ = 0;
};

}  // namespace

void MarkDownloadBatches(CacheList& list, std::size_t prefixLen) {
    list.Assign(BatchMarker(list.Release(), prefixLen).Run());
}
