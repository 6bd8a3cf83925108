#include "bench/windows_bench.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/launch.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "bench/x_display.h"

namespace fs = std::filesystem;

namespace {

// Under Wine, every file of the machine is on drive Z:.
std::string WindowsPath(const fs::path& path) {
    std::string windows = "Z:";
    for (const char c : fs::absolute(path).string()) {
        windows += c == '/' ? '\\' : c;
    }
    return windows;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string LoadAverage() {
    std::string one, five, fifteen;
    std::ifstream("/proc/loadavg") >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// "i686" or "x86_64", from the machine field of the program's PE header.
std::string Architecture(const fs::path& exe) {
    std::ifstream in(exe, std::ios::binary);
    std::uint32_t peOffset = 0;
    std::uint16_t machine = 0;
    in.seekg(0x3C);
    in.read(reinterpret_cast<char*>(&peOffset), sizeof peOffset);
    in.seekg(peOffset + 4);
    in.read(reinterpret_cast<char*>(&machine), sizeof machine);
    return machine == 0x14C ? "i686" : machine == 0x8664 ? "x86_64" : "unknown";
}

// Windows programs in the bench's own prefix, started through wine-run.
class Wine {
  public:
    Wine(fs::path prefix, const std::string& display, const fs::path& home)
        : prefix_(std::move(prefix)),
          env_{"DISPLAY=" + display, "HOME=" + home.string(), "PATH=/usr/bin:/bin",
               "LANG=C.UTF-8"} {
        if (const char* loader = std::getenv("VORPANE_WINE")) {
            env_.push_back(std::string("VORPANE_WINE=") + loader);
        }
    }

    const std::vector<std::string>& Env() const { return env_; }
    std::vector<std::string> Command(const std::vector<std::string>& args) const {
        std::vector<std::string> command = {VORPANE_SOURCE_DIR "/tests/win32/wine-run",
                                            prefix_.string()};
        command.insert(command.end(), args.begin(), args.end());
        return command;
    }

    struct Result {
        double ms = -1;  // wall time of the whole run, Wine's start included
        std::string out;
    };
    // Runs a program to its end.
    Result Run(const std::vector<std::string>& args) const {
        std::string line = "env -i";
        for (const std::string& e : env_) {
            line += " " + Quoted(e);
        }
        for (const std::string& a : Command(args)) {
            line += " " + Quoted(a);
        }
        line += " 2>/dev/null";
        Result result;
        const auto start = BenchClock::now();
        FILE* out = popen(line.c_str(), "r");
        if (out == nullptr) {
            return result;
        }
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, out) != nullptr) {
            result.out += buffer;
        }
        if (pclose(out) == 0) {
            result.ms = Milliseconds(BenchClock::now() - start);
        }
        return result;
    }

    // The server and its services stay up between the runs, as Windows is
    // up before a player starts the program. One already up serves as well.
    void KeepServerUp(bool up) const {
        const std::string line = "WINEPREFIX=" + Quoted(prefix_.string()) +
                                 " /usr/lib/wine/wineserver " + (up ? "-p" : "-k") +
                                 " >/dev/null 2>&1";
        std::system(line.c_str());
    }

  private:
    fs::path prefix_;
    std::vector<std::string> env_;
};

struct WindowsSample {
    std::vector<double> floor, floorInside, enumeration, openFound, mapped, indexPass, batches,
        fill, show;
    long floorRows = -1, enumeratedRows = -1, listRows = -1;
};

// Parses the numbers a bench piece printed into `values`; false if short.
template <typename... Values>
bool Parse(const std::string& out, Values&... values) {
    std::istringstream in(out);
    return static_cast<bool>((in >> ... >> values));
}

}  // namespace

void RunWindowsBench(const WindowsBenchSetup& setup, XDisplay& x,
                     const std::map<int, fs::path>& roots, const fs::path& dir) {
    const fs::path exe = setup.tree / "Vorpane.EXE";
    const fs::path floor = setup.tree / "bench/windows/vorpane_win32_floor.exe";
    const fs::path view = setup.tree / "bench/windows/vorpane_win32_view_bench.exe";
    for (const fs::path& needed : {exe, floor, view}) {
        if (!fs::exists(needed)) {
            std::printf("\nVorpane.EXE not timed: %s is missing\n", needed.c_str());
            return;
        }
    }
    if (!x.Ok()) {
        std::printf("\nVorpane.EXE not timed: no private X display\n");
        return;
    }
    const Wine wine(dir / "wineprefix", x.Name(), dir / "home");
    std::string version = wine.Run({"--version"}).out;
    if (version.empty()) {
        std::printf("\nVorpane.EXE not timed: Wine does not start\n");
        return;
    }
    wine.KeepServerUp(true);
    version.erase(version.find_last_not_of('\n') + 1);
    const std::string loadBefore = LoadAverage();

    std::map<int, WindowsSample> samples;
    // A round of the small games first, so that Wine's own files are as warm
    // as the game's; the largest would cost minutes more.
    for (int r = -1; r < setup.reps; ++r) {
        for (const auto& [n, root] : roots) {
            if (r < 0 && n > 10'000) {
                continue;
            }
            WindowsSample& sample = samples[n];
            const std::string cacheDir = WindowsPath(root / "Cache");
            Wine::Result floorRun, enumeration, openFound, viewRun;
            double floorInside = -1, enumerationInside = -1, mapped = -1;
            double indexPass = -1, batches = -1, fill = -1, show = -1;
            if (n > 0) {
                floorRun = wine.Run({floor.string(), cacheDir});
                Parse(floorRun.out, sample.floorRows, floorInside);
                enumeration = wine.Run({floor.string(), "--enumerate", cacheDir});
                Parse(enumeration.out, sample.enumeratedRows, enumerationInside);
                openFound = wine.Run({floor.string(), "--open-found", cacheDir});
            }
            // As the game's installer leaves it: in the 32-bit view of the
            // registry, which the x86_64 test build reads as well.
            wine.Run({"reg", "add",
                      "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament", "/v",
                      "Folder", "/d", WindowsPath(root), "/f", "/reg:32"});
            // Most of a minute at 100,000 files, more on a busy machine.
            mapped = TimeUntilMapped(x, wine.Command({exe.string()}), wine.Env(),
                                     std::chrono::seconds(60 + n / 500));
            if (r < 0 && mapped < 0) {
                wine.KeepServerUp(false);
                std::printf("\nVorpane.EXE not timed: its window did not appear\n");
                return;
            }
            if (n > 0) {
                viewRun = wine.Run({view.string(), cacheDir, "1"});
                Parse(viewRun.out, indexPass, batches, fill, show, sample.listRows);
            }
            if (r < 0) {
                continue;
            }
            const auto keep = [](std::vector<double>& values, double v) {
                if (v >= 0) {
                    values.push_back(v);
                }
            };
            keep(sample.floor, floorRun.ms);
            keep(sample.floorInside, floorInside);
            keep(sample.enumeration, enumeration.ms);
            keep(sample.openFound, openFound.ms);
            keep(sample.mapped, mapped);
            keep(sample.indexPass, indexPass);
            keep(sample.batches, batches);
            keep(sample.fill, fill);
            keep(sample.show, show);
        }
        std::fprintf(stderr, "vorpane_bench: Windows run %d of %d done\n", r + 1, setup.reps);
    }
    wine.KeepServerUp(false);

    std::vector<int> sizes;
    for (const auto& [n, root] : roots) {
        if (n > 0) {
            sizes.push_back(n);
        }
    }
    const auto each = [&](std::vector<double> WindowsSample::*field) {
        std::vector<double> values;
        for (const int n : sizes) {
            values.push_back(MedianOf(samples[n].*field));
        }
        return values;
    };
    const auto ratio = [](const std::vector<double>& a, const std::vector<double>& b) {
        std::vector<double> values;
        for (std::size_t i = 0; i < a.size(); ++i) {
            values.push_back(a[i] < 0 || b[i] <= 0 ? -1 : a[i] / b[i]);
        }
        return values;
    };
    std::printf(
        "\nVorpane.EXE, %s build, under %s: medians of %d interleaved runs; %u cores; "
        "warm caches; load average %s before, %s after\n\n",
        Architecture(exe).c_str(), version.c_str(), setup.reps, std::thread::hardware_concurrency(),
        loadBefore.c_str(), LoadAverage().c_str());
    const Table table(sizes, 50);
    table.Columns();
    const std::vector<double> floorMs = each(&WindowsSample::floor);
    const std::vector<double> mapped = each(&WindowsSample::mapped);
    const std::vector<double> enumeration = each(&WindowsSample::enumeration);
    const std::vector<double> indexPass = each(&WindowsSample::indexPass);
    table.Row("Win32 floor: open+size+times+close, one thread", floorMs, "ms");
    table.Row("  of which the loop itself", each(&WindowsSample::floorInside), "ms");
    table.Row("enumeration: FindFirstFileEx, large fetch", enumeration, "ms");
    table.Row("the floor opening only the files it enumerated", each(&WindowsSample::openFound),
              "ms");
    table.Row("launch -> window mapped", mapped, "ms");
    table.Row("  against the floor", ratio(mapped, floorMs), "x", "<= 0.6 x", 0.6);
    table.Row("  against the enumeration", ratio(mapped, enumeration), "x");
    table.Row("index pass: read, query, format, sort", indexPass, "ms");
    table.Row("  against the floor", ratio(indexPass, floorMs), "x");
    table.Row("batches", each(&WindowsSample::batches), "ms");
    table.Row("list box fill: ShowEntries, window hidden", each(&WindowsSample::fill), "ms");
    table.Row("show until painted", each(&WindowsSample::show), "ms");
    std::printf(
        "  (rows at N = %s: %ld opened by the floor, %ld found by the enumeration, "
        "%ld in the list box with its batch rows; the empty start: launch -> mapped "
        "%s)\n",
        Table::Thousands(sizes.back()).c_str(), samples[sizes.back()].floorRows,
        samples[sizes.back()].enumeratedRows, samples[sizes.back()].listRows,
        Table::Figure(MedianOf(samples[0].mapped), "ms").c_str());
}
