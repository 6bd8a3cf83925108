#include <gtest/gtest.h>

#include <random>

#include "cache/cache_record.h"
#include "cache/download_batches.h"
#include "list/cache_list.h"
#include "list/entry_order.h"
#include "support/list_rows.h"
#include "support/literal_batches.h"

namespace {

FileTime At(double seconds) {
    return *CalendarToFileTime({2001, 8, 12, 10}) +
           static_cast<FileTime>(static_cast<std::int64_t>(seconds * 10'000'000));
}

std::string Prefix(FileTime t) {
    std::string text;
    AppendTimeStamp(text, t);
    return text.append(kPrefixGap);
}

struct Item {
    double seconds;
    std::uint64_t size;
    std::string name;
};

std::vector<CacheListEntry> Rows(const std::vector<Item>& items) {
    std::vector<CacheListEntry> rows;
    for (const Item& item : items) {
        rows.push_back(
            {Prefix(At(item.seconds)) + item.name,
             MakeCacheRecord("/ut/Cache/K" + std::to_string(rows.size()) + ".uxx", item.size)});
    }
    return rows;
}

// Each row's name, "--" for a separator.
std::vector<std::string> Marked(const std::vector<Item>& items) {
    CacheList list;
    Fill(list, Rows(items));
    MarkDownloadBatches(list, kEntryPrefixLength);
    std::vector<std::string> shown;
    for (const CacheListEntry& row : RowsOf(list)) {
        shown.push_back(row.record ? row.text.substr(kEntryPrefixLength) : "--");
    }
    return shown;
}

using Shown = std::vector<std::string>;

TEST(DownloadBatches, ASeparatorWhereAnEntryArrivesAtOrAfterThePreviousEstimatedEnd) {
    const struct {
        std::vector<Item> items;
        Shown shown;
    } rows[] = {
        {{{0, 0, "a"}}, {"a"}},
        // 307200 bytes is one minute, one byte more two; equal counts as later.
        {{{0, 307200, "a"}, {60, 0, "b"}}, {"a", "--", "b"}},
        {{{0, 307200, "a"}, {59.999, 0, "b"}}, {"a", "b"}},
        {{{0, 307201, "a"}, {60, 0, "b"}}, {"a", "b"}},
        {{{0, 307201, "a"}, {120, 0, "b"}}, {"a", "--", "b"}},
        // Zero bytes take no time: the separator stands above both.
        {{{0, 0, "a"}, {0, 0, "b"}}, {"--", "a", "b"}},
        // 2 GiB and more read back negative: no time; 4 GiB + 1 is one byte.
        {{{0, 0x80000000ULL, "a"}, {0.001, 0, "b"}}, {"a", "--", "b"}},
        {{{0, 0x7fffffffULL, "a"}, {3600, 0, "b"}}, {"a", "b"}},
        {{{0, 0x100000001ULL, "a"}, {59, 0, "b"}}, {"a", "b"}},
        {{{0, 0x100000001ULL, "a"}, {60, 0, "b"}}, {"a", "--", "b"}},
        // Only the previous entry decides.
        {{{0, 307200, "a"}, {30, 1, "b"}, {90, 0, "c"}}, {"a", "b", "--", "c"}},
        // Names below the hyphens still follow the separator; no name goes above it.
        {{{-600, 0, "old"}, {0, 1, " space"}, {0, 0, "!bang"}}, {"old", "--", " space", "!bang"}},
        {{{-600, 0, "old"}, {0, 0, ""}}, {"old", "", "--"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Marked(row.items), row.shown) << row.shown.size() << " rows";
    }
}

// The one-pass marking must give what the plain walk gives, separators
// placed and records attached alike, whatever the list holds.
TEST(DownloadBatches, MatchesThePlainWalkOnGeneratedLists) {
    std::mt19937_64 random(2001);
    const std::vector<std::string> names = {
        "",         "",  "a",   " lead",           "!x", "+p", "-", "---", "a=b", "~z", "Face.unr",
        "face.UNR", "B", "Zed", "----------------"};
    const std::uint64_t sizes[] = {0,           0,           1,          307199,     307200,
                                   307201,      614400,      0x7fffffff, 0x80000000, 0xffffffff,
                                   0x100000000, 0x100000001, 5'000'000};
    const double steps[] = {0, 0, 0.0000001, 0.001, 30, 59.999, 60, 61, 120, 3600};
    for (int round = 0; round < 3000; ++round) {
        std::vector<Item> items;
        double t = 0;
        for (int n = 1 + static_cast<int>(random() % 30); n > 0; --n) {
            t += steps[random() % std::size(steps)];
            items.push_back(
                {t, sizes[random() % std::size(sizes)], names[random() % names.size()]});
        }
        CacheList list;
        Fill(list, Rows(items));
        const std::vector<CacheListEntry> expected = LiteralMarkDownloadBatches(RowsOf(list));
        MarkDownloadBatches(list, kEntryPrefixLength);
        ASSERT_EQ(list.Count(), static_cast<int>(expected.size())) << "round " << round;
        for (int i = 0; i < list.Count(); ++i) {
            const CacheListEntry& want = expected[static_cast<std::size_t>(i)];
            ASSERT_EQ(list.Text(i), want.text) << "round " << round << " row " << i;
            ASSERT_EQ(list.Record(i) ? *list.Record(i) : "", want.record.value_or(""))
                << "round " << round << " row " << i;
        }
    }
}

}  // namespace
