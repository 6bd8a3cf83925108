#include "platform/posix/wine_registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/ascii.h"
#include "base/utf8.h"
#include "platform/path_separator.h"
#include "platform/posix/regular_file.h"
#include "platform/posix/unique_fd.h"
#include "platform/spread_work.h"

namespace fs = std::filesystem;

namespace {

// Wine's registry files run to tens of megabytes in a well-used prefix;
// a larger one is no registry of Wine's and is not read.
constexpr std::size_t kRegistryLimit = std::size_t{256} << 20;

constexpr std::string_view kGameKey =
    "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
constexpr std::string_view kGameKeyOn64 =
    "Software\\Wow6432Node\\Unreal Technology\\Installed Apps\\UnrealTournament";

// UTF-16 code units as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? 0xFFFD : unit);
        }
    }
    return out;
}

// Takes the next line off `text`, without its line break.
bool NextLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) {
        return false;
    }
    const std::size_t end = std::min(text.find('\n'), text.size());
    line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return true;
}

// What Wine writes after a backslash to stand for itself.
bool IsEscapedAsIs(char c) {
    return c == '\\' || c == '"' || c == '[' || c == ']';
}

// A quoted name or text as Wine writes it: ASCII, with "\\", "\"" ("\[" and
// "\]" in key names) and "\x" with up to four hex digits for each UTF-16 unit
// beyond ASCII. `text` starts after the opening character and is moved past
// the closing one. Nothing when that is missing or for Wine's escapes of
// control characters, which no path or key name holds.
std::optional<std::string> ReadEscaped(std::string_view& text, char closing) {
    // Most names hold no escape: taken whole.
    const std::size_t plain = text.find_first_of(std::string{'\\', closing});
    if (plain != std::string_view::npos && text[plain] == closing) {
        std::string out(text.substr(0, plain));
        text.remove_prefix(plain + 1);
        return out;
    }
    std::string out;
    std::u16string units;  // of adjacent "\x" escapes, so surrogate pairs join
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i).starts_with("\\x")) {
            unsigned unit = 0;
            const char* last = text.data() + std::min(text.size(), i + 6);
            const auto [end, error] = std::from_chars(text.data() + i + 2, last, unit, 16);
            if (error != std::errc()) {
                return std::nullopt;
            }
            units.push_back(static_cast<char16_t>(unit));
            i = static_cast<std::size_t>(end - text.data()) - 1;
            continue;
        }
        if (!units.empty()) {
            out += Utf16ToUtf8(units);
            units.clear();
        }
        if (text[i] == closing) {
            text.remove_prefix(i + 1);
            return out;
        }
        if (text[i] == '\\' && (++i == text.size() || !IsEscapedAsIs(text[i]))) {
            return std::nullopt;
        }
        out.push_back(text[i]);
    }
    return std::nullopt;
}

// "hex(1):" / "hex(2):" data: a text as UTF-16 bytes, two hex digits each,
// comma-separated. Wine writes a text this way when it lacks its terminator,
// in lines ending in a backslash where the next goes on; `text` holds those.
std::optional<std::string> ReadHexText(std::string_view line, std::string_view& text) {
    std::u16string units;
    unsigned previous = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; (i = line.find_first_not_of(", \t", i)) != std::string_view::npos;) {
        if (line.substr(i) == "\\") {
            if (!NextLine(text, line)) {
                return std::nullopt;
            }
            i = 0;
            continue;
        }
        unsigned byte = 0;
        const char* last = line.data() + std::min(line.size(), i + 2);
        const auto [end, error] = std::from_chars(line.data() + i, last, byte, 16);
        if (error != std::errc() || end != line.data() + i + 2) {
            return std::nullopt;
        }
        if (++count % 2 == 0) {
            units.push_back(static_cast<char16_t>(previous | (byte << 8)));
        }
        previous = byte;
        i += 2;
    }
    return Utf16ToUtf8(units);
}

// The data of a value as the narrow registry functions return it: a text in
// UTF-8, with its terminator when it is stored with one. Nothing for data a
// folder is not stored as (numbers, binary data, lists).
std::optional<std::string> ReadValueData(std::string_view data, std::string_view& text) {
    if (data.starts_with("hex(1):") || data.starts_with("hex(2):")) {
        return ReadHexText(data.substr(7), text);
    }
    if (data.starts_with("str(2):")) {
        data.remove_prefix(7);
    }
    if (!data.starts_with('"')) {
        return std::nullopt;
    }
    data.remove_prefix(1);
    const std::optional<std::string> value = ReadEscaped(data, '"');
    return value ? std::optional(*value + '\0') : std::nullopt;
}

constexpr std::string_view kGameKeyName = "UnrealTournament";

bool EndsInGameKeyName(std::string_view text, std::size_t bracket) {
    return bracket >= kGameKeyName.size() &&
           EqualIgnoringAsciiCase(text.substr(bracket - kGameKeyName.size(), kGameKeyName.size()),
                                  kGameKeyName);
}

// Sixteen bytes at once, as the compiler's vector extension gives them on
// every processor.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

Bytes16 Load16(const char* bytes) {
    Bytes16 block;
    std::memcpy(&block, bytes, sizeof block);
    return block;
}

// Whether `text` may hold a key line of the game: one whose name ends in
// the game's key name right before a ']'. Wine writes the letters of a key
// name as they are (it escapes only what is beyond ASCII, backslashes and
// brackets), so a text without one holds no such key. A prefix's registry
// runs to megabytes: sixteen bytes are looked at in one step for a ']'
// after a 't' that comes after a 'u' fifteen places back, each of either case.
bool MayHoldGameKey(std::string_view text) {
    const std::size_t length = kGameKeyName.size();
    std::size_t at = length;
    for (; at + sizeof(Bytes16) <= text.size(); at += sizeof(Bytes16)) {
        const auto hits = (Load16(text.data() + at) == ']') &
                          ((Load16(text.data() + at - 1) | 0x20) == 't') &
                          ((Load16(text.data() + at - length) | 0x20) == 'u');
        std::uint64_t words[2];
        std::memcpy(words, &hits, sizeof words);
        if ((words[0] | words[1]) == 0) {
            continue;
        }
        for (std::size_t i = at; i < at + sizeof(Bytes16); ++i) {
            if (text[i] == ']' && EndsInGameKeyName(text, i)) {
                return true;
            }
        }
    }
    for (; at < text.size(); ++at) {
        if (text[at] == ']' && EndsInGameKeyName(text, at)) {
            return true;
        }
    }
    return false;
}

struct FolderLookup {
    bool keyFound = false;
    std::optional<std::string> data;
};

// The value "Folder" of a key in the text of a registry file; key and value
// names match without regard to case, as in Wine.
FolderLookup FindFolderValue(std::string_view text, std::string_view key) {
    FolderLookup result;
    bool inKey = false;
    std::string_view line;
    while (NextLine(text, line)) {
        if (line.starts_with('[')) {
            line.remove_prefix(1);
            const std::optional<std::string> name =
                MayHoldGameKey(line) ? ReadEscaped(line, ']') : std::nullopt;
            inKey = name && EqualIgnoringAsciiCase(*name, key);
            result.keyFound = result.keyFound || inKey;
        } else if (inKey && line.starts_with('"')) {
            line.remove_prefix(1);
            const std::optional<std::string> name = ReadEscaped(line, '"');
            if (name && EqualIgnoringAsciiCase(*name, "Folder") && line.starts_with('=')) {
                result.data = ReadValueData(line.substr(1), text);
                return result;
            }
        }
    }
    return result;
}

// Options such as "#arch=win64" come before the first key.
bool IsWin64Registry(std::string_view text) {
    std::string_view line;
    while (NextLine(text, line) && !line.starts_with('[')) {
        if (line == "#arch=win64") {
            return true;
        }
    }
    return false;
}

// The entry of `folder` whose name matches `part` without regard to case, as
// Wine finds it; `part` itself when there is none.
std::string MatchOnDisk(const fs::path& folder, const std::string& part) {
    std::error_code error;
    if (fs::exists(folder / part, error)) {
        return part;
    }
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (EqualIgnoringAsciiCase(name, part)) {
            return name;
        }
    }
    return part;
}

// The folder that the drive "X:" of a Windows path leads to through the
// prefix's dosdevices links.
std::optional<fs::path> DriveFolder(const fs::path& prefix, std::string_view windowsPath) {
    const char letter = windowsPath.empty() ? '\0' : LowerAscii(windowsPath[0]);
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || letter < 'a' || letter > 'z') {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path folder = fs::canonical(prefix / "dosdevices" / std::string{letter, ':'}, error);
    if (error || !fs::is_directory(folder, error)) {
        return std::nullopt;
    }
    return folder;
}

// The Unix path of a Windows path "X:\..." in the prefix; nothing when the
// path has no drive or the drive is not mapped.
std::optional<std::string> MapWindowsPath(const fs::path& prefix, std::string_view windowsPath) {
    std::optional<fs::path> result = DriveFolder(prefix, windowsPath);
    if (!result) {
        return std::nullopt;
    }
    int depth = 0;
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find_first_of("\\/"), rest.size());
        const std::string part(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (part == ".." && depth > 0) {
            // As on Windows, ".." stops at the drive's root.
            *result = result->parent_path();
            --depth;
        } else if (!part.empty() && part != "." && part != "..") {
            *result /= MatchOnDisk(*result, part);
            ++depth;
        }
    }
    return result->string();
}

// The game folder as the core takes it: the Unix path with a terminator. An
// empty text, or no data at all, goes on as it is: the core tells these apart.
std::optional<std::string> ToUnixFolder(const fs::path& prefix, const std::string& data) {
    const std::string text = data.substr(0, data.find('\0'));
    if (text.empty()) {
        return data;
    }
    if (text.size() >= kPathBufferSize) {
        return std::nullopt;
    }
    const std::optional<std::string> mapped = MapWindowsPath(prefix, text);
    return mapped ? std::optional(*mapped + '\0') : std::nullopt;
}

InstallationEntry EntryOf(const fs::path& prefix, std::string_view text) {
    InstallationEntry entry;
    const bool win64 = IsWin64Registry(text);
    for (const std::string_view key :
         {win64 ? kGameKeyOn64 : kGameKey, win64 ? kGameKey : kGameKeyOn64}) {
        const FolderLookup lookup = FindFolderValue(text, key);
        entry.keyFound = entry.keyFound || lookup.keyFound;
        if (lookup.data) {
            entry.folderData = ToUnixFolder(prefix, *lookup.data);
            break;
        }
    }
    return entry;
}

// The game's cache index in the folder an entry names, and when it was last
// written: the game the player plays writes it. Nothing when there is no
// folder or no readable index.
std::optional<timespec> CacheIndexTime(const std::string& folderData) {
    const std::string folder = folderData.substr(0, folderData.find('\0'));
    if (folder.empty()) {
        return std::nullopt;
    }
    const UniqueFd fd = OpenRegularForReading((folder + "/Cache/cache.ini").c_str());
    struct stat info {};
    if (!fd || fstat(fd.get(), &info) != 0) {
        return std::nullopt;
    }
    return info.st_mtim;
}

bool IsLater(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

std::string UtcText(const timespec& time) {
    tm parts{};
    char text[32] = "?";
    if (gmtime_r(&time.tv_sec, &parts) != nullptr) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    }
    return text;
}

// What one prefix holds.
struct PrefixFinding {
    bool readable = false;  // its system.reg
    InstallationEntry entry;
    std::optional<timespec> cacheTime;  // of the game's cache.ini
};

// A prefix's system.reg in full when it may hold the game's key. It is
// looked through in pieces first, each small enough to stay in the
// processor's cache: most prefixes' registry files, megabytes each, do not
// hold it and are not kept.
std::optional<std::string> ReadIfMayHoldGameKey(int fd) {
    constexpr std::size_t kPiece = 65536;
    const std::size_t carried = kGameKeyName.size();  // of one piece into the next
    std::vector<char> buffer(carried + kPiece);
    std::size_t kept = 0;
    for (;;) {
        const ssize_t count = read(fd, buffer.data() + kept, kPiece);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return std::nullopt;
        }
        const std::size_t size = kept + static_cast<std::size_t>(count);
        if (MayHoldGameKey(std::string_view(buffer.data(), size))) {
            return lseek(fd, 0, SEEK_SET) == 0 ? ReadRest(fd, kRegistryLimit) : std::nullopt;
        }
        kept = std::min(carried, size);
        std::memmove(buffer.data(), buffer.data() + size - kept, kept);
    }
}

PrefixFinding Examine(const fs::path& prefix) {
    PrefixFinding finding;
    const UniqueFd fd = OpenRegularForReading((prefix / "system.reg").c_str());
    struct stat info {};
    finding.readable = fd && fstat(fd.get(), &info) == 0 &&
                       static_cast<std::uintmax_t>(info.st_size) <= kRegistryLimit;
    if (!finding.readable) {
        return finding;
    }
    if (const std::optional<std::string> text = ReadIfMayHoldGameKey(fd.get())) {
        finding.entry = EntryOf(prefix, *text);
        if (finding.entry.folderData) {
            finding.cacheTime = CacheIndexTime(*finding.entry.folderData);
        }
    }
    return finding;
}

// Every prefix examined, in order, on this thread and a few more: each
// registry file is megabytes to look through, and another core can take
// the next one. Where no thread can be started, this one does it all.
std::vector<PrefixFinding> ExamineAll(const std::vector<fs::path>& prefixes) {
    std::vector<PrefixFinding> findings(prefixes.size());
    SpreadWork(prefixes.size(), 1, 1, 4,
               [&](std::size_t i) { findings[i] = Examine(prefixes[i]); });
    return findings;
}

std::string AccountOf(const PrefixFinding& finding) {
    if (!finding.readable) {
        return "no readable system.reg";
    }
    const InstallationEntry& entry = finding.entry;
    if (!entry.folderData) {
        return entry.keyFound ? "the game's key, without a usable Folder value"
                              : "no entry of the game";
    }
    const std::string folder = entry.folderData->substr(0, entry.folderData->find('\0'));
    if (folder.empty()) {
        return "the game's Folder value is empty";
    }
    return "the game in '" + folder + "', " +
           (finding.cacheTime ? "its Cache/cache.ini written " + UtcText(*finding.cacheTime)
                              : std::string("no readable Cache/cache.ini"));
}

}  // namespace

PrefixSearch WineRegistry::Search() const {
    PrefixSearch search;
    std::string& account = search.account;
    account = "vorpane: looking for the game's entry in " + std::to_string(prefixes_.size()) +
              " Wine prefix" + (prefixes_.size() == 1 ? "" : "es") + "\n";
    const std::vector<PrefixFinding> findings = ExamineAll(prefixes_);
    std::optional<std::size_t> first;   // the first prefix whose entry names a folder
    std::optional<std::size_t> cached;  // the one whose cache index was written last
    bool tied = false;                  // another's was written the same time
    std::size_t holding = 0;
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const PrefixFinding& finding = findings[i];
        account += "vorpane:   " + prefixes_[i].string() + ": " + AccountOf(finding) + "\n";
        search.entry.keyFound = search.entry.keyFound || finding.entry.keyFound;
        if (!finding.entry.folderData) {
            continue;
        }
        ++holding;
        first = first.value_or(i);
        const std::optional<timespec>& time = finding.cacheTime;
        if (time && (!cached || IsLater(*time, *findings[*cached].cacheTime))) {
            cached = i;
            tied = false;
        } else if (time && !IsLater(*findings[*cached].cacheTime, *time)) {
            tied = true;
        }
    }
    if (!first) {
        account += "vorpane: no prefix names the game's folder\n";
        return search;
    }
    const std::size_t chosen = cached.value_or(*first);
    search.entry = findings[chosen].entry;
    account += "vorpane: chose " + prefixes_[chosen].string() + ": ";
    if (holding == 1) {
        account += "the only prefix that holds the game\n";
    } else if (cached) {
        account += "of the " + std::to_string(holding) +
                   " that hold the game, its Cache/cache.ini was written last, so it is the "
                   "game played" +
                   (tied ? std::string(" (as late as another's: the first searched wins)") : "") +
                   "\n";
    } else {
        account += "the first of the " + std::to_string(holding) +
                   " that hold the game; none has a readable Cache/cache.ini\n";
    }
    return search;
}

InstallationEntry WineRegistry::ReadGameFolderEntry() {
    return Search().entry;
}
