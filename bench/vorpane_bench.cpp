// Times what the player feels, on generated caches, each figure against its
// goal: launch until the window is mapped, against the floor (bench/floor.c:
// read cache.ini, open + statx + close every listed file, sort the rows);
// the index pass against the same floor; marking the batches, loading the
// view and showing the window; key until repaint for Down, End, Space and
// Ctrl+A on the largest cache; Compact until the list is drawn again; the
// peak memory over an empty start; and the compaction against its floor.
// Then launch and keys on the largest cache once more, with Orca listening
// and the program's accessibility bridge on.
// The program is timed from outside in a private X display (Xvfb, XTest,
// XDamage); medians of interleaved runs. The start-up goals are ratios in
// one run: against the floor on two threads, against the empty start, and,
// as root (the caches are dropped), cold against the one-thread cold floor.
// Before the window, finding the game among 50 Wine prefixes as the
// launchers leave them, in-process. Each start's phases, from the marks the
// program writes for the benchmark; the empty start beside a bare wx dialog
// and a bare GTK window with the same widgets (--start-only: only those).
//
//   vorpane_bench [--reps R] [--dir D] [--windows TREE [--windows-reps R]]
//                 [--lookup-only | --start-only] [N ...]
//       (default: 9, 10000 100000; Vorpane.EXE of TREE under Wine, 3 runs)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Before X11's headers, whose macro None would clash with a name here.
#include "base/file_error.h"

#include "bench/file_system_floor.h"
#include "bench/game_folder.h"
#include "bench/game_lookup.h"
#include "bench/launch.h"
#include "bench/screen_reader_session.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "bench/windows_bench.h"
#include "bench/x_display.h"
#include "cache/cache_index_file.h"
#include "cache/cache_refresh.h"
#include "cache/download_batches.h"
#include "list/cache_list.h"
#include "list/entry_order.h"
#include "ops/compact.h"
#include "platform/file_system.h"

namespace fs = std::filesystem;

namespace {

struct Sample {
    std::vector<double> floor, floor2, mapped, indexPass, compact, compactFloor, peak, command;
    std::vector<double> coldFloor, coldMapped;
    std::map<std::string, std::vector<double>> keys;
    // The program's phase marks, ms from the launch; "mapped" from outside.
    std::map<std::string, std::vector<double>> phases;
    // From the view bench: all, batches, view load, show; column width,
    // Ctrl+A with a screen reader's accessible made, GTK's own select-all.
    double view[6] = {-1, -1, -1, -1, -1, -1};
};

// The index pass as the program runs it: read, open + statx, format, sort.
double TimeIndexPass(const std::string& cacheDir, FileSystem& files) {
    CacheList list;
    const auto start = BenchClock::now();
    CacheIndexFile index(files);
    if (!index.OpenCacheIndex(cacheDir + "cache.ini")) {
        return -1;
    }
    IndexReading reading;
    AddCachedFiles(index, cacheDir, files, list, reading);
    index.CloseCacheIndex();
    return Milliseconds(BenchClock::now() - start);
}

void TimeCompaction(const fs::path& root, Sample& sample) {
    const std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
    const std::string cacheDir = root.string() + "/Cache/";
    const std::string index = cacheDir + "cache.ini";
    // The list as the window holds it after a refresh.
    CacheList list;
    IndexReading reading;
    {
        CacheIndexFile file(*files);
        if (!file.OpenCacheIndex(index)) {
            return;
        }
        AddCachedFiles(file, cacheDir, *files, list, reading);
        file.CloseCacheIndex();
        MarkDownloadBatches(list, kEntryPrefixLength);
    }
    std::ostringstream before;
    before << std::ifstream(index, std::ios::binary).rdbuf();
    auto start = BenchClock::now();
    WriteCompactedIndex(list, reading, cacheDir, index, kEntryPrefixLength, *files);
    sample.compact.push_back(Milliseconds(BenchClock::now() - start));
    std::ostringstream bytes;
    bytes << std::ifstream(index, std::ios::binary).rdbuf();
    start = BenchClock::now();
    FloorReplace(index, bytes.str());
    sample.compactFloor.push_back(Milliseconds(BenchClock::now() - start));
    // The next runs list the same lines.
    FloorReplace(index, before.str());
}

void RunViewBench(const fs::path& viewBench, const std::string& display, const fs::path& root,
                  int reps, Sample& sample) {
    const fs::path out = root / "view.txt";
    const std::string command = "DISPLAY=" + display + " NO_AT_BRIDGE=1 GTK_THEME=Adwaita '" +
                                viewBench.string() + "' '" + root.string() + "' " +
                                std::to_string(reps) + " > '" + out.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) == 0) {
        int rows = 0;
        std::ifstream(out) >> sample.view[0] >> sample.view[1] >> sample.view[2] >>
            sample.view[3] >> rows >> sample.view[4] >> sample.view[5];
    }
}

// Empties the system's page cache, so that the next run reads from the disk;
// false where that is not allowed (not root).
bool DropCaches() {
    sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return drop.good();
}

std::vector<double> Each(const std::vector<int>& sizes, const std::function<double(int)>& figure) {
    std::vector<double> values;
    for (const int n : sizes) {
        values.push_back(figure(n));
    }
    return values;
}

double Ratio(double a, double b) {
    return a < 0 || b <= 0 ? -1 : a / b;
}

// The phases of one start, ms: what the program marked (src/linux/
// phase_marks.h) and the mapping seen from outside, each as the time
// between two marks; -1 where a mark is missing.
constexpr std::pair<const char*, const char*> kPhases[] = {
    {"launch", "main"},  {"launch", "opened"}, {"opened", "listed"}, {"listed", "mapped"},
    {"main", "toolkit"}, {"toolkit", "built"}, {"built", "loaded"},  {"loaded", "mapped"},
};
constexpr const char* kPhaseLabels[] = {
    "  launch -> main(): exec, shared libraries",
    "  launch -> cache.ini opened",
    "  the index pass (on the worker)",
    "  after the index -> window mapped",
    "  main() -> toolkit up",
    "  toolkit up -> window built",
    "  window built -> list loaded",
    "  list loaded -> window mapped",
};

void KeepPhases(const LaunchFigures& launch, Sample& sample) {
    std::map<std::string, double> marks = launch.phases;
    marks["launch"] = 0;
    marks["mapped"] = launch.mapped;
    for (const auto& [from, to] : kPhases) {
        const auto a = marks.find(from), b = marks.find(to);
        sample.phases[std::string(from) + ">" + to].push_back(
            a == marks.end() || b == marks.end() || b->second < 0 ? -1 : b->second - a->second);
    }
}

std::vector<double> PhaseOf(const std::vector<int>& sizes, std::map<int, Sample>& samples,
                            std::size_t phase) {
    const std::string name = std::string(kPhases[phase].first) + ">" + kPhases[phase].second;
    return Each(sizes, [&](int n) { return MedianOf(samples[n].phases[name]); });
}

// The empty start beside the bare windows, phase by phase: what the
// program adds to wxWidgets, and wxWidgets to GTK.
void PrintEmptyStart(std::vector<Sample*> starts) {
    std::printf("%-44s%14s%14s%14s%14s\n", "the empty start (an empty cache)", "vorpane", "bare wx",
                "bare GTK 3", "GTK, no GL");
    const Table table(std::vector<int>(starts.size()), 44);
    const auto each = [&](const std::function<double(Sample&)>& figure) {
        std::vector<double> values;
        for (Sample* s : starts) {
            values.push_back(figure(*s));
        }
        return values;
    };
    const std::vector<double> mapped = each([](Sample& s) { return MedianOf(s.mapped); });
    table.Row("launch -> window mapped", mapped, "ms");
    for (std::size_t i = 0; i < std::size(kPhases); ++i) {
        if (i < 1 || i > 3) {
            const std::string name = std::string(kPhases[i].first) + ">" + kPhases[i].second;
            table.Row(kPhaseLabels[i], each([&](Sample& s) { return MedianOf(s.phases[name]); }),
                      "ms");
        }
    }
    table.Row("empty start against the bare GTK window", {Ratio(mapped[0], mapped[2])}, "x",
              "<= 1.15 x", 1.15);
    table.Row("  against GTK without OpenGL, as vorpane", {Ratio(mapped[0], mapped[3])}, "x");
    table.Row("  against the bare wx dialog", {Ratio(mapped[0], mapped[1])}, "x");
    table.Row("bare wx dialog against GTK without OpenGL", {Ratio(mapped[1], mapped[3])}, "x");
}

// Launch and keys with Orca listening: `reps` runs after one untimed.
Sample TimeWithScreenReader(XDisplay& x, const std::string& program, const fs::path& prefix,
                            const fs::path& home, int reps) {
    Sample sample;
    const ScreenReaderSession reader(x.Name());
    if (reader.BusAddress().empty()) {
        std::fprintf(stderr,
                     "vorpane_bench: Orca did not start (bench/screen-reader): the program "
                     "is not timed with a screen reader\n");
        return sample;
    }
    for (int r = -1; r < reps; ++r) {
        const LaunchFigures launch = Launch(x, {program}, prefix, home, true, reader.BusAddress());
        if (r >= 0) {
            sample.mapped.push_back(launch.mapped);
            for (const auto& [key, times] : launch.keys) {
                sample.keys[key].insert(sample.keys[key].end(), times.begin(), times.end());
            }
        }
    }
    std::fprintf(stderr, "vorpane_bench: runs with Orca done\n");
    return sample;
}

}  // namespace

int main(int argc, char** argv) {
    int reps = 9;
    fs::path dir = fs::temp_directory_path() / "vorpane-bench";
    std::vector<int> sizes;
    WindowsBenchSetup windows;
    bool lookupOnly = false, startOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lookup-only") {
            lookupOnly = true;
        } else if (arg == "--start-only") {
            startOnly = true;
        } else if (arg == "--reps" && i + 1 < argc) {
            reps = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (arg == "--windows" && i + 1 < argc) {
            windows.tree = argv[++i];
        } else if (arg == "--windows-reps" && i + 1 < argc) {
            windows.reps = std::max(1, std::atoi(argv[++i]));
        } else {
            sizes.push_back(std::atoi(arg.c_str()));
        }
    }
    // The empty start is always timed, beside the bare windows.
    std::erase(sizes, 0);
    if (sizes.empty()) {
        sizes = {10'000, 100'000};
    }
    std::sort(sizes.begin(), sizes.end());
    constexpr int kPrefixes = 50;
    const double lookupMs = startOnly ? -1 : TimeGameLookup(dir, kPrefixes, reps);
    // Not a figure of N: shown in the last column, where the goal is judged.
    const auto lookupRow = [&](const Table& table, std::size_t columns) {
        std::vector<double> values(columns, -1);
        values.back() = lookupMs;
        table.Row("find the game among " + std::to_string(kPrefixes) + " Wine prefixes", values,
                  "ms", "<= 20 ms", 20);
    };
    if (lookupOnly) {
        std::printf("vorpane_bench: median of %d runs; warm caches\n\n", reps);
        lookupRow(Table({sizes.back()}, 44), 1);
        return 0;
    }
    const fs::path self = fs::canonical("/proc/self/exe");
    const std::string program = (self.parent_path().parent_path() / "vorpane").string();
    const fs::path floor = self.parent_path() / "vorpane_floor";
    const std::string bareWindow = (self.parent_path() / "vorpane_bare_window").string();
    const std::string bareDialogProgram = (self.parent_path() / "vorpane_bare_dialog").string();

    std::vector<int> games = sizes;
    if (startOnly) {
        games.clear();
    }
    games.insert(games.begin(), 0);  // the empty start
    std::map<int, fs::path> roots, prefixes;
    for (const int n : games) {
        roots[n] = dir / ("game-" + std::to_string(n));
        const auto start = BenchClock::now();
        GenerateGame(roots[n], n);
        prefixes[n] = WritePrefixFor(roots[n]);
        std::fprintf(stderr, "vorpane_bench: generated %s in %.1f s\n", roots[n].c_str(),
                     Milliseconds(BenchClock::now() - start) / 1000);
    }

    std::map<int, Sample> samples;
    // Beside the empty start: the bare GTK window as GTK opens the display,
    // and without OpenGL, as vorpane opens it; the bare wx dialog.
    Sample bareSample, bareNoGlSample, bareDialogSample;
    const std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
    XDisplay x;
    if (!x.Ok()) {
        std::fprintf(stderr,
                     "vorpane_bench: no private X display (Xvfb with XTEST and "
                     "DAMAGE): the program is not timed from outside\n");
    }
    const bool cold = geteuid() == 0;
    // Every kind of run once before timing: the caches are then as warm as
    // a player's after the first start.
    for (int r = -1; r < reps; ++r) {
        for (const int n : games) {
            Sample& sample = samples[n];
            const std::string cacheDir = roots[n].string() + "/Cache/";
            const bool keep = r >= 0;
            const double floorRun = n > 0 ? TimeRun({floor.string(), cacheDir}) : -1;
            const double floor2Run = n > 0 ? TimeRun({floor.string(), cacheDir, "2"}) : -1;
            const double indexPass = TimeIndexPass(cacheDir, *files);
            LaunchFigures launch, bare, bareNoGl, bareDialog;
            if (x.Ok()) {
                launch = Launch(x, {program}, prefixes[n], dir / "home",
                                !startOnly && n == sizes.back());
                if (n == 0) {
                    bare = Launch(x, {bareWindow}, prefixes[n], dir / "home", false);
                    bareNoGl = Launch(x, {bareWindow, "--no-gl"}, prefixes[n], dir / "home", false);
                    bareDialog = Launch(x, {bareDialogProgram}, prefixes[n], dir / "home", false);
                }
            }
            if (!keep) {
                continue;
            }
            if (n == 0) {
                bareSample.mapped.push_back(bare.mapped);
                KeepPhases(bare, bareSample);
                bareNoGlSample.mapped.push_back(bareNoGl.mapped);
                KeepPhases(bareNoGl, bareNoGlSample);
                bareDialogSample.mapped.push_back(bareDialog.mapped);
                KeepPhases(bareDialog, bareDialogSample);
            }
            KeepPhases(launch, sample);
            sample.floor.push_back(floorRun);
            sample.floor2.push_back(floor2Run);
            sample.indexPass.push_back(indexPass);
            sample.mapped.push_back(launch.mapped);
            sample.peak.push_back(launch.peakMiB);
            sample.command.push_back(launch.command);
            for (const auto& [key, times] : launch.keys) {
                sample.keys[key].insert(sample.keys[key].end(), times.begin(), times.end());
            }
            if (n > 0) {
                TimeCompaction(roots[n], sample);
            }
            if (n == sizes.back() && cold && DropCaches()) {
                sample.coldFloor.push_back(TimeRun({floor.string(), cacheDir}));
                if (x.Ok() && DropCaches()) {
                    sample.coldMapped.push_back(
                        Launch(x, {program}, prefixes[n], dir / "home", false).mapped);
                }
            }
        }
        std::fprintf(stderr, "vorpane_bench: run %d of %d done\n", r + 1, reps);
    }
    if (startOnly) {
        std::printf("vorpane_bench: medians of %d interleaved runs; %u cores\n\n", reps,
                    std::thread::hardware_concurrency());
        PrintEmptyStart({&samples[0], &bareDialogSample, &bareSample, &bareNoGlSample});
        return 0;
    }
    const Sample withReader =
        x.Ok() ? TimeWithScreenReader(x, program, prefixes[sizes.back()], dir / "home", reps)
               : Sample();
    const fs::path viewBench = self.parent_path() / "vorpane_view_bench";
    for (const int n : sizes) {
        if (x.Ok()) {
            RunViewBench(viewBench, x.Name(), roots[n], reps, samples[n]);
        }
    }

    std::printf("vorpane_bench: medians of %d interleaved runs; %u cores; warm caches\n\n", reps,
                std::thread::hardware_concurrency());
    const Table table(sizes, 44);
    table.Columns();
    const auto median = [&](std::vector<double> Sample::*field) {
        return Each(sizes, [&](int n) { return MedianOf(samples[n].*field); });
    };
    const std::vector<double> floorMs = median(&Sample::floor);
    const std::vector<double> mapped = median(&Sample::mapped);
    const std::vector<double> indexPass = median(&Sample::indexPass);
    const auto against = [&](const std::vector<double>& values) {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < values.size(); ++i) {
            ratios.push_back(Ratio(values[i], floorMs[i]));
        }
        return ratios;
    };
    const std::vector<double> floor2Ms = median(&Sample::floor2);
    const double emptyMapped = MedianOf(samples[0].mapped);
    lookupRow(table, sizes.size());
    table.Row("floor: read, open+statx+close, sort (C)", floorMs, "ms");
    table.Row("  the same on 2 threads", floor2Ms, "ms");
    const auto against2 = [&](const std::vector<double>& values) {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < values.size(); ++i) {
            ratios.push_back(Ratio(values[i], floor2Ms[i]));
        }
        return ratios;
    };
    table.Row("launch -> window mapped", mapped, "ms");
    table.Row("  against the floor", against(mapped), "x");
    table.Row("  against the floor on 2 threads", against2(mapped), "x", "<= 1.25 x", 1.25);
    if (samples.count(10'000)) {
        // Below the first size's column: the goal is the small cache's.
        table.Row("  10,000 against the empty start",
                  {Ratio(MedianOf(samples[10'000].mapped), emptyMapped)}, "x", "<= 1.15 x", 1.15);
    }
    table.Row("index pass: read, open+statx, format, sort", indexPass, "ms");
    table.Row("  against the floor on 2 threads", against2(indexPass), "x", "<= 1.05 x", 1.05);
    std::printf("profile of one start, from its phase marks:\n");
    for (std::size_t i = 0; i < std::size(kPhases); ++i) {
        if (i == 3) {
            table.Row(kPhaseLabels[i], PhaseOf(sizes, samples, i), "ms", "<= 25 ms", 25);
        } else {
            table.Row(kPhaseLabels[i], PhaseOf(sizes, samples, i), "ms");
        }
    }
    // No goal of its own: at start-up the batches are marked on the worker,
    // inside the index pass, and the rest is judged from the phase marks above.
    table.Row("in-process: batches + view load + show",
              Each(sizes, [&](int n) { return samples[n].view[0]; }), "ms");
    table.Row("  batches", Each(sizes, [&](int n) { return samples[n].view[1]; }), "ms");
    table.Row("  view load", Each(sizes, [&](int n) { return samples[n].view[2]; }), "ms");
    table.Row("  show until the rows are drawn",
              Each(sizes, [&](int n) { return samples[n].view[3]; }), "ms");
    table.Row("  column fitted to the widest row",
              Each(sizes, [&](int n) { return samples[n].view[4]; }), "ms", "<= 5 ms", 5);
    table.Row("Ctrl+A in the view, accessible made",
              Each(sizes, [&](int n) { return samples[n].view[5]; }), "ms", "<= 16 ms", 16);
    const std::vector<double> peak = median(&Sample::peak);
    const double emptyPeak = MedianOf(samples[0].peak);
    table.Row("peak memory (max RSS)", peak, "MiB", "<= 64 MiB", 64);
    table.Row("  per entry over the empty start",
              Each(sizes,
                   [&](int n) {
                       const double p = MedianOf(samples[n].peak);
                       return p < 0 || emptyPeak < 0 ? -1 : (p - emptyPeak) * 1024 * 1024 / n;
                   }),
              "B", "<= 250 B", 250);
    std::printf("  (the empty start: peak memory %.1f MiB)\n", emptyPeak);
    if (samples.count(10'000) && samples.count(100'000)) {
        const double growth =
            Ratio(MedianOf(samples[100'000].mapped), MedianOf(samples[10'000].mapped));
        table.Row("launch -> mapped, 100,000 / 10,000", {growth}, "");
    }
    const Sample& largest = samples[sizes.back()];
    for (const char* key : {"Down", "End", "Space", "Ctrl+A"}) {
        const auto found = largest.keys.find(key);
        std::vector<double> values(sizes.size() - 1, -1);
        values.push_back(found == largest.keys.end() ? -1 : MedianOf(found->second));
        table.Row(std::string("key -> repaint: ") + key, values, "ms", "<= 16 ms", 16);
    }
    // Figures of the largest cache alone, in its column.
    const auto largestOnly = [&](double value) {
        std::vector<double> values(sizes.size() - 1, -1);
        values.push_back(value);
        return values;
    };
    if (!largest.coldMapped.empty()) {
        table.Row("cold: floor on 1 thread", largestOnly(MedianOf(largest.coldFloor)), "ms");
        table.Row("cold: launch -> window mapped", largestOnly(MedianOf(largest.coldMapped)), "ms");
        table.Row("  against the cold floor",
                  largestOnly(Ratio(MedianOf(largest.coldMapped), MedianOf(largest.coldFloor))),
                  "x", "<= 0.6 x", 0.6);
    } else {
        std::printf("  (cold figures not taken: dropping the page cache needs root)\n");
    }
    std::printf("with Orca listening, the accessibility bridge on:\n");
    const double mappedWithReader = MedianOf(withReader.mapped);
    table.Row("  launch -> window mapped", largestOnly(mappedWithReader), "ms");
    table.Row("    against the floor on 2 threads",
              largestOnly(Ratio(mappedWithReader, floor2Ms.back())), "x");
    for (const char* key : {"Down", "End", "Space", "Ctrl+A"}) {
        const auto found = withReader.keys.find(key);
        table.Row(std::string("  key -> repaint: ") + key,
                  largestOnly(found == withReader.keys.end() ? -1 : MedianOf(found->second)), "ms",
                  "<= 16 ms", 16);
    }
    std::vector<double> command(sizes.size() - 1, -1);
    command.push_back(MedianOf(largest.command));
    table.Row("Compact -> rebuilt list drawn", command, "ms");
    table.Row("compaction", median(&Sample::compact), "ms");
    table.Row("  against its floor (write, flush, rename)",
              Each(sizes,
                   [&](int n) {
                       return Ratio(MedianOf(samples[n].compact),
                                    MedianOf(samples[n].compactFloor));
                   }),
              "x", "<= 2 x", 2);
    std::printf("\n");
    PrintEmptyStart({&samples[0], &bareDialogSample, &bareSample, &bareNoGlSample});
    if (!windows.tree.empty()) {
        std::fflush(stdout);
        RunWindowsBench(windows, x, roots, dir);
    }
    return 0;
}
