#include "bench/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Waits for the X connection to have something to read, until `until`.
void WaitReadable(Display* display, BenchClock::time_point until) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - BenchClock::now());
    if (left.count() <= 0 || XPending(display) > 0) {
        return;
    }
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()) + 1);
}

// A window may be gone before its title is read (Wine maps and destroys
// windows of its own): that window is simply not the program's.
int IgnoreGoneWindows(Display*, XErrorEvent* error) {
    if (error->error_code != BadWindow) {
        std::fprintf(stderr, "vorpane_bench: X error %d\n", error->error_code);
    }
    return 0;
}

}  // namespace

XDisplay::XDisplay() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return;
    }
    server_ = fork();
    if (server_ == 0) {
        close(pipeFds[0]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        const std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string number;
    pollfd fd{pipeFds[0], POLLIN, 0};
    for (char c = 0; number.find('\n') == std::string::npos && poll(&fd, 1, 20'000) > 0 &&
                     read(pipeFds[0], &c, 1) == 1;) {
        number += c;
    }
    close(pipeFds[0]);
    if (number.empty() || number.back() != '\n') {
        return;
    }
    name_ = ":" + number.substr(0, number.size() - 1);
    XSetErrorHandler(IgnoreGoneWindows);
    display_ = XOpenDisplay(name_.c_str());
    if (display_ == nullptr) {
        return;
    }
    int error = 0, opcode = 0, test = 0, major = 0, minor = 0;
    damage_ok_ = XDamageQueryExtension(display_, &damage_event_, &error) &&
                 XQueryExtension(display_, "XTEST", &opcode, &test, &error) &&
                 XTestQueryExtension(display_, &test, &error, &major, &minor);
    const Window root = DefaultRootWindow(display_);
    XSelectInput(display_, root, SubstructureNotifyMask);
    // Away from where the window will be: no hover effects.
    XWarpPointer(display_, None, root, 0, 0, 0, 0, 0, 0);
    XFlush(display_);
}

XDisplay::~XDisplay() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

std::string XDisplay::Title(Window window) {
    char* name = nullptr;
    if (XFetchName(display_, window, &name) && name != nullptr) {
        std::string title(name);
        XFree(name);
        return title;
    }
    return {};
}

bool XDisplay::Drain(Window* mapped, const std::string& title) {
    bool repainted = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == MapNotify && mapped != nullptr && *mapped == 0 &&
            Title(event.xmap.window) == title) {
            *mapped = event.xmap.window;
        } else if (event.type == damage_event_ + XDamageNotify) {
            repainted = true;
        }
    }
    return repainted;
}

Window XDisplay::WaitMapped(const std::string& title, BenchClock::time_point deadline) {
    Window mapped = 0;
    while (mapped == 0 && BenchClock::now() < deadline) {
        WaitReadable(display_, deadline);
        Drain(&mapped, title);
    }
    return mapped;
}

void XDisplay::Watch(Window window) {
    damage_ = XDamageCreate(display_, window, XDamageReportRawRectangles);
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    XFlush(display_);
}

void XDisplay::Unwatch() {
    if (damage_ != 0) {
        XDamageDestroy(display_, damage_);
        damage_ = 0;
    }
    XSync(display_, False);
    Drain(nullptr, {});
}

std::optional<BenchClock::time_point> XDisplay::LastRepaint(BenchClock::duration quiet,
                                                            BenchClock::time_point deadline) {
    std::optional<BenchClock::time_point> last;
    for (;;) {
        const BenchClock::time_point now = BenchClock::now();
        if (last ? now >= *last + quiet : now >= deadline) {
            return last;
        }
        WaitReadable(display_, last ? *last + quiet : deadline);
        if (Drain(nullptr, {})) {
            last = BenchClock::now();
        }
    }
}

BenchClock::time_point XDisplay::Press(KeySym key, bool control) {
    const KeyCode code = XKeysymToKeycode(display_, key);
    const KeyCode ctrl = XKeysymToKeycode(display_, XK_Control_L);
    if (control) {
        XTestFakeKeyEvent(display_, ctrl, True, CurrentTime);
    }
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    if (control) {
        XTestFakeKeyEvent(display_, ctrl, False, CurrentTime);
    }
    const BenchClock::time_point sent = BenchClock::now();
    XFlush(display_);
    return sent;
}
