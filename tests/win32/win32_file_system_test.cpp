// What only the Win32 layer does: the core suites run everything else on it.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "base/file_error.h"
#include "base/file_time.h"
#include "cache/cache_index_file.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_installation_registry.h"
#include "support/temp_game.h"
#include "support/win32_file_times.h"

namespace fs = std::filesystem;

namespace {

// Another program's handle on a file.
struct HeldFile {
    HeldFile(const fs::path& path, DWORD access, DWORD share)
        : handle(CreateFileA(path.string().c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    bool Open() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE handle;
};

class Win32Files : public ::testing::Test {
  protected:
    TempGame game;
    Win32FileSystem files;
};

TEST_F(Win32Files, TheIndexIsSharedWithNoOtherProgram) {
    game.WriteIndex("[Cache]\r\nK=Old.unr\r\n");
    const std::string path = game.IndexPath().string();
    {
        // Held elsewhere: neither read nor replaced, and the report says why.
        HeldFile other(game.IndexPath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(other.Open());
        CacheIndexFile index(files);
        EXPECT_FALSE(index.OpenCacheIndex(path));
        try {
            index.CreateCacheIndex(path);
            ADD_FAILURE() << "replaced while held";
        } catch (const FileError& error) {
            EXPECT_EQ(error.ReportText(),
                      "A sharing violation occurred while accessing " + path + ".");
        }
    }
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\nK=Old.unr\r\n");
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{"cache.ini"});

    // Held by us, while read and while its replacement is written: no one
    // else gets in.
    CacheIndexFile index(files);
    ASSERT_TRUE(index.OpenCacheIndex(path));
    EXPECT_FALSE(HeldFile(game.IndexPath(), GENERIC_READ, FILE_SHARE_READ).Open());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    index.CloseCacheIndex();
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    int error = 0;
    auto replacement = files.CreateReplacement(path, error);
    ASSERT_TRUE(replacement) << error;
    EXPECT_FALSE(HeldFile(game.IndexPath(), GENERIC_READ, FILE_SHARE_READ).Open());
    FileStamp read;
    FileStamp written;
    ASSERT_TRUE(replacement->OriginalStamp(read));
    EXPECT_EQ(replacement->Commit(read, written), 0);
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32Files, ManyFilesAreAnsweredInTheOrderAskedAsEachAloneLeavingOutOnesBeingWritten) {
    // Enough names that the queries are spread over threads.
    std::vector<std::string> names;
    for (int i = 0; i < 1500; ++i) {
        names.push_back("K" + std::to_string(i) + ".uxx");
        if (i % 7 != 0) {
            // Some on disk in another case, as Windows finds them.
            std::string onDisk = names.back();
            onDisk[0] = i % 5 == 0 ? 'k' : 'K';
            WriteWholeFile(game.CacheDir() / onDisk, std::string(i % 50, 'x'));
        }
    }
    // Another program reading a file lets it be listed; one writing it does not.
    const HeldFile reader(game.CacheDir() / "K3.uxx", GENERIC_READ, FILE_SHARE_READ);
    const HeldFile writer(game.CacheDir() / "K701.uxx", GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader.Open() && writer.Open());
    const std::string folder = game.CacheDir().string() + "\\";
    const std::vector<CacheFileAnswer> answers = files.QueryCacheFiles(folder, names);
    const auto answer = [](const CacheFileAnswer& a) {
        return a.info ? std::optional(std::pair(a.info->size, a.info->created)) : std::nullopt;
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(answer(answers.at(i)), answer(files.QueryCacheFile(folder + names[i])))
            << names[i];
        EXPECT_EQ(answers[i].unasked, 0);
    }
    EXPECT_TRUE(answers[3].info);
    EXPECT_TRUE(answers[5].info);
    EXPECT_FALSE(answers[701].info);

    // A file that came before the next refresh opens the index is found.
    WriteWholeFile(game.CacheDir() / "K0.uxx", "new");
    game.WriteIndex("");
    ASSERT_TRUE(files.OpenExclusiveForReading(game.IndexPath().string()));
    EXPECT_TRUE(files.QueryCacheFiles(folder, {"K0.uxx"}).at(0).info);
}

// The names in a folder as the system keeps them, in UTF-16.
std::vector<std::wstring> NamesOnDisk(const fs::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().wstring());
    }
    return names;
}

TEST_F(Win32Files, NamesBeyondTheCodePageAreReachedInUtf8Form) {
    fs::create_directory(game.Root() / "Maps");
    game.WriteIndex("");
    const std::string cache = game.CacheDir().string() + "\\";
    const std::string maps = game.Dir() + "\\Maps\\";
    const std::wstring citta = L"DM-Citt\u00E0.unr";
    const std::string cittaUtf8 = "DM-Citt\xC3\xA0.unr";
    // Over the limit in UTF-8 bytes, within it in UTF-16 units.
    std::wstring wide = L"DM-";
    std::string wideUtf8 = "DM-";
    for (int i = 0; i < 120; ++i) {
        wide += L'\u00E0';
        wideUtf8 += "\xC3\xA0";
    }
    wide += L".unr";
    wideUtf8 += ".unr";
    ASSERT_GE(maps.size() + wideUtf8.size(), std::size_t{MAX_PATH});
    const struct {
        TextForm form;
        std::wstring onDisk;
        std::string asked;
        bool reached;
    } cases[] = {
        {TextForm::Utf8, L"K1.uxx", "K1.uxx", true},
        {TextForm::Utf8, citta, cittaUtf8, true},
        {TextForm::Utf8, L"\u03A9-Skin.utx", "\xCE\xA9-Skin.utx", true},
        {TextForm::Utf8, wide, wideUtf8, true},
        // Not UTF-8: no name at all.
        {TextForm::Utf8, citta, "DM-Citt\xE0.unr", false},
        // The ANSI functions, as an unmarked index is read; a character the
        // code page lacks reaches no file, not even a look-alike.
        {TextForm::CodePage, citta,
         files.ConvertText(cittaUtf8, TextForm::Utf8, TextForm::CodePage), true},
        {TextForm::CodePage, L"\u03A9-Skin.utx",
         files.ConvertText("\xCE\xA9-Skin.utx", TextForm::Utf8, TextForm::CodePage), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        WriteWholeFile(game.CacheDir() / c.onDisk, "cached");
        if (c.form == TextForm::CodePage) {
            WriteWholeFile(game.CacheDir() / "O-Skin.utx", "look-alike");
        }
        files.UseTextForm(c.form);
        // A refresh of its own: the folder is listed anew.
        ASSERT_TRUE(files.OpenExclusiveForReading(game.IndexPath().string()));
        EXPECT_EQ(files.QueryCacheFile(cache + c.asked).info.has_value(), c.reached);
        EXPECT_EQ(files.QueryCacheFiles(cache, {c.asked}).at(0).info.has_value(), c.reached);
        const int moved = files.MoveWithoutReplacing(cache + c.asked, maps + c.asked);
        EXPECT_EQ(moved, c.reached ? 0 : ERROR_INVALID_NAME);
        EXPECT_EQ(NamesOnDisk(game.Root() / "Maps"),
                  c.reached ? std::vector{c.onDisk} : std::vector<std::wstring>{});
        EXPECT_EQ(files.RemoveFile(maps + c.asked), c.reached ? 0 : ERROR_INVALID_NAME);
        EXPECT_TRUE(fs::is_empty(game.Root() / "Maps"));
        fs::remove(game.CacheDir() / c.onDisk);
        fs::remove(game.CacheDir() / "O-Skin.utx");
    }
}

std::uint64_t Units(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST_F(Win32Files, TheTimeShownIsTheCreationTime) {
    game.AddCacheFile("K", 255, "2001-08-12 06:35:48.250");
    const fs::path path = game.CacheDir() / "K.uxx";
    {
        // Wine keeps no creation time apart from the modification time, but
        // the access time is a time of its own.
        HeldFile reader(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ);
        const FILETIME later{0, 0x01F00000};
        ASSERT_TRUE(SetFileTime(reader.handle, nullptr, &later, nullptr));
    }
    WIN32_FILE_ATTRIBUTE_DATA system{};
    ASSERT_TRUE(GetFileAttributesExA(path.string().c_str(), GetFileExInfoStandard, &system));
    const auto info = files.QueryCacheFile(path.string()).info;
    ASSERT_TRUE(info);
    EXPECT_EQ(info->size, 255u);
    EXPECT_EQ(info->created, Units(system.ftCreationTime));
    std::string stamp;
    AppendTimeStamp(stamp, info->created);
    EXPECT_EQ(stamp, "2001-08-12 06:35:48.250");

    SetCreationFileTime(path, 0x7FFF'0000'0000'0000ULL);
    stamp.clear();
    AppendTimeStamp(stamp, files.QueryCacheFile(path.string()).info->created);
    EXPECT_EQ(stamp.size(), kTimeStampLength);
}

TEST_F(Win32Files, PathsBeyondTheLimitAndDevicesAreRefusedAndNothingMoves) {
    game.AddCacheFile("K", 6, "2001-08-12 06:35:48.250");
    fs::create_directory(game.Root() / "Textures");
    const std::string source = (game.CacheDir() / "K.uxx").string();
    // Wine would cut such a path down and act on another name; a length
    // that wraps in 16 bits as well.
    const std::string folder = game.Dir() + "\\Textures\\";
    for (const auto& [form, length] : {std::pair(TextForm::CodePage, std::size_t{MAX_PATH}),
                                       std::pair(TextForm::CodePage, std::size_t{10 * 1024 * 1024}),
                                       std::pair(TextForm::Utf8, std::size_t{MAX_PATH})}) {
        files.UseTextForm(form);
        const std::string target = folder + std::string(length - folder.size() - 4, 'n') + ".utx";
        EXPECT_EQ(files.MoveWithoutReplacing(source, target), ERROR_FILENAME_EXCED_RANGE);
        EXPECT_EQ(files.RemoveFile(target), ERROR_FILENAME_EXCED_RANGE);
        EXPECT_FALSE(files.QueryCacheFile(target).info);
        int error = 0;
        EXPECT_FALSE(files.CreateReplacement(target, error));
        EXPECT_EQ(error, ERROR_FILENAME_EXCED_RANGE);
    }
    EXPECT_TRUE(fs::is_empty(game.Root() / "Textures"));
    files.UseTextForm(TextForm::CodePage);
    EXPECT_FALSE(files.QueryCacheFile((game.CacheDir() / "NUL.uxx").string()).info);
    EXPECT_FALSE(files.OpenExclusiveForReading((game.CacheDir() / "NUL.uxx").string()));
    // One character less fits.
    const std::string fits = folder + std::string(MAX_PATH - 1 - folder.size() - 4, 'n') + ".utx";
    EXPECT_EQ(files.MoveWithoutReplacing(source, fits), 0);
}

// The game's entry, written as an installer of either width would write it.
class Win32Registry : public ::testing::Test {
  protected:
    static constexpr const char* kKey =
        "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";

    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, view, 0);
        }
    }
};

TEST_F(Win32Registry, TheFolderIsReadFromThe32BitViewIfItFits) {
    using Bytes = std::optional<std::string>;
    const struct {
        REGSAM view;
        Bytes stored;  // no value for nullopt
        bool keyFound;
        Bytes read;
    } cases[] = {
        {KEY_WOW64_64KEY, std::string("C:\\Wrong", 9), false, std::nullopt},
        {KEY_WOW64_32KEY, std::string("C:\\UT", 6), true, std::string("C:\\UT", 6)},
        {KEY_WOW64_32KEY, std::nullopt, true, std::nullopt},
        {KEY_WOW64_32KEY, std::string(261, 'x') + '\0', true, std::nullopt},
        {KEY_WOW64_32KEY, std::string(260, 'd') + '\0', true, std::string(260, 'd') + '\0'},
    };
    for (const auto& c : cases) {
        Clear();
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | c.view,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (c.stored) {
            RegSetValueExA(key, "Folder", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(c.stored->data()),
                           static_cast<DWORD>(c.stored->size()));
        }
        RegCloseKey(key);
        const InstallationEntry entry = Win32InstallationRegistry().ReadGameFolderEntry();
        EXPECT_EQ(entry.keyFound, c.keyFound) << c.stored.value_or("(none)").size();
        EXPECT_EQ(entry.folderData, c.read);
    }
}

}  // namespace
