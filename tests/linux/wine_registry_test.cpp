#include "platform/posix/wine_registry.h"
#include "platform/path_separator.h"
#include "platform/posix/wine_prefixes.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "posix/in_child.h"
#include "support/temp_game.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string Registry(const std::string& keys, const std::string& arch = "win32") {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=" + arch +
           "\n\n" + keys;
}

const std::string kApps = "[Software\\\\Unreal Technology\\\\Installed Apps\\\\";
const std::string kKey = kApps + "UnrealTournament] 1733500000\n#time=1db47c1a2b3c4d5\n";
const std::string kKeyOn64 =
    "[Software\\\\Wow6432Node\\\\Unreal Technology\\\\Installed Apps\\\\UnrealTournament] 1\n";
const std::string kFolder = R"("Folder"="C:\\Games\\UnrealTournament")"s + "\n";
const std::string kWrongFolder = R"("Folder"="C:\\Wrong")"s + "\n";
// "C:\Games" as UTF-16 bytes without a terminator, over two lines as Wine writes them.
const std::string kHexGames = "hex(1):43,00,3a,00,5c,00,\\\n  47,00,61,00,6d,00,65,00,73,00\n";
const std::string kGame = "@/drive_c/Games/UnrealTournament\0"s;

struct Case {
    std::string name;
    std::optional<std::string> registry;  // system.reg; nothing for none
    bool keyFound;
    std::optional<std::string> folderData;  // "@" stands for the prefix
    std::string drives = "c";  // each linked as dosdevices/<drive>: to ../drive_<drive>
};

std::vector<Case> Cases() {
    const std::string xLongest(kPathBufferSize - 4, 'x');
    std::vector<Case> cases = {
        {"no system.reg", std::nullopt, false, std::nullopt},
        {"no key: only a sub key, a longer name, a name without its bracket",
         Registry(kApps + "UnrealTournament\\\\Sub] 1\n" + kFolder + kApps +
                  "UnrealTournamentX] 1\n" + kFolder + kApps + "UnrealTournament\n" + kFolder),
         false, std::nullopt},
        {"no Folder: the default value, a longer name, the next key's value",
         Registry(kKey + R"(@="C:\\Games")" + "\n" + R"("Folders"="C:\\Games")" + "\n" +
                  "[Software\\\\Epic] 2\n" + kFolder),
         true, std::nullopt},
        {"plain text", Registry(kKey + R"("Version"="436")" + "\n" + kFolder), true, kGame},
        {"stray lines", Registry("[\n\"\n" + kKey + "\"\n\"Folder\n\"Folder\"\n" + kFolder), true,
         kGame},
        {"escapes",
         Registry(kKey +
                  R"("Folder"="C:\\Spiele \xc4ra\\\"UT\" \xd83c\xdfae\\Caf\x00e9e\\\xd800!")"),
         true, "@/drive_c/Spiele \u00c4ra/\"UT\" \U0001F3AE/Caf\u00e9e/\uFFFD!\0"s},
        {"str(2)", Registry(kKey + R"("Folder"=str(2):"C:\\Games")"), true, "@/drive_c/Games\0"s},
        {"hex(1)", Registry(kKey + "\"Folder\"=" + kHexGames), true, "@/drive_c/Games\0"s},
        {"hex(2) with terminator", Registry(kKey + "\"Folder\"=hex(2):43,00,3a,00,00,00\n"), true,
         "@/drive_c\0"s},
        {"64-bit prefix", Registry(kKey + kWrongFolder + kKeyOn64 + kFolder, "win64"), true, kGame},
        {"32-bit prefix", Registry(kKeyOn64 + kWrongFolder + kKey + kFolder), true, kGame},
        {"a key without Folder", Registry(kKeyOn64 + "\n" + kKey + kFolder, "win64"), true, kGame},
        {"CRLF",
         std::regex_replace(
             Registry(kKey + kWrongFolder + kKeyOn64 + "\"Folder\"=" + kHexGames, "win64"),
             std::regex("\n"), "\r\n"),
         true, "@/drive_c/Games\0"s},
        {"names without regard to case",
         Registry(R"([software\\UNREAL technology\\installed apps\\unrealTournament] 1)"s + "\n" +
                  R"("FOLDER"="C:\\Games\\UnrealTournament")"),
         true, kGame},
        {"folders without regard to case",
         Registry(kKey + R"("Folder"="c:\\..\\GAMES\\.\\x\\..\\unrealtournament/")"), true, kGame},
        {"no drive link", Registry(kKey + R"("Folder"="D:\\UT")"), true, std::nullopt},
        {"drive link to nowhere", Registry(kKey + R"("Folder"="D:\\UT")"), true, std::nullopt,
         "cd"},
        {"no drive", Registry(kKey + R"("Folder"="\\\\server\\UT")"), true, std::nullopt},
        {"empty text", Registry(kKey + R"("Folder"="")"), true, "\0"s},
        {"no bytes", Registry(kKey + "\"Folder\"=hex(1):\n"), true, ""s},
        {"the longest path", Registry(kKey + "\"Folder\"=\"C:\\\\" + xLongest + "\""), true,
         "@/drive_c/" + xLongest + '\0'},
        {"one byte more", Registry(kKey + "\"Folder\"=\"C:\\\\" + xLongest + "y\""), true,
         std::nullopt},
    };
    // The key's name across the end of the first 64 KiB, which are looked
    // through before the rest.
    const std::size_t before = Registry("").size() + kKey.find(']') - 5;
    cases.push_back({"a key across 64 KiB",
                     Registry(std::string(65536 - before - 1, ';') + "\n" + kKey + kFolder), true,
                     kGame});
    for (const std::string data :
         {"dword:00003a43", "hex:43,3a,00", "hex(7):43,00,3a,00,00,00,00,00", R"(str(7):"C:\\")",
          R"("C:\\Games)", R"("C:\Games")", R"("C:\\Games\n")", R"("C:\\\x")",
          "hex(1):43,00,3a,00,4g,00", "hex(1):43,00,3a,00,\\"}) {
        cases.push_back(
            {"unreadable " + data, Registry(kKey + "\"Folder\"=" + data), true, std::nullopt});
    }
    return cases;
}

TEST(WineRegistry, ReadsTheGameFolderEntryOfAPrefix) {
    TempGame temp;
    int number = 0;
    for (const Case& c : Cases()) {
        const fs::path prefix = temp.Root() / std::to_string(++number);
        fs::create_directories(prefix / "drive_c" / "Games" / "UnrealTournament");
        fs::create_directory(prefix / "dosdevices");
        for (const char drive : c.drives) {
            fs::create_directory_symlink("../drive_"s + drive,
                                         prefix / "dosdevices" / (std::string(1, drive) + ':'));
        }
        if (c.registry) {
            WriteWholeFile(prefix / "system.reg", *c.registry);
        }
        std::optional<std::string> expected = c.folderData;
        if (expected && expected->starts_with('@')) {
            expected->replace(0, 1, fs::canonical(prefix).string());
        }
        const InstallationEntry entry = WineRegistry({prefix}).ReadGameFolderEntry();
        EXPECT_EQ(entry.keyFound, c.keyFound) << c.name;
        EXPECT_EQ(entry.folderData, expected) << c.name;
    }
    EXPECT_FALSE(WineRegistry({}).ReadGameFolderEntry().keyFound);
}

TEST(WineRegistry, AFifoInPlaceOfSystemRegIsPassedOver) {
    TempGame temp;
    ASSERT_EQ(mkfifo((temp.Root() / "system.reg").c_str(), 0644), 0);
    EXPECT_EQ(InChild(
                  [&] {
                      const InstallationEntry entry =
                          WineRegistry({temp.Root()}).ReadGameFolderEntry();
                      return std::string(entry.keyFound || entry.folderData ? "found" : "none");
                  },
                  5),
              "none");
}

// The prefixes, one a line, with `home` for "~".
std::string Joined(const std::vector<fs::path>& paths, const fs::path& home) {
    std::string text;
    for (const fs::path& path : paths) {
        text += "~/" + path.lexically_relative(home).string() + "\n";
    }
    return text;
}

TEST(WineRegistry, WineprefixAloneElseHomeDotWineThenEachSteamLibrary) {
    EXPECT_EQ(WinePrefixesToSearch("/opt/prefix", "/home/player"),
              std::vector<fs::path>{"/opt/prefix"});
    EXPECT_TRUE(WinePrefixesToSearch("", nullptr).empty());

    TempGame temp;
    const fs::path home = temp.Root() / "home";
    const fs::path steam = home / ".local/share/Steam";
    const fs::path second = home / "games" / "Steam Library";
    const fs::path vdf = steam / "steamapps/libraryfolders.vdf";
    const fs::path proton = "steamapps/compatdata/13240/pfx";
    fs::create_directories(steam / proton);
    fs::create_directories(home / ".steam");
    fs::create_directory_symlink(steam, home / ".steam/steam");
    const std::string defaultOnly = "~/.wine\n~/.local/share/Steam/" + proton.string() + "\n";
    const std::string both = defaultOnly + "~/games/Steam Library/" + proton.string() + "\n";
    const struct {
        std::optional<std::string> vdf;  // nothing: a FIFO in its place
        std::string prefixes;
    } cases[] = {
        {"\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
             "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"13240\"\t\t\"1\"\n\t\t}\n\t}\n"
             "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
             second.string() + "\"\n\t}\n}\n",
         both},
        // As Steam wrote it before 2021: each library a numbered path.
        {"\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1616000000\"\n"
         "\t\"ContentStatsID\"\t\t\"-4711\"\n\t\"1\"\t\t\"" +
             second.string() + "\"\n}\n",
         both},
        {std::nullopt, defaultOnly},
    };
    for (const auto& c : cases) {
        fs::remove(vdf);
        if (c.vdf) {
            WriteWholeFile(vdf, *c.vdf);
        } else {
            ASSERT_EQ(mkfifo(vdf.c_str(), 0644), 0);
        }
        EXPECT_EQ(
            InChild([&] { return Joined(WinePrefixesToSearch(nullptr, home.c_str()), home); }, 5),
            c.prefixes)
            << c.vdf.value_or("FIFO");
    }
    // A key without a folder is still told apart from no key at all.
    WriteWholeFile(steam / proton / "system.reg", Registry(kKey + R"("Other"="1")"));
    const InstallationEntry keyOnly =
        WineRegistry({home / ".wine", steam / proton}).ReadGameFolderEntry();
    EXPECT_TRUE(keyOnly.keyFound);
    EXPECT_FALSE(keyOnly.folderData);
}

// A home as a launcher leaves it. In file texts "@" stands for the home;
// "<fifo>" makes a FIFO.
struct Home {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;
    // Prefixes whose entry names the game in C:\UT, with the time its
    // Cache/cache.ini was written (none: no cache.ini).
    std::vector<std::pair<std::string, std::optional<std::string>>> games;
    std::string chosen;      // the prefix the game is taken from
    std::size_t hidden = 0;  // of `games`, those no launcher leads to
};

std::string LutrisYml(const std::string& prefix) {
    return "game:\n  exe: " + prefix +
           "/drive_c/UT/System/UnrealTournament.exe\n  prefix: " + prefix +
           "\nsystem:\n  disable_runtime: false\n";
}

std::string HeroicJson(const std::string& prefix) {
    return R"({"1207658691": {"autoInstallDxvk": true, "winePrefix": ")" + prefix +
           R"(", "wineVersion": {"type": "wine"}}, "version": "v0"})";
}

const char* const kOlder = "2026-01-01 10:00:00.000";
const char* const kNewer = "2026-01-02 10:00:00.000";

// One row per launcher layout, in the order they are searched.
std::vector<Home> Layouts() {
    const std::string pfx = "/steamapps/compatdata/13240/pfx";
    const auto vdf = [](const std::string& library) {
        return "\"libraryfolders\" { \"1\" { \"path\" \"@/" + library + "\" } }";
    };
    return {
        {"~/.wine", {}, {{".wine", {}}}, ".wine"},
        {"Steam, a library its libraryfolders.vdf lists",
         {{".local/share/Steam/steamapps/libraryfolders.vdf", vdf("library")}},
         {{"library" + pfx, {}}},
         "library" + pfx},
        {"Flatpak Steam",
         {{".var/app/com.valvesoftware.Steam/.local/share/Steam/config/libraryfolders.vdf",
           vdf("flatpak")}},
         {{"flatpak" + pfx, {}}},
         "flatpak" + pfx},
        {"Snap Steam",
         {},
         {{"snap/steam/common/.local/share/Steam" + pfx, {}}},
         "snap/steam/common/.local/share/Steam" + pfx},
        {"Lutris",
         {{".config/lutris/games/ut-1.yml", LutrisYml("@/lutris")}},
         {{"lutris", {}}},
         "lutris"},
        {"Lutris 0.5.13, a prefix from ~",
         {{".local/share/lutris/games/ut-1.yml", "game:\n  prefix: ~/lutris2\n"}},
         {{"lutris2", {}}},
         "lutris2"},
        {"Flatpak Lutris",
         {{".var/app/net.lutris.Lutris/config/lutris/games/ut-1.yml", LutrisYml("@/lutris3")}},
         {{"lutris3", {}}},
         "lutris3"},
        {"Heroic",
         {{".config/heroic/GamesConfig/1207658691.json", HeroicJson("@/heroic")}},
         {{"heroic", {}}},
         "heroic"},
        {"Flatpak Heroic with Proton",
         {{".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig/ut.json",
           HeroicJson("@/heroic2")}},
         {{"heroic2/pfx", {}}},
         "heroic2/pfx"},
        {"Heroic's default prefixes",
         {},
         {{"Games/Heroic/Prefixes/default/UT GOTY", {}}},
         "Games/Heroic/Prefixes/default/UT GOTY"},
        {"Bottles",
         {},
         {{".local/share/bottles/bottles/UT", {}}},
         ".local/share/bottles/bottles/UT"},
        {"Flatpak Bottles",
         {},
         {{".var/app/com.usebottles.bottles/data/bottles/bottles/UT", {}}},
         ".var/app/com.usebottles.bottles/data/bottles/bottles/UT"},
        {"PlayOnLinux", {}, {{".PlayOnLinux/wineprefix/UT", {}}}, ".PlayOnLinux/wineprefix/UT"},
        {"CrossOver", {}, {{".cxoffice/UT", {}}}, ".cxoffice/UT"},
    };
}

std::vector<Home> Choices() {
    const std::string big = LutrisYml("@/ut") + "#" + std::string(1 << 20, 'x') + "\n";
    return {
        {"broken configurations are passed over",
         {{".config/lutris/games/a.yml", "game: [prefix: @/ut"},
          {".config/lutris/games/b.yml", std::string(3000, '[')},
          {".config/lutris/games/c.yml", "<fifo>"},
          {".config/lutris/games/d.yml", big},
          {".config/lutris/games/e.yml", "game:\n  prefix: [@/ut]\n"},
          {".config/heroic/GamesConfig/a.json", R"({"ut": {"winePrefix": 5}})"},
          {".config/heroic/GamesConfig/b.json", R"({"ut": {"winePrefix": "@/ut")"},
          {".config/heroic/GamesConfig/c.json", std::string(100000, '[')}},
         {{"ut", kNewer}, {".cxoffice/UT", kOlder}},
         ".cxoffice/UT",
         1},
        {"a game with cache.ini wins over an earlier one without",
         {},
         {{".wine", {}}, {".PlayOnLinux/wineprefix/UT", kOlder}},
         ".PlayOnLinux/wineprefix/UT"},
        {"the cache.ini written last wins",
         {},
         {{".wine", kOlder}, {".local/share/bottles/bottles/UT", kNewer}, {".cxoffice/UT", kOlder}},
         ".local/share/bottles/bottles/UT"},
        {"a tie goes by search order",
         {},
         {{".wine", {}}, {".local/share/bottles/bottles/UT", kOlder}, {".cxoffice/UT", kOlder}},
         ".local/share/bottles/bottles/UT"},
        {"without any cache.ini the first searched",
         {},
         {{".cxoffice/UT", {}}, {".PlayOnLinux/wineprefix/UT", {}}},
         ".PlayOnLinux/wineprefix/UT"},
        {"a FIFO as cache.ini is no cache.ini",
         {{".wine/drive_c/UT/Cache/cache.ini", "<fifo>"}},
         {{".wine", {}}, {".cxoffice/UT", kOlder}},
         ".cxoffice/UT"},
        {"one prefix named twice is one",
         {{".config/lutris/games/ut.yml", "game:\n  prefix: @/.wine/\n"}},
         {{".wine", {}}},
         ".wine"},
    };
}

// Builds the home in `home`, with every prefix of `games` holding the game.
void MakeHome(const fs::path& home, const Home& row) {
    for (const auto& [prefix, cacheTime] : row.games) {
        fs::create_directories(home / prefix / "drive_c/UT");
        fs::create_directories(home / prefix / "dosdevices");
        fs::remove(home / prefix / "dosdevices/c:");
        fs::create_directory_symlink("../drive_c", home / prefix / "dosdevices/c:");
        WriteWholeFile(home / prefix / "system.reg",
                       Registry(kKey + R"("Folder"="C:\\UT")" + "\n"));
        if (cacheTime) {
            const fs::path index = home / prefix / "drive_c/UT/Cache/cache.ini";
            fs::create_directories(index.parent_path());
            WriteWholeFile(index, "[Cache]\n");
            SetModificationTime(index, *cacheTime);
        }
    }
    for (const auto& [path, text] : row.files) {
        fs::create_directories((home / path).parent_path());
        if (text == "<fifo>") {
            ASSERT_EQ(mkfifo((home / path).c_str(), 0644), 0) << path;
        } else {
            WriteWholeFile(home / path, std::regex_replace(text, std::regex("@"), home.string()));
        }
    }
}

// The game folder found and the prefix chosen, or what went wrong.
std::string FoundIn(const fs::path& home) {
    return InChild([&] {
        const PrefixSearch search =
            WineRegistry(WinePrefixesToSearch(nullptr, home.c_str())).Search();
        const std::size_t chose = search.account.find("vorpane: chose " + home.string() + "/");
        if (!search.entry.folderData || chose == std::string::npos) {
            return "nothing found:\n" + search.account;
        }
        const std::string prefix = search.account.substr(chose + 16 + home.string().size());
        std::size_t holding = 0;
        for (std::size_t at = 0;
             (at = search.account.find(": the game in '", at)) != std::string::npos; ++at) {
            ++holding;
        }
        return *search.entry.folderData + " from " + prefix.substr(0, prefix.find(':')) + ", " +
               std::to_string(holding) + " holding";
    });
}

TEST(WineRegistry, FindsTheGameWhereverALauncherPutIt) {
    TempGame temp;
    int number = 0;
    std::vector<Home> rows = Layouts();
    const std::vector<Home> choices = Choices();
    rows.insert(rows.end(), choices.begin(), choices.end());
    for (const Home& row : rows) {
        const fs::path home = temp.Root() / std::to_string(++number);
        MakeHome(home, row);
        const std::string folder = fs::canonical(home / row.chosen / "drive_c").string() + "/UT";
        EXPECT_EQ(FoundIn(home), folder + '\0' + " from " + row.chosen + ", " +
                                     std::to_string(row.games.size() - row.hidden) + " holding")
            << row.name;
    }
}

TEST(WineRegistry, LaunchersAreSearchedInTheirOrder) {
    // Every layout in one home: the first holds the game; the game's
    // cache.ini, written the same time in all, leaves the choice to the order.
    TempGame temp;
    const fs::path home = temp.Root() / "home";
    std::vector<Home> layouts = Layouts();
    std::vector<std::string> order;
    for (Home& row : layouts) {
        row.games.back().second = kOlder;
        order.push_back(row.chosen);
    }
    // Each layout's prefix in turn is the only one left holding the game.
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        fs::remove_all(home);
        for (std::size_t j = i; j < layouts.size(); ++j) {
            MakeHome(home, layouts[j]);
        }
        const std::string found = FoundIn(home);
        const std::size_t from = found.find(" from ") + 6;
        EXPECT_EQ(found.substr(from, found.find(", ", from) - from), order[i]) << layouts[i].name;
    }
}

}  // namespace
