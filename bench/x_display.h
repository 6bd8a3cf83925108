#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <sys/types.h>

#include <optional>
#include <string>

#include "bench/timing.h"

// A private X display for timing the program from outside, as the player
// meets it: Xvfb without a window manager, the mapping of the program's
// window, keys sent through XTest and the repaints they cause, seen through
// XDamage.
class XDisplay {
  public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    // Whether Xvfb runs, was reached and has the extensions.
    bool Ok() const { return display_ != nullptr && damage_ok_; }
    const std::string& Name() const { return name_; }

    // The top-level window titled `title` once it is mapped; 0 if none is
    // mapped by `deadline`.
    Window WaitMapped(const std::string& title, BenchClock::time_point deadline);
    // Watches the window's repaints from now on and gives it the keyboard.
    void Watch(Window window);
    void Unwatch();
    // Waits until no repaint has come for `quiet`; the time of the last
    // one, or nothing if none came by `deadline`.
    std::optional<BenchClock::time_point> LastRepaint(BenchClock::duration quiet,
                                                      BenchClock::time_point deadline);
    // Presses and releases a key (with Control held if asked); returns when
    // it was sent.
    BenchClock::time_point Press(KeySym key, bool control = false);

  private:
    // Handles what has arrived; true if a repaint was among it.
    bool Drain(Window* mapped, const std::string& title);
    std::string Title(Window window);

    pid_t server_ = -1;
    std::string name_;
    Display* display_ = nullptr;
    bool damage_ok_ = false;
    int damage_event_ = 0;
    Damage damage_ = 0;
};
