#pragma once

#include <optional>
#include <string>

// The modal folder browser; it also lets the user pick a file.
class FolderChooser {
  public:
    virtual ~FolderChooser() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> Choose(const std::string& title) = 0;
};
