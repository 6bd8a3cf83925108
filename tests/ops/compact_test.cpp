#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/windows_1252.h"
#include "cache/cache_index_file.h"
#include "cache/cache_refresh.h"
#include "ops/compact.h"
#include "ops/ops_fixture.h"
#include "support/faulty_file_system.h"
#include "support/utf16.h"

namespace fs = std::filesystem;

namespace {

using Compact = OpsFixture;

// Through the window: extract and delete rebuild the list from the disk, and
// compaction writes back what the list then holds, byte for byte.
TEST_F(Compact, WritesTheListedEntriesInListOrder) {
    MakeGameFolders({"Maps"});
    const std::string odd("N\0\xff\rx.txt", 9);
    Open({{"NEW", "Late.unr", "2003-01-01 00:00:00.000"},
          {"OLD", "a=b", "2001-01-01 00:00:00.000"},
          {"DUP", "Twice.utx", "2002-01-01 00:00:00.000"},
          {"DUP", "Twice.utx", "2002-01-01 00:00:00.000"},
          {"ODD", odd, "2002-03-01 00:00:00.000"},
          {"EX", "Extracted.unr", "2002-06-01 00:00:00.000"},
          {"DEL", "Deleted.umx", "2002-07-01 00:00:00.000"},
          {"EMPTY", "", "2004-01-01 00:00:00.000"}},
         "GONE=Missing.unr\r\n; a comment\r\n[Other]\r\nno equals\r\n=x\r\n" +
             GoneLines('G', "\r\n"));
    view.selected = {RowOf("Extracted.unr")};
    ASSERT_EQ(Run(&CVorpaneDlg::OnExtract), std::nullopt);
    // With the separator above it, which has no file.
    view.selected = {RowOf("Deleted.umx") - 1, RowOf("Deleted.umx")};
    ASSERT_EQ(Run(&CVorpaneDlg::OnDelete), std::nullopt);
    const std::vector<std::string> shown = Texts();

    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadWholeFile(game.IndexPath()),
              "[Cache]\r\nOLD=a=b\r\nDUP=Twice.utx\r\nDUP=Twice.utx\r\nODD=" + odd +
                  "\r\nNEW=Late.unr\r\nEMPTY=\r\n\r\n");
    EXPECT_EQ(Texts(), shown);
}

// Written back in the form the game wrote it, as it reads it; a file that
// does not decode under its mark is listed as far as it does and left alone.
TEST_F(Compact, KeepsTheFormOfTheIndex) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Row {
        std::string index;
        std::vector<std::string> names;
        std::string compacted;  // empty: left as it was, and said so
    };
    const Row rows[] = {
        // As the system names files: by the bytes, or by their text.
        {"A=Citt\xE0.unr\r\nG=Gone.unr\r\nB=b.utx\r\n",
         {files().TakesUtf8Names() ? "Città.unr" : "Citt\xE0.unr", "b.utx"},
         "[Cache]\r\nA=Citt\xE0.unr\r\nB=b.utx\r\n\r\n"},
        {bom + "A=Città.unr\r\nG=Gone.unr\r\nB=b.utx\r\n",
         {"Città.unr", "b.utx"},
         bom + "[Cache]\r\nA=Città.unr\r\nB=b.utx\r\n\r\n"},
        {Utf16File(u"A=Città.unr\r\nG=Gone.unr\nB=\U0001D11E\u03A9.utx\r\n\u001AC=c.unr"),
         {"Città.unr", "\U0001D11E\u03A9.utx"},
         Utf16File(u"[Cache]\r\nA=Città.unr\r\nB=\U0001D11E\u03A9.utx\r\n\r\n")},
        {Utf16File(u"A=a.unr\r\nB=b.utx\r\n") + "x", {"a.unr", "b.utx"}, ""},
        {Utf16File(u"A=a.unr\r\nB=b\xDC00.utx\r\n"), {"a.unr"}, ""},
        {"\xFE\xFF" + std::string("\0A\0=\0a\0\r\0\n", 10), {}, ""},
        {bom + "A=a.unr\r\nB=b\xC3.utx\r\n", {"a.unr"}, ""},
    };
    for (const Row& row : rows) {
        boxes.shown.clear();
        view.rows.clear();
        game.AddCacheFile("A", 1, "2001-01-01 00:00:00.000");
        game.AddCacheFile("B", 1, "2001-01-01 00:00:30.000");
        // Its line stands after the end-of-file mark.
        game.AddCacheFile("C", 1, "2001-01-01 00:00:40.000");
        game.WriteIndex(row.index);
        ReopenDialog();
        ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        EXPECT_EQ(ListedNames(), row.names) << row.index;
        // The player is told that the list stops short, once at each step.
        const std::size_t told = row.compacted.empty() ? 1u : 0u;
        ASSERT_EQ(boxes.shown.size(), told) << row.index;
        if (told != 0) {
            EXPECT_EQ(boxes.shown[0].text,
                      CacheDir() +
                          "cache.ini does not decode as the text its byte-order mark "
                          "names.\nThe entries after that point are not shown.");
        }

        ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
        EXPECT_EQ(ReadWholeFile(game.IndexPath()),
                  row.compacted.empty() ? row.index : row.compacted);
        EXPECT_EQ(boxes.shown.size(), 2 * told) << row.index;
    }
}

// For Windows, an unmarked index's lines are text (valid UTF-8 as it is,
// else Windows-1252, whose five unassigned bytes keep their C1 code points)
// once, where they are read; Compact writes back the very bytes.
TEST_F(Compact, AnUnmarkedIndexIsListedAsTextAndWrittenBackAsItsBytes) {
    const std::pair<std::string, std::string> lines[] = {
        {"A=\x81\x8D\x8F\x90\x9D.unr", "\u0081\u008D\u008F\u0090\u009D.unr"},
        {"B=Citt\xE0.unr", "Città.unr"},
        {"C=Città.unr", "Città.unr"},
        {"D=\x80 \x9F\xFF.utx", "€ Ÿÿ.utx"},
        // Not UTF-8 as a whole: every byte is Windows-1252.
        {"E=\xC3\xA0\xE0.umx", "Ã\u00A0à.umx"},
        {"\xC9=\xC9.uax", "É.uax"},
    };
    FaultyFileSystem windows(files());
    windows.utf8Names = true;
    fileSystem = &windows;
    std::string index = "[Cache]\r\n";
    std::vector<std::string> shown;
    for (int i = 0; i < static_cast<int>(std::size(lines)); ++i) {
        const auto& [line, name] = lines[i];
        const std::string key = Utf8FromGameText(line.substr(0, line.find('=')));
        game.AddCacheFile(key, 1, "2001-01-01 00:00:0" + std::to_string(i) + ".000");
        index += line + "\r\n";
        shown.push_back(name);
    }
    game.WriteIndex(index + "G=Gone\xE0.unr\r\n");
    ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    EXPECT_EQ(ListedNames(), shown);
    // G's download comes back before Compact reads the file again: its line
    // stays, after the list's.
    game.AddCacheFile("G", 1, "2001-01-02 00:00:00.000");
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), index + "G=Gone\xE0.unr\r\n\r\n");
    // The game adds a line meanwhile, in its own bytes.
    std::ofstream(game.IndexPath(), std::ios::app | std::ios::binary) << "N=N\xE9.unr\r\n";
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), index + "G=Gone\xE0.unr\r\nN=N\xE9.unr\r\n\r\n");
    EXPECT_TRUE(boxes.shown.empty());
}

// The game turns its index into UTF-16 once a name needs it: the list, read
// from 8-bit text, is not written into it; the list is read again instead.
TEST_F(Compact, AnIndexThatChangedItsFormIsReadAgainFirst) {
    game.AddCacheFile("A", 1, "2001-01-01 00:00:00.000");
    game.WriteIndex("A=Citt\xE0.unr\r\n");
    ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
    game.AddCacheFile("N", 1, "2002-01-01 00:00:00.000");
    const std::string rewritten = Utf16File(u"A=Città.unr\r\nN=\u03A9.unr\r\n");
    game.WriteIndex(rewritten);
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), rewritten);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Warning);
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()),
              Utf16File(u"[Cache]\r\nA=Città.unr\r\nN=\u03A9.unr\r\n\r\n"));
}

// The game rewrites cache.ini after each download. Only what the list
// showed gone is dropped: every other line stays.
TEST_F(Compact, KeepsEveryLineTheListDidNotDecide) {
    enum class Between {
        Nothing,
        GameAppends,
        GameRewrites,
        GameChangesALine,
        GameEmptiesIt,
        GameWritesDuringCompact,
    };
    const std::pair<Between, std::string> rows[] = {
        {Between::Nothing, "[Cache]\r\nA=a.unr\r\nB=b.unr\r\n\r\n"},
        {Between::GameAppends, "[Cache]\r\nA=a.unr\r\nB=b.unr\r\nN=New.unr\r\n\r\n"},
        {Between::GameRewrites, "[Cache]\r\nA=a.unr\r\nB=b.unr\r\nN=New.unr\r\nG=Gone.unr\r\n\r\n"},
        // The game's line wins over the list's copy.
        {Between::GameChangesALine, "[Cache]\r\nB=b.unr\r\nA=a2.unr\r\n\r\n"},
        {Between::GameEmptiesIt, "[Cache]\r\nA=a.unr\r\nB=b.unr\r\n\r\n"},
        // Read again and merged anew, not replaced.
        {Between::GameWritesDuringCompact, "[Cache]\r\nA=a.unr\r\nB=b.unr\r\nN=New.unr\r\n\r\n"},
    };
    FaultyFileSystem faulty(files());
    fileSystem = &faulty;
    for (const auto& [between, compacted] : rows) {
#ifdef _WIN32
        if (between == Between::GameWritesDuringCompact) {
            continue;  // our hold keeps the game out until the replace itself
        }
#endif
        ReopenDialog();
        game.AddCacheFile("A", 1, "2001-01-01 00:00:00.000");
        game.AddCacheFile("B", 1, "2002-01-01 00:00:00.000");
        game.WriteIndex("A=a.unr\r\nG=Gone.unr\r\nB=b.unr\r\n");
        ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        if (between == Between::GameAppends) {
            std::ofstream(game.IndexPath(), std::ios::app | std::ios::binary) << "N=New.unr\r\n";
        }
        if (between == Between::GameRewrites) {
            game.WriteIndex(
                "[Cache]\r\nB=b.unr\r\nN=New.unr\r\nA=a.unr\r\nG=Gone.unr\r\n"
                "G=Gone.unr\r\n");
        }
        if (between == Between::GameChangesALine) {
            game.WriteIndex("[Cache]\r\nA=a2.unr\r\nB=b.unr\r\nG=Gone.unr\r\n");
        }
        if (between == Between::GameEmptiesIt) {
            game.WriteIndex("");
        }
        bool writes = between == Between::GameWritesDuringCompact;
        faulty.beforeCommit = [&] {
            // Named so that the game's start removes it, should we crash now.
            const std::string temp = FilesIn(game.CacheDir()).back();
            EXPECT_TRUE(temp.rfind("cache.ini.", 0) == 0 && temp.substr(temp.size() - 4) == ".tmp");
            if (std::exchange(writes, false)) {
                game.WriteIndex(ReadWholeFile(game.IndexPath()) + "N=New.unr\r\n");
            }
        };
        boxes.shown.clear();
        ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
        faulty.beforeCommit = nullptr;
        EXPECT_EQ(ReadWholeFile(game.IndexPath()), compacted);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_TRUE(chooser.titles.empty());
    }
}

// The game rewrites cache.ini whole after each download (truncate, then
// the text in pieces) and never sees our lock. Whatever state a read meets,
// no name the game had not finished writing is listed or written back.
TEST_F(Compact, NoHalfWrittenNameIsListedOrWrittenBack) {
    const std::string whole = "[Cache]\r\nA=a.unr\r\nK06=Held06-SomeLongerPackageName.unr\r\n";
    const std::vector<std::string> both = {"a.unr", "Held06-SomeLongerPackageName.unr"};
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"[Cache]\r\nA=a.unr\r\nK0", {"a.unr"}},
        {"[Cache]\r\nA=a.unr\r\nK06=Held06-SomeLo", {"a.unr"}},
        {whole.substr(0, whole.size() - 1), {"a.unr"}},
        {whole, both},
        {"", {}},
    };
    FaultyFileSystem faulty(files());
    fileSystem = &faulty;
    game.AddCacheFile("A", 1, "2001-01-01 00:00:00.000");
    game.AddCacheFile("K06", 1, "2001-01-01 00:00:01.000");
    for (const auto& [torn, wholeLines] : rows) {
        // Met halfway, the game done at the next look: the whole file is listed.
        int opened = 0;
        faulty.beforeOpen = [&, torn = torn] {
            faulty.justWritten = opened++ == 0;
            if (faulty.justWritten) {
                WriteWholeFile(game.IndexPath(), torn);
            } else {
                game.WriteIndex(whole);
            }
        };
        ReopenDialog();
        ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        EXPECT_EQ(ListedNames(), both) << torn;

        // Still writing whenever we look: only whole lines are listed.
        faulty.beforeOpen = [&, torn = torn] { WriteWholeFile(game.IndexPath(), torn); };
        faulty.justWritten = true;
        ReopenDialog();
        view.rows.clear();
        ASSERT_EQ(Run(&CVorpaneDlg::OnInitDialog), std::nullopt);
        EXPECT_EQ(ListedNames(), wholeLines) << torn;
        EXPECT_TRUE(boxes.shown.empty());

        // Once the game is done, Compact keeps each of its lines once.
        faulty.beforeOpen = nullptr;
        faulty.justWritten = false;
        game.WriteIndex(whole);
        ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
        EXPECT_EQ(ReadWholeFile(game.IndexPath()), whole + "\r\n") << torn;
    }
}

// A file that keeps changing while Compact reads it is left as it is.
TEST_F(Compact, LeavesAFileTheGameKeepsWritingAlone) {
    FaultyFileSystem faulty(files());
    fileSystem = &faulty;
    const std::string torn = "[Cache]\r\nA=a.unr\r\nK06=Held06-SomeLo";
    faulty.beforeOpen = [&] { WriteWholeFile(game.IndexPath(), torn); };
    faulty.justWritten = true;
    CacheList list;
    EXPECT_EQ(WriteCompactedIndex(list, IndexReading{}, CacheDir(), CacheDir() + "cache.ini",
                                  kEntryPrefixLength, faulty),
              CompactResult::KeptChanging);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), torn);
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{"cache.ini"});
}

enum class Fault { ReadOnlyIndex, NoCacheFolder, IndexHeld, WriteFails, CommitFails };

class CompactFailure : public Compact,
                       public ::testing::WithParamInterface<std::pair<Fault, std::string>> {};

// Every failure leaves cache.ini as it was, no temporary file behind, the
// list as it stood, and the report naming cache.ini.
TEST_P(CompactFailure, KeepsTheOldIndexAndTheList) {
    auto [fault, report] = GetParam();
    FaultyFileSystem faulty(files());
    fileSystem = &faulty;
    Open({{"A", "a.unr", "2001-01-01 00:00:00.000"}, {"B", "b.unr", "2001-01-02 00:00:00.000"}},
         "GONE=Missing.unr\r\n");
    const std::string before = ReadWholeFile(game.IndexPath());
    const std::vector<std::string> shown = Texts();
    // Gone from the disk, but a failed compaction must not rebuild the list.
    fs::remove(CachePath("B"));
    if (fault == Fault::ReadOnlyIndex) {
        fs::permissions(game.IndexPath(), fs::perms::owner_read);
    }
    if (fault == Fault::NoCacheFolder) {
        fs::rename(game.CacheDir(), game.Root() / "CacheAway");
    }
    CacheIndexFile otherProgram(files());
    if (fault == Fault::IndexHeld) {
        ASSERT_TRUE(otherProgram.OpenCacheIndex(game.IndexPath().string()));
    }
    faulty.goodWriteBytes = fault == Fault::WriteFails ? 10 : -1;
    faulty.commitError = fault == Fault::CommitFails ? 5 : 0;
    ASSERT_EQ(Run(&CVorpaneDlg::OnCompact), std::nullopt);
    otherProgram.CloseCacheIndex();
    if (fault == Fault::NoCacheFolder) {
        fs::rename(game.Root() / "CacheAway", game.CacheDir());
    }

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, report.replace(report.find("%1"), 2, CacheDir() + "cache.ini"));
    EXPECT_EQ(boxes.shown[0].caption, "vorpane");
    EXPECT_EQ(boxes.shown[0].style, BoxStyle::Stop);
    EXPECT_TRUE(chooser.titles.empty());
    EXPECT_EQ(Texts(), shown);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), before);
    EXPECT_EQ(FilesIn(game.CacheDir()), (std::vector<std::string>{"A.uxx", "cache.ini"}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CompactFailure,
    ::testing::Values(std::pair{Fault::ReadOnlyIndex, std::string("Access to %1 was denied.")},
                      std::pair{Fault::NoCacheFolder, std::string("%1 contains an invalid path.")},
                      std::pair{Fault::IndexHeld,
                                std::string("A sharing violation occurred while accessing %1.")},
                      std::pair{Fault::WriteFails, std::string("Disk full while accessing %1.")},
                      std::pair{Fault::CommitFails, std::string("Disk full while accessing %1.")}));

}  // namespace
