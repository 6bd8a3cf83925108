#include "platform/win32/win32_installation_registry.h"

#include <windows.h>

#include <array>

#include "platform/path_separator.h"

namespace {

constexpr const char* kGameKey = "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
constexpr const char* kFolderValue = "Folder";

}  // namespace

InstallationEntry Win32InstallationRegistry::ReadGameFolderEntry() {
    InstallationEntry entry;
    HKEY key = nullptr;
    // The game's own call: a 32-bit program on 64-bit Windows sees the
    // 32-bit view, where the game's installer wrote the entry. A 64-bit
    // build (the tests' where no 32-bit program runs) must ask for that view.
#ifdef _WIN64
    const LSTATUS opened =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key);
#else
    const LSTATUS opened = RegOpenKeyA(HKEY_LOCAL_MACHINE, kGameKey, &key);
#endif
    if (opened != ERROR_SUCCESS) {
        return entry;
    }
    entry.keyFound = true;
    std::array<BYTE, kPathBufferSize> buffer{};
    DWORD size = static_cast<DWORD>(buffer.size());
    // A value too long for the buffer fails with ERROR_MORE_DATA: unreadable.
    const LSTATUS status =
        RegQueryValueExA(key, kFolderValue, nullptr, nullptr, buffer.data(), &size);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && size <= buffer.size()) {
        entry.folderData.emplace(reinterpret_cast<const char*>(buffer.data()), size);
    }
    return entry;
}
