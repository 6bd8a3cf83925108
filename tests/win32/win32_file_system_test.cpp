#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>

#include "cache/cache_index_file.h"
#include "base/file_error.h"
#include "base/file_time.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_installation_registry.h"
#include "support/temp_game.h"
#include "support/win32_file_times.h"

namespace fs = std::filesystem;

namespace {

class Win32Files : public ::testing::Test {
  protected:
    std::string InGame(const std::string& relative) const {
        return (game.Root() / relative).string();
    }
    void Write(const std::string& relative, std::string_view bytes) const {
        fs::create_directories((game.Root() / relative).parent_path());
        WriteWholeFile(game.Root() / relative, bytes);
    }
    TempGame game;
    Win32FileSystem files;
};

// Another program's handle on a file.
struct HeldFile {
    HeldFile(const std::string& path, DWORD access, DWORD share)
        : handle(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    HANDLE handle;
};

TEST_F(Win32Files, AMoveNeverReplacesAnExistingFile) {
    Write("Cache\\K.uxx", "cached");
    Write("Maps\\Face.unr", "installed");
    EXPECT_EQ(files.MoveWithoutReplacing(InGame("Cache\\K.uxx"), InGame("Maps\\Face.unr")),
              ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadWholeFile(game.Root() / "Cache" / "K.uxx"), "cached");
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Face.unr"), "installed");
}

TEST_F(Win32Files, AMoveIntoAMissingFolderIsPathNotFound) {
    Write("Cache\\K.uxx", "cached");
    EXPECT_EQ(files.MoveWithoutReplacing(InGame("Cache\\K.uxx"), InGame("MAPS\\Face.unr")),
              ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(fs::exists(game.Root() / "Cache" / "K.uxx"));
}

TEST_F(Win32Files, AMoveFindsFoldersWhateverTheirCase) {
    Write("Cache\\K.uxx", "cached");
    fs::create_directory(game.Root() / "Maps");
    EXPECT_EQ(files.MatchFolderName(game.Dir(), "MAPS"), "MAPS");
    EXPECT_EQ(files.MoveWithoutReplacing(InGame("Cache\\K.uxx"), InGame("MAPS\\Face.unr")), 0);
    EXPECT_EQ(ReadWholeFile(game.Root() / "Maps" / "Face.unr"), "cached");
    EXPECT_FALSE(fs::exists(game.Root() / "Cache" / "K.uxx"));
}

TEST_F(Win32Files, PathsBeyondThePathLimitAreRefusedAndNothingMoves) {
    Write("Cache\\K.uxx", "cached");
    fs::create_directory(game.Root() / "Textures");
    const std::string source = InGame("Cache\\K.uxx");
    // The longest path the ANSI calls take, and beyond it up to a size whose
    // length would wrap in a 16-bit count.
    const std::string folder = InGame("Textures\\");
    for (const std::size_t length :
         {std::size_t{MAX_PATH}, std::size_t{MAX_PATH + 40}, std::size_t{10 * 1024 * 1024}}) {
        const std::string target = folder + std::string(length - folder.size() - 4, 'n') + ".utx";
        EXPECT_EQ(files.MoveWithoutReplacing(source, target), ERROR_FILENAME_EXCED_RANGE) << length;
        EXPECT_EQ(files.RemoveFile(target), ERROR_FILENAME_EXCED_RANGE);
        EXPECT_FALSE(files.QueryCacheFile(target));
        int error = 0;
        EXPECT_FALSE(files.CreateReplacement(target, error));
        EXPECT_EQ(error, ERROR_FILENAME_EXCED_RANGE);
    }
    EXPECT_EQ(ReadWholeFile(game.Root() / "Cache" / "K.uxx"), "cached");
    EXPECT_TRUE(fs::is_empty(game.Root() / "Textures"));
    // One character less fits.
    const std::string fits = folder + std::string(MAX_PATH - 1 - folder.size() - 4, 'n') + ".utx";
    EXPECT_EQ(files.MoveWithoutReplacing(source, fits), 0);
}

TEST_F(Win32Files, AReadOnlyFileIsNotDeleted) {
    Write("Cache\\K.uxx", "cached");
    ASSERT_TRUE(SetFileAttributesA(InGame("Cache\\K.uxx").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(files.RemoveFile(InGame("Cache\\K.uxx")), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::exists(game.Root() / "Cache" / "K.uxx"));
    SetFileAttributesA(InGame("Cache\\K.uxx").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(files.RemoveFile(InGame("Cache\\K.uxx")), 0);
    EXPECT_EQ(files.RemoveFile(InGame("Cache\\K.uxx")), ERROR_FILE_NOT_FOUND);
}

// What the system itself says a file's creation time is.
FILETIME SystemCreationTime(const std::string& path) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    EXPECT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    return found.ftCreationTime;
}

std::uint64_t Units(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST_F(Win32Files, CreationTimesAndSizesReadBack) {
    Write("Cache\\K.uxx", std::string(255, 'x'));
    const std::string path = InGame("Cache\\K.uxx");
    // 2001-08-12 06:35:48.250
    SetCreationFileTime(game.Root() / "Cache" / "K.uxx", 126'420'717'482'500'000ULL);
    const auto info = files.QueryCacheFile(path);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->size, 255u);
    EXPECT_EQ(info->created, Units(SystemCreationTime(path)));
    EXPECT_EQ(FormatTimeStamp(info->created), "2001-08-12 06:35:48.250");

    // A later write changes the modification time, never the creation time.
    {
        HeldFile writer(path, GENERIC_WRITE, FILE_SHARE_READ);
        const FILETIME later{0, 0x02000000};
        ASSERT_TRUE(SetFileTime(writer.handle, nullptr, nullptr, &later));
    }
    const FILETIME created = SystemCreationTime(path);
    EXPECT_EQ(files.QueryCacheFile(path)->created, Units(created));

    // The core's calendar agrees with the system's own conversion.
    SYSTEMTIME system{};
    ASSERT_TRUE(FileTimeToSystemTime(&created, &system));
    char expected[32];
    std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d.%03d", system.wYear,
                  system.wMonth, system.wDay, system.wHour, system.wMinute, system.wSecond,
                  system.wMilliseconds);
    EXPECT_EQ(FormatTimeStamp(Units(created)), expected);
}

TEST_F(Win32Files, TimesBeyondTheLastFourDigitYearAreClamped) {
    Write("Cache\\K.uxx", "x");
    const std::string path = InGame("Cache\\K.uxx");
    SetCreationFileTime(game.Root() / "Cache" / "K.uxx", 0x7FFF'0000'0000'0000ULL);
    const auto info = files.QueryCacheFile(path);
    ASSERT_TRUE(info);
    EXPECT_LE(info->created, kLatestShownFileTime);
    EXPECT_EQ(FormatTimeStamp(info->created).size(), kTimeStampLength);
}

TEST_F(Win32Files, CacheFilesAreReadAlongsideReadersButNotWriters) {
    Write("Cache\\K.uxx", "data");
    const std::string path = InGame("Cache\\K.uxx");
    {
        HeldFile reader(path, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_NE(reader.handle, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(files.QueryCacheFile(path));
    }
    {
        // Still being downloaded: left out until the writer is done.
        HeldFile writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(writer.handle, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(files.QueryCacheFile(path));
    }
    EXPECT_TRUE(files.QueryCacheFile(path));
    EXPECT_FALSE(files.QueryCacheFile(InGame("Cache\\Missing.uxx")));
    EXPECT_FALSE(files.QueryCacheFile(InGame("Cache")));
}

TEST_F(Win32Files, DeviceNamesAreNoCacheFiles) {
    EXPECT_FALSE(files.QueryCacheFile(InGame("Cache\\NUL.uxx")));
    EXPECT_FALSE(files.OpenExclusiveForReading(InGame("Cache\\NUL")));
}

TEST_F(Win32Files, AnIndexHeldOpenElsewhereIsASharingViolation) {
    game.WriteIndex("[Cache]\r\nK=Old.unr\r\n");
    const std::string path = game.IndexPath().string();
    HeldFile other(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);

    CacheIndexFile index(files);
    EXPECT_FALSE(index.OpenCacheIndex(path));
    try {
        index.CreateCacheIndex(path);
        FAIL() << "created while held";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Cause(), FileErrorCause::SharingViolation);
        EXPECT_EQ(error.ReportText(), "A sharing violation occurred while accessing " + path + ".");
    }
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\nK=Old.unr\r\n");
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{"cache.ini"});
}

TEST_F(Win32Files, TheIndexIsHeldWithoutSharingWhileRead) {
    game.WriteIndex("[Cache]\r\n");
    const std::string path = game.IndexPath().string();
    CacheIndexFile index(files);
    ASSERT_TRUE(index.OpenCacheIndex(path));
    HeldFile other(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(other.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST_F(Win32Files, TheReplacementTakesTheIndexPlaceInOneStep) {
    game.WriteIndex("old");
    ASSERT_TRUE(SetFileAttributesA(game.IndexPath().string().c_str(), FILE_ATTRIBUTE_HIDDEN));
    int error = 0;
    auto replacement = files.CreateReplacement(game.IndexPath().string(), error);
    ASSERT_TRUE(replacement) << error;
    // Nobody else gets at the index while its new content is written.
    HeldFile other(game.IndexPath().string(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(other.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(replacement->Write("[Cache]\r\n\r\n", 11), 0);
    EXPECT_EQ(replacement->Commit(), 0);
    replacement.reset();
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "[Cache]\r\n\r\n");
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{"cache.ini"});
    EXPECT_NE(GetFileAttributesA(game.IndexPath().string().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32Files, AnUncommittedReplacementLeavesNoTrace) {
    game.WriteIndex("old");
    int error = 0;
    auto replacement = files.CreateReplacement(game.IndexPath().string(), error);
    ASSERT_TRUE(replacement);
    EXPECT_EQ(replacement->Write("new", 3), 0);
    replacement.reset();
    EXPECT_EQ(ReadWholeFile(game.IndexPath()), "old");
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{"cache.ini"});
}

TEST_F(Win32Files, AReadOnlyIndexIsNotReplaced) {
    game.WriteIndex("old");
    ASSERT_TRUE(SetFileAttributesA(game.IndexPath().string().c_str(), FILE_ATTRIBUTE_READONLY));
    int error = 0;
    EXPECT_FALSE(files.CreateReplacement(game.IndexPath().string(), error));
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    EXPECT_EQ(FilesIn(game.CacheDir()), std::vector<std::string>{"cache.ini"});
    SetFileAttributesA(game.IndexPath().string().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Files, AReplacementInAMissingFolderIsPathNotFound) {
    int error = 0;
    EXPECT_FALSE(files.CreateReplacement(InGame("Nowhere\\cache.ini"), error));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
}

TEST(Win32FileErrors, SystemErrorsMapToTheirCauses) {
    const std::pair<int, FileErrorCause> expected[] = {
        {NO_ERROR, FileErrorCause::None},
        {ERROR_FILE_NOT_FOUND, FileErrorCause::FileNotFound},
        {ERROR_INVALID_HANDLE, FileErrorCause::FileNotFound},
        {ERROR_PATH_NOT_FOUND, FileErrorCause::BadPath},
        {ERROR_INVALID_DRIVE, FileErrorCause::BadPath},
        {ERROR_INVALID_NAME, FileErrorCause::BadPath},
        {ERROR_TOO_MANY_OPEN_FILES, FileErrorCause::TooManyOpenFiles},
        {ERROR_ACCESS_DENIED, FileErrorCause::AccessDenied},
        {ERROR_WRITE_PROTECT, FileErrorCause::AccessDenied},
        {ERROR_FILE_EXISTS, FileErrorCause::AccessDenied},
        {ERROR_BAD_FORMAT, FileErrorCause::InvalidFile},
        {ERROR_CURRENT_DIRECTORY, FileErrorCause::RemoveCurrentDir},
        {ERROR_DIR_NOT_EMPTY, FileErrorCause::RemoveCurrentDir},
        {ERROR_NO_SPOOL_SPACE, FileErrorCause::DirectoryFull},
        {ERROR_SEEK, FileErrorCause::BadSeek},
        {ERROR_NEGATIVE_SEEK, FileErrorCause::BadSeek},
        {ERROR_NOT_READY, FileErrorCause::HardIO},
        {ERROR_CRC, FileErrorCause::HardIO},
        {ERROR_SHARING_VIOLATION, FileErrorCause::SharingViolation},
        {ERROR_LOCK_VIOLATION, FileErrorCause::LockViolation},
        {ERROR_DRIVE_LOCKED, FileErrorCause::LockViolation},
        {ERROR_DISK_FULL, FileErrorCause::DiskFull},
        {ERROR_HANDLE_EOF, FileErrorCause::EndOfFile},
        {ERROR_NOT_ENOUGH_MEMORY, FileErrorCause::Generic},
    };
    for (const auto& [error, cause] : expected) {
        EXPECT_EQ(FileErrorCauseOf(error), cause) << error;
    }
    EXPECT_EQ(InvalidNameError(), 123);
}

// The game's entry, written where the 32-bit game writes it.
class Win32Registry : public ::testing::Test {
  protected:
    static constexpr const char* kKey =
        "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";

    void TearDown() override {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, view, 0);
        }
        if (saved_) {
            SetFolder(KEY_WOW64_32KEY, *saved_);
        }
    }
    void SetUp() override {
        saved_ = Win32InstallationRegistry().ReadGameFolderEntry().folderData;
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, view, 0);
        }
    }

    static void SetFolder(REGSAM view, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | view,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "Folder", 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }

  private:
    std::optional<std::string> saved_;
};

TEST_F(Win32Registry, TheFolderIsReadFromTheThirtyTwoBitView) {
    EXPECT_FALSE(Win32InstallationRegistry().ReadGameFolderEntry().keyFound);
    SetFolder(KEY_WOW64_64KEY, std::string("C:\\Wrong", 9));
    EXPECT_FALSE(Win32InstallationRegistry().ReadGameFolderEntry().keyFound);
    SetFolder(KEY_WOW64_32KEY, std::string("C:\\UT", 6));
    const InstallationEntry entry = Win32InstallationRegistry().ReadGameFolderEntry();
    EXPECT_TRUE(entry.keyFound);
    EXPECT_EQ(entry.folderData, std::string("C:\\UT", 6));
}

TEST_F(Win32Registry, AValueThatDoesNotFitIsUnreadable) {
    SetFolder(KEY_WOW64_32KEY, std::string(300, 'x') + '\0');
    const InstallationEntry entry = Win32InstallationRegistry().ReadGameFolderEntry();
    EXPECT_TRUE(entry.keyFound);
    EXPECT_FALSE(entry.folderData);

    SetFolder(KEY_WOW64_32KEY, std::string(260, 'd') + '\0');
    EXPECT_EQ(Win32InstallationRegistry().ReadGameFolderEntry().folderData,
              std::string(260, 'd') + '\0');
}

TEST_F(Win32Registry, AKeyWithoutTheValueHasNoData) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const InstallationEntry entry = Win32InstallationRegistry().ReadGameFolderEntry();
    EXPECT_TRUE(entry.keyFound);
    EXPECT_FALSE(entry.folderData);
}

}  // namespace
