#include "bench/launch.h"

#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "bench/x_display.h"

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

constexpr const char* kWindowTitle = "Halden's Vorpane";

// The descriptor the program marks its phases on (VORPANE_PHASE_FD).
constexpr int kPhaseFd = 3;

// With `phases`, the write end of a pipe, handed to the program as kPhaseFd.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
            int phases = -1) {
    std::vector<char*> argv, envp;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    for (const std::string& e : env) {
        envp.push_back(const_cast<char*>(e.c_str()));
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (phases >= 0) {
        posix_spawn_file_actions_adddup2(&actions, phases, kPhaseFd);
    }
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

double PeakMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return -1;
}

// "name nanoseconds" lines of the steady clock, as ms after `start`.
std::map<std::string, double> ReadPhases(int fd, BenchClock::time_point start) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    std::map<std::string, double> phases;
    std::istringstream lines(text);
    std::string name;
    long long ns = 0;
    while (lines >> name >> ns) {
        phases[name] = Milliseconds(BenchClock::time_point(std::chrono::nanoseconds(ns)) - start);
    }
    return phases;
}

// Presses a key; the time until the last repaint it caused, or -1.
double TimeKey(XDisplay& x, KeySym key, bool control = false) {
    const BenchClock::time_point sent = x.Press(key, control);
    const auto last = x.LastRepaint(250ms, sent + 5s);
    return last ? Milliseconds(*last - sent) : -1;
}

}  // namespace

LaunchFigures Launch(XDisplay& x, const std::vector<std::string>& command, const fs::path& prefix,
                     const fs::path& home, bool keys, const std::string& bus) {
    // GTK's animations (gliding scrolls, fading scroll bars) off, so that a
    // figure ends with the program's own repaint.
    fs::create_directories(home / ".config" / "gtk-3.0");
    std::ofstream(home / ".config" / "gtk-3.0" / "settings.ini")
        << "[Settings]\ngtk-enable-animations=false\n";
    // A plain session: no accessibility bus (unless asked) or desktop
    // settings to wait on.
    const std::vector<std::string> env = {
        "DISPLAY=" + x.Name(),
        "WINEPREFIX=" + prefix.string(),
        "HOME=" + home.string(),
        "XDG_CONFIG_HOME=" + (home / ".config").string(),
        "XDG_DATA_HOME=" + (home / ".local/share").string(),
        "XDG_CACHE_HOME=" + (home / ".cache").string(),
        "PATH=/usr/bin:/bin",
        "LANG=C.UTF-8",
        bus.empty() ? "NO_AT_BRIDGE=1" : "DBUS_SESSION_BUS_ADDRESS=" + bus,
        "VORPANE_PHASE_FD=" + std::to_string(kPhaseFd),
        "GTK_THEME=Adwaita",
        "GDK_BACKEND=x11",
        "GTK_OVERLAY_SCROLLING=0",
        "GSETTINGS_BACKEND=memory",
    };
    LaunchFigures figures;
    const fs::path index = prefix.parent_path() / "Cache" / "cache.ini";
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return figures;
    }
    const BenchClock::time_point start = BenchClock::now();
    const pid_t pid = Spawn(command, env, pipeEnds[1]);
    close(pipeEnds[1]);
    if (pid < 0) {
        close(pipeEnds[0]);
        return figures;
    }
    const Window window = x.WaitMapped(kWindowTitle, start + 60s);
    if (window != 0) {
        figures.mapped = Milliseconds(BenchClock::now() - start);
        x.Watch(window);
        x.LastRepaint(400ms, BenchClock::now() + 10s);  // the first frames
        if (keys) {
            for (int i = 0; i < 3; ++i) {
                figures.keys["Down"].push_back(TimeKey(x, XK_Down));
            }
            figures.keys["End"].push_back(TimeKey(x, XK_End));
            figures.keys["Space"].push_back(TimeKey(x, XK_space));
            figures.keys["Ctrl+A"].push_back(TimeKey(x, XK_a, true));
            // Compact is the third tab stop after the list.
            fs::copy_file(index, index.string() + ".kept", fs::copy_options::overwrite_existing);
            for (int i = 0; i < 3; ++i) {
                TimeKey(x, XK_Tab);
            }
            const BenchClock::time_point sent = x.Press(XK_space);
            // The button shows pressed at once; the rebuilt list comes later.
            const auto last = x.LastRepaint(2s, sent + 60s);
            figures.command = last ? Milliseconds(*last - sent) : -1;
        }
        x.Unwatch();
    }
    figures.peakMiB = PeakMiB(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    figures.phases = ReadPhases(pipeEnds[0], start);
    close(pipeEnds[0]);
    if (fs::exists(index.string() + ".kept")) {
        fs::rename(index.string() + ".kept", index);
    }
    return figures;
}

double TimeUntilMapped(XDisplay& x, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, std::chrono::seconds timeout) {
    const BenchClock::time_point start = BenchClock::now();
    const pid_t pid = Spawn(args, env);
    if (pid < 0) {
        return -1;
    }
    const Window window = x.WaitMapped(kWindowTitle, start + timeout);
    const double mapped = window != 0 ? Milliseconds(BenchClock::now() - start) : -1;
    // Nothing of this window may be taken for the next one's.
    x.Unwatch();
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return mapped;
}

double TimeRun(const std::vector<std::string>& args) {
    const BenchClock::time_point start = BenchClock::now();
    const pid_t pid = Spawn(args, {"PATH=/usr/bin:/bin"});
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return Milliseconds(BenchClock::now() - start);
}
