#pragma once

#include <wx/app.h>

#include <optional>
#include <string>

// The application object: starts the main window and ends with it.
class CVorpaneApp final : public wxApp {
  public:
    // `gameDir`: the game folder given on the command line, if any.
    explicit CVorpaneApp(std::optional<std::string> gameDir = std::nullopt)
        : m_gameDir(std::move(gameDir)) {}

    bool OnInit() override;
    int OnRun() override;

  private:
    std::optional<std::string> m_gameDir;
};

wxDECLARE_APP(CVorpaneApp);
