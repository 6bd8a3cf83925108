// Times the refresh and the compaction on generated caches against what the
// file system itself costs, loading the rows into the Linux list view against
// the refresh, and the peak memory of a refresh.
//
//   vorpane_bench [--reps R] [--dir D] [N ...]     (default: 10000 100000)
//   vorpane_bench --refresh-only D                 (one refresh, prints peak memory)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/vorpane_dlg.h"
#include "bench/file_system_floor.h"
#include "bench/quiet_services.h"
#include "bench/timing.h"
#include "ops/compact.h"
#include "platform/file_system.h"
#include "ui/entry_order.h"

namespace fs = std::filesystem;

namespace {

// A cache as years of play leave it: downloads in batches of a few files,
// each file arriving when the one before it has come in at a modem-to-DSL
// rate, names of every kind, and a few lines whose file is long gone.
void GenerateGame(const fs::path& root, int count) {
    fs::remove_all(root);
    fs::create_directories(root / "Cache");
    for (const char* folder : {"Maps", "Textures", "Music", "Sounds", "System"}) {
        fs::create_directories(root / folder);
    }
    std::mt19937_64 random(static_cast<std::uint64_t>(count));
    const char* kinds[] = {"DM-%s%d.unr",    "CTF-%s%d.unr", "%sTex%d.utx",  "%sMusic%d.umx",
                           "%sSounds%d.uax", "%sPack%d.u",   "%sPack%d.int", "%s%d"};
    const char* words[] = {"Deck", "Face", "Morpheus", "Phobos", "Curse", "Ultra", "Bot", "Rocket"};
    std::ofstream index(root / "Cache" / "cache.ini", std::ios::binary);
    index << "[Cache]\r\n";
    auto time =
        std::chrono::sys_days{std::chrono::year{2005} / 1 / 1} + std::chrono::milliseconds{0};
    for (int i = 0; i < count; ++i) {
        if (random() % 8 == 0) {
            time += std::chrono::hours{1 + random() % 200};  // the next server, another day
        }
        char key[33];
        std::snprintf(key, sizeof key, "%016llX%016llX", static_cast<unsigned long long>(random()),
                      static_cast<unsigned long long>(random()));
        char name[64];
        std::snprintf(name, sizeof name, kinds[random() % std::size(kinds)],
                      words[random() % std::size(words)], i);
        // Sizes from empty to a few MiB, most of them small.
        const std::uint64_t size =
            random() % 50 == 0 ? 0 : (std::uint64_t{1} << (random() % 22)) + random() % 4096;
        index << key << '=' << name << "\r\n";
        if (random() % 100 == 0) {
            continue;  // listed, but gone from the cache
        }
        const fs::path file = root / "Cache" / (std::string(key) + ".uxx");
        std::ofstream(file, std::ios::binary).put('U');
        fs::resize_file(file, size);  // sparse: the disk stays small
        fs::last_write_time(file, std::chrono::file_clock::from_sys(time));
        time += std::chrono::milliseconds{size * 1000 / 5120 + random() % 3000};
    }
    index << "\r\n";
}

struct Figures {
    double refresh, refreshFloor, compact, compactFloor;
    int entries;
};

Figures Measure(const fs::path& root, int reps) {
    QuietDialog quiet(
        root.string());  // its first refresh warms the caches the floor also finds warm

    std::vector<double> refresh, refreshFloor, compact, compactFloor;
    const std::string& index = quiet.indexPath;
    for (int r = 0; r < reps; ++r) {
        refresh.push_back(quiet.TimeRefresh());

        auto start = BenchClock::now();
        FloorRefresh(index, quiet.cacheDir);
        refreshFloor.push_back(Milliseconds(BenchClock::now() - start));

        start = BenchClock::now();
        WriteCompactedIndex(quiet.List(), quiet.cacheDir, index, kEntryPrefixLength, *quiet.files);
        compact.push_back(Milliseconds(BenchClock::now() - start));

        std::ostringstream bytes;
        bytes << std::ifstream(index, std::ios::binary).rdbuf();
        start = BenchClock::now();
        FloorReplace(index, bytes.str());
        compactFloor.push_back(Milliseconds(BenchClock::now() - start));
    }
    if (quiet.services.boxes != 0) {
        std::fprintf(stderr, "vorpane_bench: the program reported %d failures\n",
                     quiet.services.boxes);
        std::exit(1);
    }
    return {Median(refresh), Median(refreshFloor), Median(compact), Median(compactFloor),
            quiet.List().Count()};
}

// Peak resident memory of this process in MiB, where the system tells it.
double PeakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return -1;
}

double MeasurePeakMemory(const char* self, const fs::path& root) {
    const fs::path out = root / "peak.txt";
    const std::string command = std::string("'") + self + "' --refresh-only '" + root.string() +
                                "' > '" + out.string() + "'";
    if (std::system(command.c_str()) != 0) {
        return -1;
    }
    double peak = -1;
    std::ifstream(out) >> peak;
    return peak;
}

// Loading the rows into the Linux list view, timed by its own program in a
// private X display; nothing where that program was not built.
void MeasureViewLoad(const char* self, const fs::path& root, int n, int reps) {
    const fs::path viewBench = fs::path(self).parent_path() / "vorpane_view_bench";
    if (!fs::exists(viewBench)) {
        std::printf("N=%-7d view load: not measured (the Linux program is not built)\n", n);
        return;
    }
    const fs::path out = root / "view.txt";
    const std::string command = "xvfb-run -a -s '-screen 0 1280x1024x24' '" + viewBench.string() +
                                "' '" + root.string() + "' " + std::to_string(reps) + " > '" +
                                out.string() + "' 2>/dev/null";
    double load = -1, refresh = -1;
    if (std::system(command.c_str()) == 0) {
        std::ifstream(out) >> load >> refresh;
    }
    if (load < 0) {
        std::printf("N=%-7d view load: not measured (no X display: xvfb-run failed)\n", n);
        return;
    }
    std::printf("N=%-7d view load   %9.2f ms   refresh %7.2f ms   ratio %.2f\n", n, load, refresh,
                load / refresh);
}

}  // namespace

int main(int argc, char** argv) {
    int reps = 5;
    fs::path dir = fs::temp_directory_path() / "vorpane-bench";
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--refresh-only" && i + 1 < argc) {
            const QuietDialog refreshed(argv[++i]);
            std::printf("%.1f\n", PeakMemoryMiB());
            return 0;
        }
        if (arg == "--reps" && i + 1 < argc) {
            reps = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else {
            sizes.push_back(std::atoi(arg.c_str()));
        }
    }
    if (sizes.empty()) {
        sizes = {10'000, 100'000};
    }

    std::map<int, double> refreshTimes;
    for (const int n : sizes) {
        const fs::path root = dir / ("game-" + std::to_string(n));
        const auto start = BenchClock::now();
        GenerateGame(root, n);
        std::printf("N=%d: generated %s in %.1f s\n", n, root.c_str(),
                    Milliseconds(BenchClock::now() - start) / 1000);
        const Figures f = Measure(root, reps);
        refreshTimes[n] = f.refresh;
        std::printf("N=%-7d refresh     %9.2f ms   floor %9.2f ms   ratio %.2f   (%d rows)\n", n,
                    f.refresh, f.refreshFloor, f.refresh / f.refreshFloor, f.entries);
        std::printf("N=%-7d compaction  %9.2f ms   floor %9.2f ms   ratio %.2f\n", n, f.compact,
                    f.compactFloor, f.compact / f.compactFloor);
        MeasureViewLoad(argv[0], root, n, reps);
        std::printf("N=%-7d peak memory of a refresh: %.1f MiB\n", n,
                    MeasurePeakMemory(argv[0], root));
        std::fflush(stdout);
    }
    if (refreshTimes.count(10'000) && refreshTimes.count(100'000)) {
        std::printf("refresh growth 100000 / 10000: %.2f\n",
                    refreshTimes[100'000] / refreshTimes[10'000]);
    }
    return 0;
}
