#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

class XDisplay;

// What one start of the program measured from outside; negative where it
// could not be measured.
struct LaunchFigures {
    double mapped = -1;  // launch until its window is mapped, ms
    // Key until the last repaint it caused, ms; every press of the key.
    std::map<std::string, std::vector<double>> keys;
    double command = -1;  // Compact until the rebuilt list is drawn, ms
    double peakMiB = -1;  // the process's peak resident memory
    // The start-up's phases the program marked, ms from the launch: see
    // src/linux/phase_marks.h.
    std::map<std::string, double> phases;
};

// Starts `command` (the program and its arguments) on the game the Wine
// prefix `prefix` points to, with a home of its own in `home`, until its
// window is mapped; with `keys`, then presses the keys a player uses on a
// long list and runs the Compact command (the game's cache.ini is put back
// afterwards). With `bus`, the address of a D-Bus session with the
// accessibility bus, the program speaks to assistive technology there; else
// it does not.
LaunchFigures Launch(XDisplay& x, const std::vector<std::string>& command,
                     const std::filesystem::path& prefix, const std::filesystem::path& home,
                     bool keys, const std::string& bus = "");

// Starts `args` with the environment `env` until the program's window is
// mapped, then ends it: the time that took in ms, negative if no window was
// mapped within `timeout`.
double TimeUntilMapped(XDisplay& x, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, std::chrono::seconds timeout);

// Runs a program to its end; its wall time in ms, negative if it failed.
double TimeRun(const std::vector<std::string>& args);
