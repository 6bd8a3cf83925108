#include <gtest/gtest.h>

#include <random>

#include "cache/cache_record.h"
#include "cache/download_batches.h"
#include "support/literal_batches.h"
#include "ui/cache_list.h"
#include "ui/entry_order.h"

namespace {

constexpr std::size_t kPrefixLen = 27;

FileTime Base() {
    return CalendarToFileTime({2001, 8, 12, 10, 0, 0, 0}).value();
}

FileTime Seconds(double s) {
    return static_cast<FileTime>(s * 10'000'000);
}

std::string Prefix(FileTime t) {
    return FormatTimeStamp(t) + "    ";
}

struct Item {
    FileTime time;
    std::uint64_t size;
    std::string name;
};

CacheList ListOf(const std::vector<Item>& items) {
    CacheList list;
    int key = 0;
    for (const Item& item : items) {
        const int index = list.AddText(Prefix(item.time) + item.name);
        list.SetRecord(index,
                       MakeCacheRecord("/ut/Cache/K" + std::to_string(key++) + ".uxx", item.size));
    }
    return list;
}

std::vector<std::string> Texts(const CacheList& list) {
    std::vector<std::string> texts;
    for (const auto& entry : list.Entries()) {
        texts.push_back(entry.record ? entry.text : entry.text + " (sep)");
    }
    return texts;
}

std::vector<std::string> Marked(const std::vector<Item>& items) {
    CacheList list = ListOf(items);
    MarkDownloadBatches(list, kPrefixLen);
    return Texts(list);
}

const std::string kDashes = "----------------";

TEST(DownloadBatches, OneEntryGetsNoSeparator) {
    EXPECT_EQ(Marked({{Base(), 0, "a"}}), std::vector<std::string>{Prefix(Base()) + "a"});
}

TEST(DownloadBatches, SizeSetsTheEstimatedEndInStartedBlocks) {
    const FileTime t = Base();
    const FileTime minute = Seconds(60);
    // Exactly 307200 bytes is one minute: an entry one minute later opens a batch.
    EXPECT_EQ(Marked({{t, 307200, "a"}, {t + minute, 0, "b"}}).size(), 3u);
    EXPECT_EQ(Marked({{t, 307200, "a"}, {t + minute - 1, 0, "b"}}).size(), 2u);
    // One byte more is two minutes.
    EXPECT_EQ(Marked({{t, 307201, "a"}, {t + minute, 0, "b"}}).size(), 2u);
    EXPECT_EQ(Marked({{t, 307201, "a"}, {t + 2 * minute, 0, "b"}}).size(), 3u);
    // Zero bytes takes no time: the same millisecond opens a batch.
    EXPECT_EQ(Marked({{t, 0, "a"}, {t, 0, "b"}}),
              (std::vector<std::string>{Prefix(t) + kDashes + " (sep)", Prefix(t) + "a",
                                        Prefix(t) + "b"}));
}

TEST(DownloadBatches, SizesOfTwoGibibytesAndMoreWrap) {
    const FileTime t = Base();
    // 2 GiB reads back negative: no extension at all.
    EXPECT_EQ(Marked({{t, 0x80000000ULL, "a"}, {t + 1, 0, "b"}}).size(), 3u);
    EXPECT_EQ(Marked({{t, 0x7fffffffULL, "a"}, {t + Seconds(3600), 0, "b"}}).size(), 2u);
    // 4 GiB and one byte counts as one byte: one minute.
    EXPECT_EQ(Marked({{t, 0x100000001ULL, "a"}, {t + Seconds(59), 0, "b"}}).size(), 2u);
    EXPECT_EQ(Marked({{t, 0x100000001ULL, "a"}, {t + Seconds(60), 0, "b"}}).size(), 3u);
}

TEST(DownloadBatches, OnlyThePreviousEntryDecides) {
    const FileTime t = Base();
    const std::vector<std::string> marked = Marked(
        {{t, 307200, "first"}, {t + Seconds(30), 1, "second"}, {t + Seconds(90), 0, "third"}});
    EXPECT_EQ(marked,
              (std::vector<std::string>{Prefix(t) + "first", Prefix(t + Seconds(30)) + "second",
                                        Prefix(t + Seconds(90)) + kDashes + " (sep)",
                                        Prefix(t + Seconds(90)) + "third"}));
}

TEST(DownloadBatches, ASeparatorStandsAboveEveryEntryOfItsPrefix) {
    const FileTime t = Base();
    // Names that sort below the hyphens byte by byte still follow the separator.
    const std::vector<std::string> marked =
        Marked({{t - Seconds(600), 0, "old"}, {t, 1, " space"}, {t, 0, "!bang"}});
    EXPECT_EQ(marked[1], Prefix(t) + kDashes + " (sep)");
    EXPECT_EQ(marked[2], Prefix(t) + " space");
    EXPECT_EQ(marked[3], Prefix(t) + "!bang");
}

TEST(DownloadBatches, AnEntryWithoutANameSortsAboveItsOwnSeparator) {
    const FileTime t = Base();
    const std::vector<std::string> marked = Marked({{t - Seconds(600), 0, "old"}, {t, 0, ""}});
    EXPECT_EQ(marked, (std::vector<std::string>{Prefix(t - Seconds(600)) + "old", Prefix(t),
                                                Prefix(t) + kDashes + " (sep)"}));
}

// The fast pass must give what the step-by-step algorithm gives, separators
// placed and records attached alike, whatever the list holds.
TEST(DownloadBatches, MatchesTheStepByStepAlgorithmOnGeneratedLists) {
    std::mt19937_64 random(2001);
    const std::vector<std::string> names = {"",         "",         "a",   "B",   " lead",
                                            "!x",       "+p",       "-",   "---", kDashes,
                                            "Face.unr", "face.UNR", "a=b", "~z",  "Zed"};
    const std::vector<std::uint64_t> sizes = {
        0,          0,          1,          307199,      307200,      307201,   614400,
        0x7fffffff, 0x80000000, 0xffffffff, 0x100000000, 0x100000001, 5'000'000};
    const std::vector<FileTime> steps = {0,
                                         0,
                                         1,
                                         Seconds(0.001),
                                         Seconds(30),
                                         Seconds(59.999),
                                         Seconds(60),
                                         Seconds(61),
                                         Seconds(120),
                                         Seconds(3600)};
    for (int round = 0; round < 3000; ++round) {
        const int count = 1 + static_cast<int>(random() % 30);
        std::vector<Item> items;
        FileTime t = Base();
        for (int n = 0; n < count; ++n) {
            t += steps[random() % steps.size()];
            items.push_back({t, sizes[random() % sizes.size()], names[random() % names.size()]});
        }
        CacheList literal = ListOf(items);
        if (random() % 5 == 0) {
            // A list that already holds separators.
            literal.AddText(Prefix(items[random() % items.size()].time) + kDashes);
        }
        CacheList fast = literal;
        LiteralMarkDownloadBatches(literal, kPrefixLen);
        MarkDownloadBatches(fast, kPrefixLen);
        ASSERT_EQ(fast.Count(), literal.Count()) << "round " << round;
        for (int i = 0; i < fast.Count(); ++i) {
            ASSERT_EQ(fast.Text(i), literal.Text(i)) << "round " << round << " row " << i;
            const std::string* a = fast.Record(i);
            const std::string* b = literal.Record(i);
            ASSERT_EQ(a == nullptr, b == nullptr) << "round " << round << " row " << i;
            if (a != nullptr) {
                ASSERT_EQ(*a, *b) << "round " << round << " row " << i;
            }
        }
    }
}

TEST(DownloadBatches, RecordSizeWrapsAndIgnoresOtherCharacters) {
    EXPECT_EQ(RecordSize("/p00000000"), 0);
    EXPECT_EQ(RecordSize("/p000000ff"), 255);
    EXPECT_EQ(RecordSize("/p000000FF"), 255);
    EXPECT_EQ(RecordSize("/p7fffffff"), 0x7fffffff);
    EXPECT_EQ(RecordSize("/p80000000"), INT32_MIN);
    EXPECT_EQ(RecordSize("/pffffffff"), -1);
    EXPECT_EQ(RecordSize("/p0001zz00"), 0x10000);
    EXPECT_EQ(RecordPath("/ut/K.uxx000000ff"), "/ut/K.uxx");
    EXPECT_EQ(MakeCacheRecord("/ut/K.uxx", 0x1234567890ULL), "/ut/K.uxx34567890");
}

}  // namespace
