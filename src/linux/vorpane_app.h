#pragma once

#include <wx/app.h>

#include <optional>
#include <string>

#include "linux/phase_marks.h"
#include "location/game_folder.h"

class EarlyRefresh;

// The application object: starts the main window and ends with it.
class CVorpaneApp final : public wxApp {
  public:
    // `gameDir`: the game folder given on the command line, if any; `early`
    // reads the game while the toolkit starts; `playerCacheFolder` finds the
    // cache of a folder the player names, as `early` does; `mark` marks the
    // phases of the start.
    explicit CVorpaneApp(std::optional<std::string> gameDir = std::nullopt,
                         EarlyRefresh* early = nullptr,
                         CacheFolderLookup playerCacheFolder = nullptr, PhaseMarks mark = {})
        : m_gameDir(std::move(gameDir)),
          m_early(early),
          m_playerCacheFolder(std::move(playerCacheFolder)),
          m_mark(mark) {}

    bool OnInit() override;
    int OnRun() override;
    // Left to right, as the toolkit finds for the "C" locale the program
    // runs in, without building its database of every language to look it
    // up, which it would do before the first window (a tenth of its start).
    wxLayoutDirection GetLayoutDirection() const override { return wxLayout_LeftToRight; }

  private:
    std::optional<std::string> m_gameDir;
    EarlyRefresh* m_early;
    CacheFolderLookup m_playerCacheFolder;
    PhaseMarks m_mark;
};

wxDECLARE_APP(CVorpaneApp);
