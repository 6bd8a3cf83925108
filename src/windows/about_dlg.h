#pragma once

#include <windows.h>

#include "ui/about_box.h"

// The about box from template IDD_ABOUTBOX, centred over the main window.
class CAboutDlg final : public AboutBox {
  public:
    CAboutDlg(HINSTANCE instance, const HWND& owner) : instance_(instance), owner_(owner) {}
    void ShowAbout() override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    const HWND& owner_;
};

// Centres `window` over `over`, or over the screen's work area when there is
// none, keeping it on the screen.
void CenterWindowOver(HWND window, HWND over);
