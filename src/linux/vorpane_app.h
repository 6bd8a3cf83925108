#pragma once

#include <wx/app.h>

// The application object: starts the main window and ends with it.
class CVorpaneApp final : public wxApp {
  public:
    bool OnInit() override;
    int OnRun() override;
};

wxDECLARE_APP(CVorpaneApp);
