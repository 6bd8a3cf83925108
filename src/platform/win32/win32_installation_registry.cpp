#include "platform/win32/win32_installation_registry.h"

#include <windows.h>

#include <array>
#include <string_view>

#include "platform/path_separator.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr const wchar_t* kGameKey =
    L"Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
constexpr const wchar_t* kFolderValue = L"Folder";

}  // namespace

InstallationEntry Win32InstallationRegistry::ReadGameFolderEntry() {
    InstallationEntry entry;
    HKEY key = nullptr;
    // The game's own call: a 32-bit program on 64-bit Windows sees the
    // 32-bit view, where the game's installer wrote the entry. A 64-bit
    // build (the tests' where no 32-bit program runs) must ask for that view.
#ifdef _WIN64
    const LSTATUS opened =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kGameKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key);
#else
    const LSTATUS opened = RegOpenKeyW(HKEY_LOCAL_MACHINE, kGameKey, &key);
#endif
    if (opened != ERROR_SUCCESS) {
        return entry;
    }
    entry.keyFound = true;
    // The path limit counts UTF-16 units, the terminator's included.
    std::array<wchar_t, kPathBufferSize> buffer{};
    DWORD size = static_cast<DWORD>(sizeof buffer);
    // A value too long for the buffer fails with ERROR_MORE_DATA: unreadable.
    const LSTATUS status = RegQueryValueExW(key, kFolderValue, nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && size <= sizeof buffer) {
        // The text in UTF-8, its terminator too; an odd last byte is half a
        // unit, no character.
        const std::wstring_view stored(buffer.data(), size / sizeof(wchar_t));
        entry.folderData = size == 0 ? std::string() : NarrowText(stored, CP_UTF8);
    }
    return entry;
}
