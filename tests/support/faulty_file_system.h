#pragma once

#include <cerrno>
#include <functional>
#include <memory>

#include "platform/file_system.h"

// The real files, with failures injected where the disk would fail: a read
// after so many good ones, a write once so many bytes went out, the commit;
// and another program's writes just before cache.ini is opened or replaced.
class FaultyFileSystem : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    int goodReads = -1;                  // reads that succeed before one fails; -1: all
    long long goodWriteBytes = -1;       // bytes written before a write fails; -1: all
    int commitError = 0;                 // error the commit fails with; 0: none
    std::string unaskedPath;             // a file the system cannot ask about…
    int unaskedError = 0;                // …for want of what this error says
    std::function<void()> beforeOpen;    // before each opening of cache.ini
    bool justWritten = false;            // cache.ini's last write counts as just now
    std::function<void()> beforeCommit;  // between a compaction's read and its replace

    CacheFileAnswer QueryCacheFile(const std::string& path) override {
        return path == unaskedPath ? CacheFileAnswer{std::nullopt, unaskedError}
                                   : real_.QueryCacheFile(path);
    }
    std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) override {
        if (beforeOpen) {
            beforeOpen();
        }
        auto file = real_.OpenExclusiveForReading(path);
        return file ? std::make_unique<Input>(std::move(file), goodReads, justWritten) : nullptr;
    }
    std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& path,
                                                       int& error) override {
        if (beforeOpen) {
            beforeOpen();
        }
        auto file = real_.CreateReplacement(path, error);
        return file ? std::make_unique<Output>(std::move(file), goodWriteBytes, commitError,
                                               beforeCommit, justWritten)
                    : nullptr;
    }
    int MoveWithoutReplacing(const std::string& from, const std::string& to) override {
        return real_.MoveWithoutReplacing(from, to);
    }
    int RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
    std::string MatchFolderName(const std::string& parent, const std::string& name) override {
        return real_.MatchFolderName(parent, name);
    }

  private:
    class Input : public InputFile {
      public:
        Input(std::unique_ptr<InputFile> real, int goodReads, const bool& justWritten)
            : real_(std::move(real)), left_(goodReads), justWritten_(justWritten) {}
        std::ptrdiff_t Read(char* buffer, std::size_t size) override {
            if (left_ == 0) {
                return -1;
            }
            --left_;
            return real_->Read(buffer, size);
        }
        bool Stamp(FileStamp& stamp) override {
            return Stamped(real_->Stamp(stamp), stamp, justWritten_);
        }

      private:
        std::unique_ptr<InputFile> real_;
        int left_;
        const bool& justWritten_;
    };

    class Output : public ReplacementFile {
      public:
        Output(std::unique_ptr<ReplacementFile> real, long long goodBytes, int commitError,
               std::function<void()> beforeCommit, const bool& justWritten)
            : real_(std::move(real)),
              left_(goodBytes),
              commitError_(commitError),
              beforeCommit_(std::move(beforeCommit)),
              justWritten_(justWritten) {}
        std::ptrdiff_t ReadOriginal(char* buffer, std::size_t size) override {
            return real_->ReadOriginal(buffer, size);
        }
        bool OriginalStamp(FileStamp& stamp) override {
            return Stamped(real_->OriginalStamp(stamp), stamp, justWritten_);
        }
        int Write(const char* data, std::size_t size) override {
            if (left_ >= 0 && static_cast<long long>(size) > left_) {
                real_->Write(data, static_cast<std::size_t>(left_));
                left_ = 0;
                return ENOSPC;
            }
            if (left_ >= 0) {
                left_ -= static_cast<long long>(size);
            }
            return real_->Write(data, size);
        }
        int Commit(const std::optional<FileStamp>& read, FileStamp& written) override {
            if (beforeCommit_) {
                beforeCommit_();
            }
            return commitError_ != 0 ? commitError_ : real_->Commit(read, written);
        }

      private:
        std::unique_ptr<ReplacementFile> real_;
        long long left_;
        int commitError_;
        std::function<void()> beforeCommit_;
        const bool& justWritten_;
    };

    // However long the machine took to get here.
    static bool Stamped(bool stamped, FileStamp& stamp, bool justWritten) {
        if (justWritten) {
            stamp.sinceWrite = {};
        }
        return stamped;
    }

    FileSystem& real_;
};
