#pragma once

#include <optional>
#include <string>

// The player's home folder ($HOME); none when it is unset or empty.
std::optional<std::string> PlayerHomeFolder();
