#include "platform/posix/wine_registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/vorpane_dlg.h"
#include "platform/file_system.h"
#include "support/fakes.h"
#include "support/temp_game.h"

namespace fs = std::filesystem;

namespace {

const std::string kKey = "Software\\\\Unreal Technology\\\\Installed Apps\\\\UnrealTournament";
const std::string kKey32 =
    "Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\UnrealTournament";

std::string RegistryFile(const std::string& body, bool win64 = false) {
    return std::string("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n") +
           (win64 ? "#arch=win64\n" : "#arch=win32\n") + "\n" + body;
}

std::string KeyWithFolder(const std::string& key, const std::string& valueLine) {
    return "[" + key + "] 1733500000\n#time=1db47c1a2b3c4d5\n" + valueLine + "\n\n";
}

std::u16string Unescape(std::string_view text, char closing, std::size_t* consumed = nullptr) {
    std::size_t used = 0;
    const std::optional<std::u16string> units = UnescapeWineText(text, closing, used);
    if (consumed != nullptr) {
        *consumed = used;
    }
    EXPECT_TRUE(units.has_value()) << text;
    return units.value_or(u"<missing>");
}

TEST(WineText, UndoesWinesEscapes) {
    std::size_t consumed = 0;
    EXPECT_EQ(Unescape(R"(C:\\Games\\UT" 1)", '"', &consumed), u"C:\\Games\\UT");
    EXPECT_EQ(consumed, 14u);
    EXPECT_EQ(Unescape(R"(say \"hi\"")", '"'), u"say \"hi\"");
    EXPECT_EQ(Unescape(R"(\a\b\e\f\n\r\t\v")", '"'), u"\a\b\x1b\f\n\r\t\v");
    // Hex takes at most four digits; octal at most three.
    EXPECT_EQ(Unescape(R"(\x00e9\x41g\xe9")", '"'), u"\u00e9Ag\u00e9");
    EXPECT_EQ(Unescape(R"(\x004123")", '"'), u"A23");
    EXPECT_EQ(Unescape(R"(\101\1012\0")", '"'), u"AA2" + std::u16string(1, u'\0'));
    // "\x" without digits is the letter; other escaped characters stand for themselves.
    EXPECT_EQ(Unescape(R"(\xyz\[\]\q")", '"'), u"xyz[]q");
    // Key names end at an unescaped bracket.
    EXPECT_EQ(Unescape(R"(a\]b] 123)", ']', &consumed), u"a]b");
    EXPECT_EQ(consumed, 5u);
    // Text that was not escaped is read as UTF-8 where it is valid.
    EXPECT_EQ(Unescape("\xc3\x84ra \xff\"", '"'), u"\u00c4ra \u00ff");
}

TEST(WineText, WithoutItsClosingCharacterIsRefused) {
    std::size_t consumed = 0;
    EXPECT_FALSE(UnescapeWineText(R"(C:\\UT)", '"', consumed));
    EXPECT_FALSE(UnescapeWineText(R"(C:\")", '"', consumed));
    EXPECT_FALSE(UnescapeWineText("ends in a backslash\\", '"', consumed));
}

TEST(WineText, Utf16BecomesUtf8) {
    EXPECT_EQ(Utf16ToUtf8(u"UT \u00c4 \u20ac"), "UT \xc3\x84 \xe2\x82\xac");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
    // A lone surrogate cannot be written as UTF-8.
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xef\xbf\xbdx");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(2, u'\0')), std::string(2, '\0'));
}

TEST(WineRegistryFile, FindsAValueWithoutRegardToCase) {
    const std::string text = RegistryFile(
        "[Software\\\\Unreal Technology\\\\Installed Apps\\\\UnrealTournament\\\\Sub] 1\n"
        "\"Folder\"=\"C:\\\\Wrong\"\n\n" +
        KeyWithFolder("software\\\\unreal technology\\\\installed apps\\\\unrealtournament",
                      "@=\"default\"\n\"Version\"=\"436\"\n\"FOLDER\"=\"C:\\\\UT\"") +
        "[Software\\\\Other] 2\n\"Folder\"=\"C:\\\\Other\"\n");
    const WineRegistryLookup lookup = FindWineRegistryValue(
        text, "Software\\Unreal Technology\\Installed Apps\\UnrealTournament", "Folder");
    EXPECT_TRUE(lookup.keyFound);
    EXPECT_EQ(lookup.data, std::string("C:\\UT") + '\0');
}

TEST(WineRegistryFile, TellsAMissingKeyFromAMissingValue) {
    const std::string key = "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
    const std::string withoutValue = RegistryFile(KeyWithFolder(kKey, "\"Version\"=\"436\"") +
                                                  "[Software\\\\Next] 3\n\"Folder\"=\"C:\\\\\"\n");
    EXPECT_TRUE(FindWineRegistryValue(withoutValue, key, "Folder").keyFound);
    EXPECT_FALSE(FindWineRegistryValue(withoutValue, key, "Folder").data);

    const std::string withoutKey = RegistryFile(KeyWithFolder(kKey + "X", "\"Folder\"=\"C:\\\\\""));
    EXPECT_FALSE(FindWineRegistryValue(withoutKey, key, "Folder").keyFound);
    EXPECT_FALSE(FindWineRegistryValue("", key, "Folder").keyFound);
}

TEST(WineRegistryFile, ReadsEveryFormOfData) {
    const std::string key = "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
    const auto data = [&](const std::string& line) {
        return FindWineRegistryValue(RegistryFile(KeyWithFolder(kKey, line)), key, "Folder").data;
    };
    EXPECT_EQ(data("\"Folder\"=\"\""), std::string(1, '\0'));
    EXPECT_EQ(data("\"Folder\"=str(2):\"C:\\\\UT\""), std::string("C:\\UT") + '\0');
    // A text stored as bytes, continued over two lines.
    EXPECT_EQ(data("\"Folder\"=hex(1):43,00,3a,00,5c,00,\\\n  55,00,54,00,00,00"),
              std::string("C:\\UT") + '\0');
    EXPECT_EQ(data("\"Folder\"=hex:01,ff,00"), std::string("\x01\xff\x00", 3));
    EXPECT_EQ(data("\"Folder\"=dword:0000012c"), std::string("\x2c\x01\x00\x00", 4));
    // Data that cannot be read counts as a value that cannot be read.
    EXPECT_FALSE(data("\"Folder\"=\"C:\\\\UT"));
    EXPECT_FALSE(data("\"Folder\"=hex:4"));
    EXPECT_FALSE(data("\"Folder\"=dword:12"));
    EXPECT_FALSE(data("\"Folder\"=unknown:12"));
}

TEST(WineRegistryFile, KnowsA64BitPrefix) {
    EXPECT_TRUE(IsWin64Registry(RegistryFile("", true)));
    EXPECT_FALSE(IsWin64Registry(RegistryFile("", false)));
    EXPECT_FALSE(IsWin64Registry(RegistryFile("[Software] 1\n#arch=win64\n", false)));
}

// A Wine prefix in a temporary folder, with drive C: and the game in it.
class WinePrefix : public ::testing::Test {
  protected:
    WinePrefix() : prefix_(temp_.Root() / "wine") {
        fs::create_directories(prefix_ / "dosdevices");
        fs::create_directories(prefix_ / "drive_c" / "Games" / "UnrealTournament" / "Cache");
        fs::create_directory_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
        fs::create_directory_symlink("/", prefix_ / "dosdevices" / "z:");
    }

    void WriteRegistry(const std::string& text) const {
        WriteWholeFile(prefix_ / "system.reg", text);
    }
    InstallationEntry Read() { return WineRegistry(prefix_).ReadGameFolderEntry(); }
    std::string GameFolder() const {
        return fs::canonical(prefix_ / "drive_c" / "Games" / "UnrealTournament").string();
    }
    const fs::path& Prefix() const { return prefix_; }

  private:
    TempGame temp_;
    fs::path prefix_;
};

TEST_F(WinePrefix, MapsTheFolderThroughTheDriveLink) {
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"="C:\\Games\\UnrealTournament")")));
    const InstallationEntry entry = Read();
    EXPECT_TRUE(entry.keyFound);
    EXPECT_EQ(entry.folderData, GameFolder() + '\0');
}

TEST_F(WinePrefix, MatchesFoldersWithoutRegardToCase) {
    WriteRegistry(
        RegistryFile(KeyWithFolder(kKey, R"("Folder"="c:/GAMES\\.\\x\\..\\unrealtournament\\")")));
    EXPECT_EQ(Read().folderData, GameFolder() + '\0');
}

TEST_F(WinePrefix, UndoesEscapesInTheFolder) {
    fs::create_directories(Prefix() / "drive_c" / "Spiele \xc3\x84ra \"UT\"");
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"="C:\\Spiele \x00c4ra \"UT\"")")));
    const fs::path expected = fs::canonical(Prefix() / "drive_c") / "Spiele \xc3\x84ra \"UT\"";
    EXPECT_EQ(Read().folderData, expected.string() + '\0');
}

TEST_F(WinePrefix, AUnixPathGoesThroughDriveZ) {
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, "\"Folder\"=\"Z:" + GameFolder() + "\"")));
    EXPECT_EQ(Read().folderData, GameFolder() + '\0');
}

TEST_F(WinePrefix, A64BitPrefixKeepsTheGameUnderWow6432Node) {
    WriteRegistry(
        RegistryFile(KeyWithFolder(kKey, R"("Folder"="C:\\Wrong")") +
                         KeyWithFolder(kKey32, R"("Folder"="C:\\Games\\UnrealTournament")"),
                     true));
    EXPECT_EQ(Read().folderData, GameFolder() + '\0');

    // Only the plain key there: it is taken all the same.
    WriteRegistry(
        RegistryFile(KeyWithFolder(kKey, R"("Folder"="C:\\Games\\UnrealTournament")"), true));
    EXPECT_EQ(Read().folderData, GameFolder() + '\0');
}

TEST_F(WinePrefix, A32BitPrefixPrefersThePlainKey) {
    WriteRegistry(RegistryFile(KeyWithFolder(kKey32, R"("Folder"="C:\\Wrong")") +
                               KeyWithFolder(kKey, R"("Folder"="C:\\Games\\UnrealTournament")")));
    EXPECT_EQ(Read().folderData, GameFolder() + '\0');
    // A key without the value does not hide the other key's value.
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Version"="436")") +
                               KeyWithFolder(kKey32, R"("Folder"="C:\\Games\\UnrealTournament")")));
    EXPECT_EQ(Read().folderData, GameFolder() + '\0');
}

TEST_F(WinePrefix, NoPrefixNoFileOrNoKeyIsAMissingKey) {
    EXPECT_FALSE(WineRegistry(std::nullopt).ReadGameFolderEntry().keyFound);
    EXPECT_FALSE(Read().keyFound);  // no system.reg yet
    WriteRegistry(RegistryFile(KeyWithFolder("Software\\\\Epic", R"("Folder"="C:\\")")));
    EXPECT_FALSE(Read().keyFound);
    EXPECT_FALSE(Read().folderData);
}

TEST_F(WinePrefix, AKeyWithoutTheValueIsAMissingValue) {
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folders"="C:\\Games")")));
    const InstallationEntry entry = Read();
    EXPECT_TRUE(entry.keyFound);
    EXPECT_FALSE(entry.folderData);
}

TEST_F(WinePrefix, AnEmptyValueIsHandedOnAsAnEmptyText) {
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"="")")));
    EXPECT_EQ(Read().folderData, std::string(1, '\0'));
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"=hex:)")));
    EXPECT_EQ(Read().folderData, std::string());
}

TEST_F(WinePrefix, AFolderOnAnUnmappedDriveIsNotUsable) {
    for (const char* value : {R"("Folder"="D:\\UnrealTournament")", R"("Folder"="\\\\server\\ut")",
                              R"("Folder"="UnrealTournament")", R"("Folder"="/home/ut")"}) {
        WriteRegistry(RegistryFile(KeyWithFolder(kKey, value)));
        const InstallationEntry entry = Read();
        EXPECT_TRUE(entry.keyFound) << value;
        EXPECT_FALSE(entry.folderData) << value;
    }
    // A drive link that leads nowhere is not mapped either.
    fs::create_directory_symlink("../nowhere", Prefix() / "dosdevices" / "d:");
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"="D:\\UnrealTournament")")));
    EXPECT_FALSE(Read().folderData);
}

TEST_F(WinePrefix, AnOverlongValueIsNotUsable) {
    const std::string longest = "C:\\" + std::string(257, 'x');  // 260 bytes
    WriteRegistry(
        RegistryFile(KeyWithFolder(kKey, "\"Folder\"=\"C:\\\\" + longest.substr(3) + "\"")));
    EXPECT_TRUE(Read().folderData);
    WriteRegistry(
        RegistryFile(KeyWithFolder(kKey, "\"Folder\"=\"C:\\\\" + longest.substr(3) + "y\"")));
    EXPECT_TRUE(Read().keyFound);
    EXPECT_FALSE(Read().folderData);
}

TEST(WinePrefixLocation, IsWineprefixElseHomeDotWine) {
    const char* saved = std::getenv("WINEPREFIX");
    const std::string savedPrefix = saved ? saved : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("WINEPREFIX", "/opt/prefix", 1);
    EXPECT_EQ(DefaultWinePrefix(), fs::path("/opt/prefix"));
    setenv("WINEPREFIX", "", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(DefaultWinePrefix(), fs::path("/home/player/.wine"));
    unsetenv("WINEPREFIX");
    unsetenv("HOME");
    EXPECT_EQ(DefaultWinePrefix(), std::nullopt);
    setenv("HOME", savedHome.c_str(), 1);
    if (saved != nullptr) {
        setenv("WINEPREFIX", savedPrefix.c_str(), 1);
    }
}

// The reader behind the main window's logic, on a real prefix and game.
class WineStart : public WinePrefix {
  protected:
    std::optional<int> Start() {
        WineRegistry registry(Prefix());
        std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
        CVorpaneDlg dialog(
            DialogServices{view, boxes, chooser, registry, *files, exit, about, "vorpane"});
        try {
            dialog.RunHandler(&CVorpaneDlg::OnInitDialog);
        } catch (const ProcessEnded& ended) {
            return ended.code;
        }
        gameDir = dialog.GameDir();
        return std::nullopt;
    }

    FakeView view;
    FakeBoxes boxes;
    FakeChooser chooser;
    FakeExit exit;
    FakeAbout about;
    std::string gameDir;
};

TEST_F(WineStart, OpensTheGameTheRegistryNames) {
    WriteWholeFile(GameFolder() + "/Cache/cache.ini", "[Cache]\r\n");
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"="C:\\Games\\UnrealTournament")")));
    EXPECT_EQ(Start(), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(chooser.titles.empty());
    EXPECT_EQ(gameDir, GameFolder() + "/");
}

TEST_F(WineStart, AnUnmappedDriveWarnsOfTheValueThenAsks) {
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"="Q:\\UnrealTournament")")));
    EXPECT_EQ(Start(), 0);  // the chooser, cancelled
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Registry Value Can't Be Found");
    EXPECT_EQ(chooser.titles.size(), 1u);
}

TEST_F(WineStart, AnEmptyValueLeadsToTheIndexThatCannotBeOpened) {
    WriteRegistry(RegistryFile(KeyWithFolder(kKey, R"("Folder"="")")));
    EXPECT_EQ(Start(), 0);  // "Could NOT be opened", then the chooser, cancelled
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Could NOT be opened");
    EXPECT_EQ(boxes.shown[0].caption, "");
}

}  // namespace
