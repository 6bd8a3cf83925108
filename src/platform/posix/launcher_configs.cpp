#include "platform/posix/launcher_configs.h"

#include <yaml-cpp/yaml.h>

#include <nlohmann/json.hpp>

std::optional<std::string> LutrisGamePrefix(const std::string& yaml) {
    // yaml-cpp reports a text that is no YAML, or too deeply nested, by an
    // exception; it goes no further than here.
    try {
        const YAML::Node root = YAML::Load(yaml);
        if (!root.IsMap()) {
            return std::nullopt;
        }
        const YAML::Node game = root["game"];
        if (!game.IsMap()) {
            return std::nullopt;
        }
        const YAML::Node prefix = game["prefix"];
        if (!prefix.IsScalar() || prefix.Scalar().empty()) {
            return std::nullopt;
        }
        return prefix.Scalar();
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
}

std::vector<std::string> HeroicWinePrefixes(const std::string& json) {
    const nlohmann::json root = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
    std::vector<std::string> prefixes;
    if (!root.is_object()) {
        return prefixes;
    }
    for (const auto& game : root) {
        if (!game.is_object()) {
            continue;
        }
        const auto prefix = game.find("winePrefix");
        if (prefix != game.end() && prefix->is_string() &&
            !prefix->get_ref<const std::string&>().empty()) {
            prefixes.push_back(prefix->get<std::string>());
        }
    }
    return prefixes;
}
