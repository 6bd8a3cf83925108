#include "windows/vorpane_app.h"

#include <commctrl.h>
#include <objbase.h>

#include <optional>
#include <string>

#include "app/early_refresh.h"
#include "platform/file_system.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_installation_registry.h"
#include "windows/main_window.h"

namespace {

// The executable's file name without its extension: "Vorpane" for Vorpane.EXE.
std::string ProgramName(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    std::string name =
        length < MAX_PATH ? NarrowText(std::wstring_view(path, length), CP_UTF8) : std::string();
    if (const auto slash = name.find_last_of("\\/"); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name.empty() ? std::string("Vorpane") : name;
}

}  // namespace

bool CVorpaneApp::InitInstance(HINSTANCE instance, EarlyRefresh& early) {
    // The controls' own look from the common controls the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's folder browser wants COM on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    MainWindow window(instance, ProgramName(instance), early);
    window.RunModal();
    return false;
}

namespace {
CVorpaneApp theApp;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A drive without a medium fails the call instead of asking the user.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    // The game's entry and its index are read on a worker while the
    // controls, COM and the window are made.
    Win32InstallationRegistry registry;
    EarlyRefresh early(registry, MakeNativeFileSystem(), std::nullopt, nullptr);
    theApp.InitInstance(instance, early);
    return 0;
}
