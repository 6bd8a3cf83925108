#pragma once

#include <windows.h>

class EarlyRefresh;

// The application: runs the main window once; the process ends with it.
class CVorpaneApp {
  public:
    // Returns false: there is no message loop after the window. `early`
    // has been reading the game's index since the process started.
    bool InitInstance(HINSTANCE instance, EarlyRefresh& early);
};
