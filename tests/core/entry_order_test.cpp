#include <gtest/gtest.h>

#include <random>

#include "ui/cache_list.h"
#include "ui/entry_order.h"

namespace {

const std::string kEarly = "2001-08-12 06:35:48.250    ";
const std::string kLate = "2001-08-12 06:35:48.251    ";
const std::string kSeparator = kEarly + "----------------";

TEST(EntryOrder, TimeFirstThenNoNameThenSeparatorThenNamesIgnoringCase) {
    // Each text sorts before the next one.
    const std::string ordered[] = {
        "1999-12-31 23:59:59.999    zzz",
        kEarly,
        kSeparator,
        // Names starting below '-' would sort above the hyphens byte by byte.
        kEarly + "\x01",
        kEarly + " lead",
        kEarly + "!bang",
        kEarly + "----------------x",
        kEarly + "apple.unr",
        kEarly + "Banana.unr",
        kEarly + "Face",
        kEarly + "face.unr",
        kEarly + "~",
        kLate + "----------------",
        kLate + "AAA",
    };
    for (std::size_t i = 0; i + 1 < std::size(ordered); ++i) {
        EXPECT_LT(CompareEntries(ordered[i], ordered[i + 1]), 0) << ordered[i + 1];
        EXPECT_GT(CompareEntries(ordered[i + 1], ordered[i]), 0) << ordered[i + 1];
    }
    // Only the case differs: a fixed order either way; equal texts are equal.
    EXPECT_EQ(CompareEntries(kEarly + "Face.unr", kEarly + "FACE.UNR"),
              -CompareEntries(kEarly + "FACE.UNR", kEarly + "Face.unr"));
    EXPECT_NE(CompareEntries(kEarly + "Face.unr", kEarly + "FACE.UNR"), 0);
    EXPECT_EQ(CompareEntries(kSeparator, kSeparator), 0);
}

TEST(CacheList, AddedEntriesEndUpInOrderWhateverTheirArrival) {
    std::mt19937 random(11);
    const std::string names[] = {"", "a", "B", " c", "-", "----------------", "!", "Zed", "zed"};
    // Shuffled, then mostly in order with a few strays: both ways of sorting.
    for (const int strays : {300, 5}) {
        std::vector<CacheListEntry> rows;
        for (int n = 0; n < 300; ++n) {
            const int stamp = n % 7 == 0 ? n - 1 : n;
            rows.push_back({"2001-08-12 06:35:" + std::to_string(10 + stamp / 1000) + "." +
                                std::to_string(100 + stamp % 900) + "    " +
                                names[random() % std::size(names)],
                            std::to_string(n)});
        }
        const std::vector<CacheListEntry> made = rows;
        for (int n = 0; n < strays; ++n) {
            std::swap(rows[random() % rows.size()], rows[random() % rows.size()]);
        }
        CacheList list;
        list.AddEntries({rows.begin(), rows.begin() + 100});
        list.AddEntries({rows.begin() + 100, rows.end()});
        ASSERT_EQ(list.Count(), 300);
        const std::vector<CacheListEntry> sorted = list.Entries();
        EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
            return CompareEntries(a.text, b.text) < 0;
        }));
        // Every text keeps its own record.
        for (const CacheListEntry& row : sorted) {
            EXPECT_EQ(row.text, made[std::stoul(*row.record)].text);
        }
    }
}

}  // namespace
