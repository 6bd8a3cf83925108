#pragma once

#include <cerrno>
#include <memory>

#include "platform/file_system.h"

// The real files, with failures injected where the disk would fail: a read
// after so many good ones, a write once so many bytes went out, the commit.
class FaultyFileSystem : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    int goodReads = -1;             // reads that succeed before one fails; -1: all
    long long goodWriteBytes = -1;  // bytes written before a write fails; -1: all
    int commitError = 0;            // error the commit fails with; 0: none
    std::string unaskedPath;        // a file the system cannot ask about…
    int unaskedError = 0;           // …for want of what this error says
    bool utf8Names = false;         // named as Windows names files, by UTF-8 text

    bool TakesUtf8Names() const override { return utf8Names || real_.TakesUtf8Names(); }

    CacheFileAnswer QueryCacheFile(const std::string& path) override {
        return path == unaskedPath ? CacheFileAnswer{std::nullopt, unaskedError}
                                   : real_.QueryCacheFile(path);
    }
    std::unique_ptr<InputFile> OpenExclusiveForReading(const std::string& path) override {
        auto file = real_.OpenExclusiveForReading(path);
        return file ? std::make_unique<Input>(std::move(file), goodReads) : nullptr;
    }
    std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& path,
                                                       int& error) override {
        auto file = real_.CreateReplacement(path, error);
        return file ? std::make_unique<Output>(std::move(file), goodWriteBytes, commitError)
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
        Input(std::unique_ptr<InputFile> real, int goodReads)
            : real_(std::move(real)), left_(goodReads) {}
        std::ptrdiff_t Read(char* buffer, std::size_t size) override {
            if (left_ == 0) {
                return -1;
            }
            --left_;
            return real_->Read(buffer, size);
        }

      private:
        std::unique_ptr<InputFile> real_;
        int left_;
    };

    class Output : public ReplacementFile {
      public:
        Output(std::unique_ptr<ReplacementFile> real, long long goodBytes, int commitError)
            : real_(std::move(real)), left_(goodBytes), commitError_(commitError) {}
        std::ptrdiff_t ReadOriginal(char* buffer, std::size_t size) override {
            return real_->ReadOriginal(buffer, size);
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
        int Commit() override { return commitError_ != 0 ? commitError_ : real_->Commit(); }

      private:
        std::unique_ptr<ReplacementFile> real_;
        long long left_;
        int commitError_;
    };

    FileSystem& real_;
};
