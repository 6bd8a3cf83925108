#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using Action = CommandLine::Action;

TEST(CommandLine, OptionsInOrderAndUsageErrors) {
    struct Row {
        std::vector<std::string> args;
        Action action;
        std::optional<std::string> gameDir;
        std::string error;
        bool verbose = false;
    };
    const std::vector<Row> rows = {
        {{}, Action::OpenWindow, {}, ""},
        {{"--game", "/ut"}, Action::OpenWindow, "/ut", ""},
        {{"--game=/u t"}, Action::OpenWindow, "/u t", ""},
        {{"--verbose"}, Action::OpenWindow, {}, "", true},
        {{"--game", "/ut", "--verbose"}, Action::OpenWindow, "/ut", "", true},
        // A folder is taken as it stands, even one that looks like an option.
        {{"--game", "--help"}, Action::OpenWindow, "--help", ""},
        {{"--help"}, Action::ShowHelp, {}, ""},
        {{"-h", "--bogus"}, Action::ShowHelp, {}, ""},
        {{"--game", "/ut", "--version"}, Action::ShowVersion, {}, ""},
        {{"--bogus", "--help"}, Action::UsageError, {}, "vorpane: unknown option '--bogus'"},
        {{"/ut"}, Action::UsageError, {}, "vorpane: unexpected argument '/ut'"},
        {{"--game"}, Action::UsageError, {}, "vorpane: option '--game' needs a folder"},
        {{"--game="}, Action::UsageError, {}, "vorpane: option '--game' needs a folder"},
        {{"--game", ""}, Action::UsageError, {}, "vorpane: option '--game' needs a folder"},
        {{"--game", "/a", "--game=/b"},
         Action::UsageError,
         {},
         "vorpane: option '--game' given twice"},
    };
    for (const Row& row : rows) {
        const CommandLine line = ParseCommandLine(row.args);
        const std::string args = ::testing::PrintToString(row.args);
        EXPECT_EQ(line.action, row.action) << args;
        if (row.action == Action::OpenWindow) {
            EXPECT_EQ(line.gameDir, row.gameDir) << args;
            EXPECT_EQ(line.verbose, row.verbose) << args;
        }
        EXPECT_EQ(line.error, row.error) << args;
    }
}

}  // namespace
