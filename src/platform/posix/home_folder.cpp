#include "platform/posix/home_folder.h"

#include <cstdlib>

std::optional<std::string> PlayerHomeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return std::nullopt;
    }
    return std::string(home);
}
