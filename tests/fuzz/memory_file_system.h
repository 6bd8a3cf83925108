#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"

// Files held in memory, so a fuzzer runs without touching the disk: the
// index is served in pieces of a chosen size, cache files answer from a map.
class MemoryFileSystem : public FileSystem {
  public:
    std::string index;
    std::size_t readPiece = 4096;
    std::map<std::string, CacheFileInfo> cacheFiles;

    CacheFileAnswer QueryCacheFile(const std::string& path) override {
        const auto found = cacheFiles.find(path);
        if (found == cacheFiles.end()) {
            return {};
        }
        return {found->second};
    }

    std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string&) override {
        return std::make_unique<Input>(index, std::max<std::size_t>(readPiece, 1));
    }

    std::unique_ptr<ReplacementFile> CreateReplacement(const std::string&, int&) override {
        return std::make_unique<Output>(index, std::max<std::size_t>(readPiece, 1));
    }

    int MoveWithoutReplacing(const std::string&, const std::string&) override { return EACCES; }
    int RemoveFile(const std::string&) override { return EACCES; }
    std::string MatchFolderName(const std::string&, const std::string& name) override {
        return name;
    }

  private:
    class Input : public InputFile {
      public:
        Input(const std::string& content, std::size_t piece) : content_(content), piece_(piece) {}
        std::ptrdiff_t Read(char* buffer, std::size_t size) override {
            const std::size_t count = std::min({size, piece_, content_.size() - pos_});
            std::copy_n(content_.data() + pos_, count, buffer);
            pos_ += count;
            return static_cast<std::ptrdiff_t>(count);
        }
        // Nobody writes beside the fuzzer: every read stands still.
        bool Stamp(FileStamp& stamp) override {
            stamp = FileStamp{};
            stamp.size = content_.size();
            stamp.sinceWrite = std::chrono::hours(1);
            return true;
        }

      private:
        const std::string& content_;
        std::size_t piece_;
        std::size_t pos_ = 0;
    };

    class Output : public ReplacementFile {
      public:
        Output(std::string& target, std::size_t piece)
            : target_(target), original_(target, piece) {}
        std::ptrdiff_t ReadOriginal(char* buffer, std::size_t size) override {
            return original_.Read(buffer, size);
        }
        bool OriginalStamp(FileStamp& stamp) override { return original_.Stamp(stamp); }
        int Write(const char* data, std::size_t size) override {
            written_.append(data, size);
            return 0;
        }
        int Commit(const std::optional<FileStamp>&, FileStamp&) override {
            target_ = written_;
            return 0;
        }

      private:
        std::string& target_;
        Input original_;
        std::string written_;
    };
};
