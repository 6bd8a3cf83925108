// A refresh with download batches on an arbitrary cache.ini over cache files
// of arbitrary sizes and times, then a compaction and a second refresh: the
// list must be in order, its separators where the plain insert-and-step walk
// puts them, and the compacted index must give the same list again.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>

#include "cache/cache_index_file.h"
#include "fuzz/memory_file_system.h"
#include "list/entry_order.h"
#include "support/fakes.h"
#include "support/literal_batches.h"

namespace {

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::vector<CacheListEntry> Regular(const std::vector<CacheListEntry>& rows) {
    std::vector<CacheListEntry> entries;
    for (const auto& entry : rows) {
        if (entry.record) {
            entries.push_back(entry);
        }
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint64_t seed = data[0] | (std::uint64_t{data[1]} << 8);
    MemoryFileSystem files;
    files.index.assign(reinterpret_cast<const char*>(data) + 2, size - 2);

    // Every key the index names gets a file, unless the seed says it is missing.
    const std::string cacheDir = "/game/Cache/";
    bool decodes = true;
    {
        CacheIndexFile index(files);
        index.OpenCacheIndex("cache.ini");
        std::string line;
        IndexEntry entry;
        static constexpr std::uint64_t kSizes[] = {
            0, 1, 307199, 307200, 307201, 0x7fffffff, 0x80000000, 0xffffffff, 0x100000001};
        while (index.ReadIndexLine(line)) {
            if (!ParseIndexLine(line, entry)) {
                continue;
            }
            const std::string path = cacheDir + std::string(entry.key) + ".uxx";
            const std::uint64_t h = Mix(std::hash<std::string>()(path) ^ seed);
            if (h % 7 == 0) {
                continue;
            }
            const FileTime base = 126'420'717'482'500'000ULL;
            const FileTime time = h % 11 == 0 ? Mix(h) : base + (h >> 8) % 64 * 300'000'000ULL;
            files.cacheFiles[path] = {kSizes[(h >> 4) % std::size(kSizes)], time};
        }
        decodes = index.Decodes();
    }
    const std::string before = files.index;

    FakeServices fakes;
    fakes.registry.SetFolder("/game");
    CVorpaneDlg dialog(fakes.For(files));
    dialog.RunHandler(&CVorpaneDlg::OnInitDialog);
    // A list that stops at text that does not decode under its mark says so.
    const std::size_t told = decodes ? 0u : 1u;
    Check(fakes.boxes.shown.size() == told);

    const std::vector<CacheListEntry>& rows = fakes.view.rows;
    Check(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return CompareEntries(a.text, b.text) < 0;
    }));
    std::vector<CacheListEntry> regular = Regular(rows);
    const std::vector<CacheListEntry> literal = LiteralMarkDownloadBatches(regular);
    Check(literal.size() == rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Check(rows[i].text == literal[i].text);
        Check(rows[i].record.has_value() == literal[i].record.has_value());
        Check(rows[i].text.size() >= kEntryPrefixLength);
    }

    dialog.RunHandler(&CVorpaneDlg::OnCompact);
    // Such text is left alone, and that is said once more.
    Check(fakes.boxes.shown.size() == 2 * told);
    Check(decodes || files.index == before);
    std::vector<CacheListEntry> again = Regular(fakes.view.rows);
    Check(again.size() == regular.size());
    // Entries with equal texts may change places; the same entries come back.
    auto byTextAndRecord = [](const CacheListEntry& a, const CacheListEntry& b) {
        return std::tie(a.text, *a.record) < std::tie(b.text, *b.record);
    };
    std::sort(again.begin(), again.end(), byTextAndRecord);
    std::sort(regular.begin(), regular.end(), byTextAndRecord);
    for (std::size_t i = 0; i < again.size(); ++i) {
        Check(again[i].text == regular[i].text && *again[i].record == *regular[i].record);
    }
    return 0;
}
