#include "ops/extract.h"

#include <cstdio>
#include <optional>

#include "base/windows_1252.h"
#include "ops/extract_destination.h"
#include "platform/file_system.h"
#include "platform/path_separator.h"
#include "ui/message_boxes.h"

namespace {

std::string Format(const char* format, auto... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

std::string ConfirmationText(const std::string& name) {
    const char* n = name.c_str();
    return Format(
        "Warning: You should not remove %s from the cache.\n"
        "Removing %s from the cache, could result in \"Version Mismatch Errors\"\n"
        "which will make it impossible for you to join in to some servers.\n"
        "\n"
        "Extract %s from the cache?",
        n, n, n);
}

// A recorded name's folders are separated by backslashes; here they take the
// platform's separator.
std::string NativeSeparators(std::string name) {
    for (char& c : name) {
        if (c == '\\' || c == '/') {
            c = kPathSeparator;
        }
    }
    return name;
}

}  // namespace

namespace {

void ExtractFile(const SelectedFile& file, const std::string& gameDir, FileSystem& fileSystem,
                 MessageBoxes& boxes, bool unicodeNames) {
    const std::string& name = file.name;
    const std::optional<ExtractDestination> destination = FindExtractDestination(name);
    if (!destination) {
        return;
    }
    if (destination->asksFirst && boxes.Show(ConfirmationText(name), "Mutator Encountered",
                                             BoxStyle::Confirmation) != BoxButton::Yes) {
        return;
    }
    const std::string fileName =
        unicodeNames ? Utf8FromGameText(destination->fileName) : destination->fileName;
    const bool safe = NameStaysInFolder(fileName);
    const std::string folder =
        safe ? fileSystem.MatchFolderName(gameDir, std::string(destination->folder))
             : std::string(destination->folder);
    const std::string target =
        gameDir + folder + kPathSeparator + (safe ? NativeSeparators(fileName) : fileName);
    const int error =
        safe ? fileSystem.MoveWithoutReplacing(file.path, target) : InvalidNameError();
    if (error != 0) {
        boxes.Show(
            Format("Warning: %d\nCould NOT move\n%s\nto %s\n%s is probably already installed.",
                   error, file.path.c_str(), target.c_str(), name.c_str()),
            Format("Could NOT Extract %s", name.c_str()), BoxStyle::Warning);
    }
}

}  // namespace

void ExtractFiles(const std::vector<SelectedFile>& files, const std::string& gameDir,
                  FileSystem& fileSystem, MessageBoxes& boxes, bool unicodeNames) {
    for (const SelectedFile& file : files) {
        ExtractFile(file, gameDir, fileSystem, boxes, unicodeNames);
    }
}
