#pragma once

#include <wx/app.h>

#include <optional>
#include <string>

// The application object: starts the main window and ends with it.
class CVorpaneApp final : public wxApp {
  public:
    // `gameDir`: the game folder given on the command line, if any;
    // `verbose`: tell on standard error how the game was found.
    explicit CVorpaneApp(std::optional<std::string> gameDir = std::nullopt, bool verbose = false)
        : m_gameDir(std::move(gameDir)), m_verbose(verbose) {}

    bool OnInit() override;
    int OnRun() override;

  private:
    std::optional<std::string> m_gameDir;
    bool m_verbose;
};

wxDECLARE_APP(CVorpaneApp);
