#pragma once

#include <optional>
#include <string>
#include <vector>

// The readers of the launchers' game configurations. Any text is taken: one
// that is no such configuration names no prefix.

// The Wine prefix a Lutris game's configuration (YAML) names: its
// "game: prefix:".
std::optional<std::string> LutrisGamePrefix(const std::string& yaml);

// The Wine prefixes a Heroic game's configuration (JSON) names: the
// "winePrefix" of each game in it, keyed by the game's name.
std::vector<std::string> HeroicWinePrefixes(const std::string& json);
