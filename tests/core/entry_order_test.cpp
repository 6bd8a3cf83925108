#include <gtest/gtest.h>

#include <random>

#include "ui/cache_list.h"
#include "ui/entry_order.h"

namespace {

const std::string kEarly = "2001-08-12 06:35:48.250    ";
const std::string kLate = "2001-08-12 06:35:48.251    ";
const std::string kSeparator = kEarly + "----------------";

std::vector<std::string> Texts(const CacheList& list) {
    std::vector<std::string> texts;
    for (const auto& entry : list.Entries()) {
        texts.push_back(entry.text);
    }
    return texts;
}

TEST(EntryOrder, TimeStampDecidesBeforeTheName) {
    EXPECT_LT(CompareEntries(kEarly + "zzz", kLate + "AAA"), 0);
    EXPECT_LT(CompareEntries("1999-12-31 23:59:59.999    b", "2000-01-01 00:00:00.000    a"), 0);
}

TEST(EntryOrder, SeparatorComesBeforeEveryNamedEntryOfItsPrefix) {
    // Names starting below '-' would sort above the hyphens byte by byte.
    for (const std::string name : {" lead", "!bang", "+plus", "#x", "'q", "-", "--",
                                   "---------------", "----------------x", "a", "\x01"}) {
        EXPECT_LT(CompareEntries(kSeparator, kEarly + name), 0) << '"' << name << '"';
        EXPECT_GT(CompareEntries(kEarly + name, kSeparator), 0) << '"' << name << '"';
    }
    // An entry without a name stands above its own separator.
    EXPECT_LT(CompareEntries(kEarly, kSeparator), 0);
    // The separator of a later prefix still follows every earlier entry.
    EXPECT_LT(CompareEntries(kEarly + "~", kLate + "----------------"), 0);
}

TEST(EntryOrder, NamesOfOnePrefixIgnoreAsciiCase) {
    EXPECT_LT(CompareEntries(kEarly + "apple.unr", kEarly + "Banana.unr"), 0);
    EXPECT_LT(CompareEntries(kEarly + "APPLE.unr", kEarly + "banana.unr"), 0);
    EXPECT_LT(CompareEntries(kEarly + "Face", kEarly + "face.unr"), 0);
    // Only the case differs: a fixed order either way, equal texts are equal.
    EXPECT_NE(CompareEntries(kEarly + "Face.unr", kEarly + "FACE.UNR"), 0);
    EXPECT_EQ(CompareEntries(kEarly + "Face.unr", kEarly + "Face.unr"), 0);
    EXPECT_EQ(CompareEntries(kSeparator, kSeparator), 0);
}

TEST(CacheList, AddTextKeepsTheOrderAndReturnsTheIndex) {
    CacheList list;
    EXPECT_EQ(list.AddText(kLate + "b"), 0);
    EXPECT_EQ(list.AddText(kEarly + "z"), 0);
    EXPECT_EQ(list.AddText(kEarly + " a"), 0);
    EXPECT_EQ(list.AddText(kSeparator), 0);
    EXPECT_EQ(list.AddText(kEarly), 0);
    EXPECT_EQ(list.AddText(kLate + "A"), 4);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{kEarly, kSeparator, kEarly + " a",
                                                     kEarly + "z", kLate + "A", kLate + "b"}));
    EXPECT_EQ(list.Record(2), nullptr);
    list.SetRecord(2, "/c/K.uxx000000ff");
    ASSERT_NE(list.Record(2), nullptr);
    EXPECT_EQ(*list.Record(2), "/c/K.uxx000000ff");
    EXPECT_EQ(list.Record(-1), nullptr);
    EXPECT_EQ(list.Record(6), nullptr);
    list.Delete(0);
    EXPECT_EQ(*list.Record(1), "/c/K.uxx000000ff");
}

TEST(CacheList, AddingManyAtOnceGivesTheSameOrderAsOneByOne) {
    std::mt19937 random(11);
    const std::vector<std::string> names = {"",  "a",   "B",  " c", "-", "----------------",
                                            "!", "Zed", "zed"};
    auto stamp = [](int n) {
        return "2001-08-12 06:35:" + std::to_string(10 + n / 1000) + "." +
               std::to_string(100 + n % 900) + "    ";
    };
    // Shuffled, then mostly in order with a few strays: both ways of sorting.
    for (const int strays : {300, 5}) {
        std::vector<std::string> texts;
        for (int n = 0; n < 300; ++n) {
            texts.push_back(stamp(n % 7 == 0 ? n - 1 : n) + names[random() % names.size()]);
        }
        for (int n = 0; n < strays; ++n) {
            std::swap(texts[random() % texts.size()], texts[random() % texts.size()]);
        }
        CacheList oneByOne;
        std::vector<CacheListEntry> batch;
        for (const std::string& text : texts) {
            oneByOne.AddText(text);
            batch.push_back({text, std::nullopt});
        }
        CacheList atOnce;
        atOnce.AddEntries({batch.begin(), batch.begin() + 100});
        atOnce.AddEntries({batch.begin() + 100, batch.end()});
        EXPECT_EQ(Texts(atOnce), Texts(oneByOne)) << strays;
    }
}

}  // namespace
