#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One row of the list: its text and, for a cache file, the record attached
// to it (the file's path followed by its size in 8 hex digits).
struct CacheListEntry {
    std::string text;
    std::optional<std::string> record;
};

// The main window's list, kept in entry order. The view shows it; the
// revision tells the view whether anything changed since it last looked.
class CacheList {
    // How many of the longest texts the list keeps at hand.
    static constexpr std::size_t kLongestKept = 16;

  public:
    // Adds many entries at once: one sort instead of a shift per entry.
    void AddEntries(std::vector<CacheListEntry> entries);
    // Replaces the whole content with entries already in order: the ones
    // Release handed over, with separators added.
    void Assign(std::vector<CacheListEntry> entries);
    // Hands the entries over, leaving the list empty until Assign.
    std::vector<CacheListEntry> Release();
    void Clear();

    // Null for an entry without a record and for an index out of range.
    const std::string* Record(int index) const;
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Text(int index) const {
        return entries_.at(static_cast<std::size_t>(index)).text;
    }

    const std::vector<CacheListEntry>& Entries() const { return entries_; }
    std::uint64_t Revision() const { return revision_; }
    // The longest texts added since the list was last cleared, longest
    // first: what a view measures to fit its column, without a pass over
    // every row.
    const std::vector<std::string>& LongestTexts() const { return longest_; }

  private:
    void KeepIfLongest(const std::string& text);

    std::vector<CacheListEntry> entries_;
    std::vector<std::string> longest_;
    std::uint64_t revision_ = 0;
};
