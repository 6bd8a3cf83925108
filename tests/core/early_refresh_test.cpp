#include <gtest/gtest.h>

#include <memory>

#include "app/early_refresh.h"
#include "list/entry_order.h"
#include "platform/path_separator.h"
#include "support/dialog_fixture.h"
#include "support/faulty_file_system.h"

namespace {

// Runs while the toolkit starts: the window takes its list only when it
// would have read the same index, and shows what it always shows otherwise.
class EarlyRefreshTest : public DialogFixture {
  protected:
    EarlyRefreshTest() {
        game.AddCacheFile("A", 400'000, "2001-08-12 06:35:48.250");
        game.AddCacheFile("B", 1, "2001-08-12 06:36:00.000");
        game.AddCacheFile("C", 1, "2003-01-01 00:00:00.000");
        // Windows-1252, as the game writes it: Windows lists it as text.
        game.WriteIndex("[Cache]\r\nA=a\xE9.unr\r\nB=b.utx\r\nGONE=g.unr\r\nC=c.umx\r\n");
    }

    // The rows a window shows that reads everything itself.
    std::vector<std::string> PlainRows(FileSystem& files) {
        FakeServices plain;
        plain.registry.SetFolder(game.Dir());
        CVorpaneDlg dialog(plain.For(files));
        dialog.RunHandler(&CVorpaneDlg::OnInitDialog);
        return plain.view.Texts();
    }

    // The window as the program makes it: the early pass stands in for the
    // installation entry too.
    void OpenWith(EarlyRefresh& early) {
        DialogServices services{view, boxes, chooser, early, files(), exit, about, "vorpane"};
        services.early = &early;
        window_ = std::make_unique<CVorpaneDlg>(std::move(services));
        window_->RunHandler(&CVorpaneDlg::OnInitDialog);
    }

    std::unique_ptr<CVorpaneDlg> window_;
};

// As Windows names files: the names converted early, and their bytes with them.
TEST_F(EarlyRefreshTest, TheAdoptedListIsThePlainRefreshs) {
    FaultyFileSystem named(files());
    named.utf8Names = true;
    const std::vector<std::string> plain = PlainRows(named);
    EXPECT_EQ(plain.front().substr(kEntryPrefixLength), "a\u00E9.unr");
    auto earlyFiles = std::make_unique<FaultyFileSystem>(files());
    earlyFiles->utf8Names = true;
    EarlyRefresh early(registry, std::move(earlyFiles), std::nullopt, nullptr);
    // Were the window to read cache.ini itself, it would fail.
    FaultyFileSystem unread(named);
    unread.goodReads = 0;
    fileSystem = &unread;
    OpenWith(early);
    EXPECT_EQ(Texts(), plain);
    EXPECT_TRUE(boxes.shown.empty());
    // And it compacts as after its own refresh: the missing file's line
    // goes, the others stay in their bytes.
    unread.goodReads = -1;
    window_->RunHandler(&CVorpaneDlg::OnCompact);
    EXPECT_EQ(ReadWholeFile(game.IndexPath()),
              "[Cache]\r\nA=a\xE9.unr\r\nB=b.utx\r\nC=c.umx\r\n\r\n");
}

TEST_F(EarlyRefreshTest, AnotherFolderIsReadByTheWindow) {
    TempGame other;
    other.AddCacheFile("K", 1, "2005-01-01 00:00:00.000");
    other.WriteIndex("K=k.unr\n");
    EarlyRefresh early(registry, MakeNativeFileSystem(), other.Dir(), nullptr);
    OpenWith(early);
    EXPECT_EQ(Texts(), PlainRows(files()));
}

TEST_F(EarlyRefreshTest, AFailureEarlyIsShownByTheWindowOnce) {
    auto failing = std::make_unique<FaultyFileSystem>(files());
    failing->goodReads = 0;
    FaultyFileSystem windowFiles(files());
    windowFiles.goodReads = 0;
    fileSystem = &windowFiles;
    EarlyRefresh early(registry, std::move(failing), std::nullopt, nullptr);
    OpenWith(early);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "An unknown error occurred while accessing " + game.IndexPath().string() + ".");
    EXPECT_TRUE(Texts().empty());
}

}  // namespace
