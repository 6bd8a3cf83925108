#pragma once

#include <wx/dialog.h>

#include "ui/about_box.h"

// The about box, laid out as its template IDD_ABOUTBOX says. Its OK button
// (and Escape) close it; it has no handlers of its own.
class CAboutDlg final : public wxDialog {
  public:
    explicit CAboutDlg(wxWindow* owner);
};

// Runs the about box over the main window.
class WxAboutBox final : public AboutBox {
  public:
    explicit WxAboutBox(wxWindow& owner) : owner_(owner) {}
    void ShowAbout() override;

  private:
    wxWindow& owner_;
};
