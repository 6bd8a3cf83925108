#pragma once

#include <optional>
#include <string>
#include <vector>

// What the command line asks for. The program has a window and few options:
// --help, --version, --game DIR (also --game=DIR) and --verbose.
struct CommandLine {
    enum class Action { OpenWindow, ShowHelp, ShowVersion, UsageError };
    Action action = Action::OpenWindow;
    // The game folder to open instead of the one the installation entry names.
    std::optional<std::string> gameDir;
    // Tell on standard error where the game was looked for and found.
    bool verbose = false;
    // For a usage error: one line saying what is wrong.
    std::string error;
};

// Reads the arguments after the program's name, in order: --help and
// --version answer at once, the first argument that is not understood makes
// a usage error.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints, and a usage error after its own line.
std::string UsageText();

// The text --version prints.
std::string VersionText();

// The exit status of a usage error, as for other command-line programs.
inline constexpr int kUsageErrorExitCode = 2;
