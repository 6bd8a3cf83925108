#pragma once

#include <filesystem>
#include <map>

class XDisplay;

// Where the Windows program and the bench's Windows pieces were built, and
// how often to run them: a start at 100,000 files takes most of a minute.
struct WindowsBenchSetup {
    std::filesystem::path tree;  // holds Vorpane.EXE and bench/windows/
    int reps = 3;
};

// Times Vorpane.EXE under Wine (the loader in $VORPANE_WINE, else as
// tests/win32/wine-run picks it), in a Wine prefix of its own under `dir`,
// on the games in `roots` (by file count; 0 is the empty one): launch until
// the window is mapped against the one-thread Win32 floor and against the
// folder's enumeration, and the program's start-up steps in-process. Prints
// its own table.
void RunWindowsBench(const WindowsBenchSetup& setup, XDisplay& x,
                     const std::map<int, std::filesystem::path>& roots,
                     const std::filesystem::path& dir);
