#include "windows/vorpane_app.h"

#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "windows/main_window.h"

namespace {

// The executable's file name without its extension: "Vorpane" for Vorpane.EXE.
std::string ProgramName(HINSTANCE instance) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : 0);
    if (const auto slash = name.find_last_of("\\/"); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name.empty() ? std::string("Vorpane") : name;
}

}  // namespace

bool CVorpaneApp::InitInstance(HINSTANCE instance) {
    // The controls' own look from the common controls the manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's folder browser wants COM on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    MainWindow window(instance, ProgramName(instance));
    window.RunModal();
    return false;
}

namespace {
CVorpaneApp theApp;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A drive without a medium fails the call instead of asking the user.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    theApp.InitInstance(instance);
    return 0;
}
