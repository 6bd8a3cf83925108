#pragma once

#include <wx/icon.h>

// The program icon IDR_MAINFRAME: res/vorpane.ico, built into the program.
wxIcon LoadProgramIcon();
