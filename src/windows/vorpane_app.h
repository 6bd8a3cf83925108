#pragma once

#include <windows.h>

// The application: runs the main window once; the process ends with it.
class CVorpaneApp {
  public:
    // Returns false: there is no message loop after the window.
    bool InitInstance(HINSTANCE instance);
};
