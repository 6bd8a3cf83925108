// Posts WM_SYSCOMMAND to the top-level window with the given title, as a
// click on an entry of its system menu would.
// usage: send_syscommand <window title> <command id>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: send_syscommand <window title> <command id>\n");
        return 2;
    }
    const HWND window = FindWindowA(nullptr, argv[1]);
    if (window == nullptr) {
        std::fprintf(stderr, "send_syscommand: no window \"%s\"\n", argv[1]);
        return 1;
    }
    const auto command = static_cast<WPARAM>(std::strtoul(argv[2], nullptr, 0));
    return PostMessageA(window, WM_SYSCOMMAND, command, 0) ? 0 : 1;
}
