#pragma once

#include <wx/app.h>

#include <optional>
#include <string>

class EarlyRefresh;

// The application object: starts the main window and ends with it.
class CVorpaneApp final : public wxApp {
  public:
    // `gameDir`: the game folder given on the command line, if any; `early`
    // reads the game while the toolkit starts.
    explicit CVorpaneApp(std::optional<std::string> gameDir = std::nullopt,
                         EarlyRefresh* early = nullptr)
        : m_gameDir(std::move(gameDir)), m_early(early) {}

    bool OnInit() override;
    int OnRun() override;

  private:
    std::optional<std::string> m_gameDir;
    EarlyRefresh* m_early;
};

wxDECLARE_APP(CVorpaneApp);
