#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A game folder of real files in a fresh temporary folder, removed afterwards.
class TempGame {
  public:
    TempGame();
    ~TempGame();
    TempGame(const TempGame&) = delete;
    TempGame& operator=(const TempGame&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path CacheDir() const { return root_ / "Cache"; }
    std::filesystem::path IndexPath() const { return CacheDir() / "cache.ini"; }
    // The game folder as the program is given it, without a trailing separator.
    std::string Dir() const { return root_.string(); }

    // cache.ini as the game left it a moment ago.
    void WriteIndex(std::string_view bytes) const;
    // Creates Cache/<key>.uxx of `size` bytes whose creation time is shown
    // as `timeStamp` ("YYYY-MM-DD hh:mm:ss.mmm", in the past).
    void AddCacheFile(const std::string& key, std::uintmax_t size,
                      std::string_view timeStamp) const;

  private:
    std::filesystem::path root_;
};

std::string ReadWholeFile(const std::filesystem::path& path);
// The names of the entries of a folder, sorted.
std::vector<std::string> FilesIn(const std::filesystem::path& folder);
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);
// Index lines whose files are long gone ("<key><n>=gone.unr"), more than a
// refresh reads at a time, and so many that their files are asked about on
// several threads.
std::string GoneLines(char key, const std::string& lineEnd);
// Sets the modification time, and on Windows the creation time, which is
// the one the listing shows there.
void SetModificationTime(const std::filesystem::path& path, std::string_view timeStamp);
