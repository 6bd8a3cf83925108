#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The main window's list, kept in entry order. The view shows it; the
// revision tells the view whether anything changed since it last looked.
// Texts and records are kept side by side in large blocks rather than
// allocated one by one, and the folder every record starts with is kept
// once: a list of 100,000 entries costs about what its own bytes do.
class CacheList {
  public:
    // Adds an entry at the end, out of order until SortAppended.
    void Append(std::string_view text, std::optional<std::string_view> record);
    // The same with a record in two parts: the folder, which many records
    // share, and the rest.
    void Append(std::string_view text, std::string_view recordFolder, std::string_view recordRest);
    // Puts the entries appended since the last sort at their places in the
    // list's order.
    void SortAppended();

    // An entry without a record to go in front of the entry at `before`.
    struct Insertion {
        int before;
        std::string text;
    };
    // Inserts entries without records; `insertions` ascend by `before`,
    // and those with the same `before` keep their order.
    void Insert(const std::vector<Insertion>& insertions);
    void Clear();

    int Count() const { return static_cast<int>(rows_.size()); }
    std::string_view Text(int index) const;
    // Nothing for an entry without a record and for an index out of range.
    std::optional<std::string> Record(int index) const;
    // The same into `record`, reusing its storage: false for nothing.
    bool RecordInto(int index, std::string& record) const;
    // The record as kept, without a copy: the folder it starts with (empty
    // where that is not kept apart) and the rest. False for nothing.
    bool RecordParts(int index, std::string_view& folder, std::string_view& rest) const;
    // The last `count` bytes of the record, or all of it if shorter: for a
    // pass over every row, a view into the list, copied into `scratch` only
    // where the end reaches into the record's folder. Nothing as for Record.
    std::optional<std::string_view> RecordEnd(int index, std::size_t count,
                                              std::string& scratch) const;

    std::uint64_t Revision() const { return revision_; }

  private:
    static constexpr std::uint32_t kNoRecord = UINT32_MAX;

    // Records whose folder is not kept: every folder beyond the first few.
    static constexpr unsigned char kNoFolder = 255;

    // The bytes of an entry: its text; for an entry with a record, the
    // index of the record's folder in one byte, then the rest of the record.
    struct Row {
        const char* bytes;
        std::uint32_t textSize;
        std::uint32_t recordSize;
    };

    static bool RowBefore(const Row& a, const Row& b);
    // Where the blocks keep a copy of `size` bytes.
    char* Store(std::size_t size);
    void AppendRow(std::string_view text, const std::string_view* recordRest, unsigned char folder);
    unsigned char FolderIndex(std::string_view folder);

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockSize_ = 0;
    std::size_t blockUsed_ = 0;
    std::vector<Row> rows_;
    std::vector<std::string> folders_;
    // Rows before this one are in order.
    std::size_t sorted_ = 0;
    std::uint64_t revision_ = 0;
};
