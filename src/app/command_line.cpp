#include "app/command_line.h"

#include <string_view>

namespace {

constexpr std::string_view kGameOption = "--game";

CommandLine UsageError(std::string error) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = "vorpane: " + std::move(error);
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::ShowHelp;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLine::Action::ShowVersion;
            return line;
        }
        if (arg == "--verbose") {
            line.verbose = true;
            continue;
        }
        std::optional<std::string> folder;
        if (arg == kGameOption) {
            if (i + 1 == args.size()) {
                return UsageError("option '--game' needs a folder");
            }
            // Taken as it stands, even when it starts with '-'.
            folder = args[++i];
        } else if (arg.starts_with(std::string(kGameOption) + "=")) {
            folder = arg.substr(kGameOption.size() + 1);
        } else if (arg.starts_with("-")) {
            return UsageError("unknown option '" + arg + "'");
        } else {
            return UsageError("unexpected argument '" + arg + "'");
        }
        if (folder->empty()) {
            return UsageError("option '--game' needs a folder");
        }
        // Two folders would leave the player guessing which one the
        // commands act on.
        if (line.gameDir) {
            return UsageError("option '--game' given twice");
        }
        line.gameDir = std::move(folder);
    }
    return line;
}

std::string UsageText() {
    return "Usage: vorpane [--game DIR] [--verbose]\n"
           "Lists the files Unreal Tournament downloaded into its cache, to move\n"
           "them into the game's folders, delete them or compact cache.ini.\n"
           "\n"
           "  --game DIR   open the game installed in DIR, without looking for its\n"
           "               entry in a Wine registry (also --game=DIR)\n"
           "  --verbose    tell on standard error which Wine prefixes were searched\n"
           "               and which one the game was taken from; for the native\n"
           "               Linux build, which folder its downloads are listed from\n"
           "  -h, --help   show this help and exit\n"
           "  --version    show the version and exit\n"
           "\n"
           "Without --game, vorpane finds the game through its registry entry in\n"
           "$WINEPREFIX, or else in ~/.wine, Steam's Proton prefix and the prefixes\n"
           "of Lutris, Heroic, Bottles, PlayOnLinux and CrossOver; failing that it\n"
           "asks for the game folder.\n"
           "See vorpane(1).\n";
}

std::string VersionText() {
    return "vorpane " VORPANE_VERSION "\n";
}
