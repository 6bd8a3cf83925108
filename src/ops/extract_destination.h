#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where Extract sends a cache file, chosen by its recorded name's extension.
struct ExtractDestination {
    std::string_view folder;  // "MAPS", "TEXTURES", "MUSIC", "SOUNDS" or "SYSTEM"
    std::string fileName;     // the recorded name, ".unr" appended when it has no extension
    bool asksFirst = false;   // packages (".u") are moved only when the user agrees
};

// Nothing for an extension that goes nowhere: such a file stays in the cache.
// The extension is everything from the name's last ".", in any ASCII case.
std::optional<ExtractDestination> FindExtractDestination(std::string_view name);

// Whether a recorded name, with "\" and "/" separating folders, stays inside
// the folder it is put in: no ".." or dots-only part, no absolute path, no
// drive letter or other colon, no NUL.
bool NameStaysInFolder(std::string_view name);
