#include "platform/posix/wine_registry.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "base/utf8.h"
#include "platform/path_separator.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameKey =
    "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
constexpr std::string_view kGameKey32On64 =
    "Software\\Wow6432Node\\Unreal Technology\\Installed Apps\\UnrealTournament";
constexpr std::string_view kFolderValue = "Folder";

// Registry value types whose data is UTF-16 text.
constexpr int kTypeString = 1;
constexpr int kTypeExpandString = 2;
constexpr int kTypeBinary = 3;
constexpr int kTypeMultiString = 7;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

std::u16string UnitsFromLittleEndian(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return units;
}

bool IsTextType(int type) {
    return type == kTypeString || type == kTypeExpandString || type == kTypeMultiString;
}

// Reads "(N)" after "str" or "hex"; `rest` is moved past it.
bool ReadTypeNumber(std::string_view& rest, int& type) {
    if (rest.empty() || rest[0] != '(') {
        return true;
    }
    const std::size_t close = rest.find(')');
    if (close == std::string_view::npos || close == 1) {
        return false;
    }
    type = 0;
    for (std::size_t i = 1; i < close; ++i) {
        const int digit = HexDigit(rest[i]);
        if (digit < 0 || type > 0xFFFFFF) {
            return false;
        }
        type = type * 16 + digit;
    }
    rest.remove_prefix(close + 1);
    return true;
}

class RegistryLines {
  public:
    explicit RegistryLines(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        pos_ = end + 1;
        return true;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Comma-separated hex bytes; a line ending in a backslash goes on in the next.
std::optional<std::string> ReadHexBytes(std::string_view rest, RegistryLines& lines) {
    std::string bytes;
    for (;;) {
        std::size_t i = 0;
        while (i < rest.size()) {
            const char c = rest[i];
            if (c == ',' || c == ' ' || c == '\t') {
                ++i;
                continue;
            }
            if (c == '\\' && i + 1 == rest.size()) {
                break;
            }
            if (i + 1 >= rest.size() || HexDigit(c) < 0 || HexDigit(rest[i + 1]) < 0) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<char>(HexDigit(c) * 16 + HexDigit(rest[i + 1])));
            i += 2;
        }
        if (rest.empty() || rest.back() != '\\') {
            return bytes;
        }
        if (!lines.Next(rest)) {
            return std::nullopt;
        }
    }
}

// The data of a value line after its "=", in the form the narrow registry
// functions return it.
std::optional<std::string> ReadValueData(std::string_view rest, RegistryLines& lines) {
    int type = kTypeString;
    if (rest.starts_with("str")) {
        rest.remove_prefix(3);
        if (!ReadTypeNumber(rest, type) || !rest.starts_with(":\"")) {
            return std::nullopt;
        }
        rest.remove_prefix(1);
    }
    if (rest.starts_with("\"")) {
        std::size_t consumed = 0;
        std::optional<std::u16string> units = UnescapeWineText(rest.substr(1), '"', consumed);
        if (!units) {
            return std::nullopt;
        }
        units->push_back(u'\0');
        return Utf16ToUtf8(*units);
    }
    if (rest.starts_with("dword:")) {
        rest.remove_prefix(6);
        if (rest.size() < 8) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            const int digit = HexDigit(rest[i]);
            if (digit < 0) {
                return std::nullopt;
            }
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        std::string bytes;
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
        return bytes;
    }
    if (rest.starts_with("hex")) {
        rest.remove_prefix(3);
        type = kTypeBinary;
        if (!ReadTypeNumber(rest, type) || !rest.starts_with(":")) {
            return std::nullopt;
        }
        std::optional<std::string> bytes = ReadHexBytes(rest.substr(1), lines);
        if (bytes && IsTextType(type)) {
            return Utf16ToUtf8(UnitsFromLittleEndian(*bytes));
        }
        return bytes;
    }
    return std::nullopt;
}

// The game folder as the core takes it: the Unix path with a terminator.
std::optional<std::string> ToUnixFolder(const fs::path& prefix, const std::string& data) {
    const std::string text = data.substr(0, data.find('\0'));
    if (text.empty()) {
        // No data, or an empty text: the core tells these apart itself.
        return data;
    }
    if (text.size() >= kPathBufferSize) {
        return std::nullopt;
    }
    std::optional<std::string> mapped = MapWindowsPath(prefix, text);
    if (!mapped) {
        return std::nullopt;
    }
    return *mapped + '\0';
}

// The entry of `folder` whose name matches `part` without regard to case.
std::string MatchOnDisk(const fs::path& folder, const std::string& part) {
    std::error_code error;
    if (fs::exists(folder / part, error)) {
        return part;
    }
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (EqualsIgnoringCase(name, part)) {
            return name;
        }
    }
    return part;
}

}  // namespace

std::optional<std::u16string> UnescapeWineText(std::string_view text, char closing,
                                               std::size_t& consumed) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == closing) {
            consumed = i + 1;
            return out;
        }
        if (c != '\\') {
            char32_t cp = 0;
            const std::size_t length = Utf8Sequence(text.substr(i), cp);
            if (length > 0) {
                AppendCodePoint(out, cp);
                i += length;
            } else {
                out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
                ++i;
            }
            continue;
        }
        if (++i >= text.size()) {
            break;
        }
        const char e = text[i];
        switch (e) {
            case 'a':
                out.push_back(u'\a');
                ++i;
                break;
            case 'b':
                out.push_back(u'\b');
                ++i;
                break;
            case 'e':
                out.push_back(u'\x1b');
                ++i;
                break;
            case 'f':
                out.push_back(u'\f');
                ++i;
                break;
            case 'n':
                out.push_back(u'\n');
                ++i;
                break;
            case 'r':
                out.push_back(u'\r');
                ++i;
                break;
            case 't':
                out.push_back(u'\t');
                ++i;
                break;
            case 'v':
                out.push_back(u'\v');
                ++i;
                break;
            case 'x': {
                std::size_t j = i + 1;
                unsigned value = 0;
                while (j < text.size() && j < i + 5 && HexDigit(text[j]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexDigit(text[j]));
                    ++j;
                }
                // "\x" without digits stands for the letter itself.
                out.push_back(j == i + 1 ? u'x' : static_cast<char16_t>(value));
                i = j;
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    std::size_t j = i;
                    unsigned value = 0;
                    while (j < text.size() && j < i + 3 && text[j] >= '0' && text[j] <= '7') {
                        value = value * 8 + static_cast<unsigned>(text[j] - '0');
                        ++j;
                    }
                    out.push_back(static_cast<char16_t>(value));
                    i = j;
                } else {
                    // Any other escaped character stands for itself: \\ \" \[ \].
                    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(e)));
                    ++i;
                }
        }
    }
    return std::nullopt;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                                (static_cast<char32_t>(units[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

WineRegistryLookup FindWineRegistryValue(std::string_view fileText, std::string_view keyPath,
                                         std::string_view valueName) {
    WineRegistryLookup result;
    RegistryLines lines(fileText);
    std::string_view line;
    bool inKey = false;
    while (lines.Next(line)) {
        if (line.starts_with("[")) {
            std::size_t consumed = 0;
            const std::optional<std::u16string> name =
                UnescapeWineText(line.substr(1), ']', consumed);
            inKey = name && EqualsIgnoringCase(Utf16ToUtf8(*name), keyPath);
            result.keyFound = result.keyFound || inKey;
            continue;
        }
        if (!inKey || line.empty() || (line[0] != '"' && line[0] != '@')) {
            continue;
        }
        std::string name;
        std::string_view rest;
        if (line[0] == '@') {
            rest = line.substr(1);
        } else {
            std::size_t consumed = 0;
            const std::optional<std::u16string> units =
                UnescapeWineText(line.substr(1), '"', consumed);
            if (!units) {
                continue;
            }
            name = Utf16ToUtf8(*units);
            rest = line.substr(1 + consumed);
        }
        if (!rest.starts_with("=") || !EqualsIgnoringCase(name, valueName)) {
            continue;
        }
        result.data = ReadValueData(rest.substr(1), lines);
        return result;
    }
    return result;
}

bool IsWin64Registry(std::string_view fileText) {
    RegistryLines lines(fileText);
    std::string_view line;
    while (lines.Next(line)) {
        if (line.starts_with("[")) {
            break;  // the options come before the first key
        }
        if (line == "#arch=win64") {
            return true;
        }
    }
    return false;
}

std::optional<std::string> MapWindowsPath(const fs::path& prefix, std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
        !((windowsPath[0] >= 'A' && windowsPath[0] <= 'Z') ||
          (windowsPath[0] >= 'a' && windowsPath[0] <= 'z'))) {
        return std::nullopt;
    }
    const std::string drive{LowerAscii(windowsPath[0]), ':'};
    std::error_code error;
    const fs::path base = fs::canonical(prefix / "dosdevices" / drive, error);
    if (error || !fs::is_directory(base, error)) {
        return std::nullopt;
    }
    fs::path result = base;
    int depth = 0;
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find_first_of("\\/"), rest.size());
        const std::string part(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            // As on Windows, ".." stops at the drive's root.
            if (depth > 0) {
                result = result.parent_path();
                --depth;
            }
            continue;
        }
        result /= MatchOnDisk(result, part);
        ++depth;
    }
    return result.string();
}

std::optional<fs::path> DefaultWinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        return fs::path(prefix);
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return fs::path(home) / ".wine";
    }
    return std::nullopt;
}

InstallationEntry WineRegistry::ReadGameFolderEntry() {
    InstallationEntry entry;
    if (!prefix_) {
        return entry;
    }
    std::ifstream in(*prefix_ / "system.reg", std::ios::binary);
    std::ostringstream content;
    if (!in || !(content << in.rdbuf())) {
        return entry;
    }
    const std::string text = content.str();
    const bool win64 = IsWin64Registry(text);
    for (const std::string_view key :
         {win64 ? kGameKey32On64 : kGameKey, win64 ? kGameKey : kGameKey32On64}) {
        const WineRegistryLookup lookup = FindWineRegistryValue(text, key, kFolderValue);
        entry.keyFound = entry.keyFound || lookup.keyFound;
        if (lookup.data) {
            entry.folderData = ToUnixFolder(*prefix_, *lookup.data);
            return entry;
        }
    }
    return entry;
}
