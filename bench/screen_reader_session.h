#pragma once

#include <sys/types.h>

#include <string>

// Orca listening on an X display, on the accessibility bus of a D-Bus
// session of its own (bench/screen-reader): what a blind player's desktop
// runs beside the program. Ended with the object.
class ScreenReaderSession {
  public:
    explicit ScreenReaderSession(const std::string& display);
    ~ScreenReaderSession();
    ScreenReaderSession(const ScreenReaderSession&) = delete;
    ScreenReaderSession& operator=(const ScreenReaderSession&) = delete;

    // The session bus's address; empty if Orca did not start.
    const std::string& BusAddress() const { return address_; }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    std::string address_;
};
