#include <algorithm>
#include <array>
#include <cstring>

#include "app/vorpane_dlg.h"
#include "platform/installation_registry.h"
#include "platform/path_separator.h"
#include "platform/process_exit.h"
#include "ui/folder_chooser.h"
#include "ui/message_boxes.h"

namespace {

constexpr const char* kKeyMissingText =
    "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
constexpr const char* kKeyMissingCaption = "Registry Key Can't Be Found";
constexpr const char* kValueMissingText =
    "HKLM\\Software\\Unreal Technology\\Installed Apps\\UnrealTournament\\Folder \n"
    "Should contain the directory that the UT Game is installed in ie. C:\\UT";
constexpr const char* kValueMissingCaption = "Registry Value Can't Be Found";
constexpr const char* kChooserTitle = "Select the UT Directory";
constexpr const char* kCannotOpenText = "Could NOT be opened";

// Copies a text into the buffer when it fits with its terminator; a longer
// one counts as missing and leaves an empty buffer.
std::size_t CopyIntoBuffer(const std::string& text, char* buffer) {
    const std::size_t length = std::min(text.find('\0'), text.size());
    if (length >= kPathBufferSize) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return length;
}

// The value counts when the registry would return at least one byte (a
// terminator alone too) within the buffer's size.
bool ReadValueIntoBuffer(const std::optional<std::string>& data, char* buffer) {
    if (!data || data->empty() || data->size() > kPathBufferSize) {
        return false;
    }
    return CopyIntoBuffer(*data, buffer) > 0 || (*data)[0] == '\0';
}

}  // namespace

void CVorpaneDlg::LocateGameFolder() {
    std::array<char, kPathBufferSize> buffer{};
    const InstallationEntry entry = m_services.registry.ReadGameFolderEntry();
    bool found = false;
    if (!entry.keyFound) {
        m_services.boxes.Show(kKeyMissingText, kKeyMissingCaption, BoxStyle::Warning);
    } else if (!(found = ReadValueIntoBuffer(entry.folderData, buffer.data()))) {
        m_services.boxes.Show(kValueMissingText, kValueMissingCaption, BoxStyle::Warning);
    }
    if (!found && BrowseForGameFolder(buffer.data()) == 0) {
        m_services.exit.Exit(0);
    }
    SetGameFolder(buffer.data());
}

void CVorpaneDlg::AskForGameFolderAgain() {
    std::array<char, kPathBufferSize> buffer{};
    m_services.boxes.Show(kCannotOpenText, m_cacheIniPath, BoxStyle::Stop);
    if (BrowseForGameFolder(buffer.data()) == 0) {
        m_services.exit.Exit(1);
    }
    SetGameFolder(buffer.data());
}

std::size_t CVorpaneDlg::BrowseForGameFolder(char* buffer) {
    const std::optional<std::string> chosen = m_services.chooser.Choose(kChooserTitle);
    if (!chosen) {
        m_services.exit.Exit(0);
    }
    return CopyIntoBuffer(*chosen, buffer);
}
