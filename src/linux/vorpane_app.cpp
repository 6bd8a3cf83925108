#include "linux/vorpane_app.h"

#include <wx/log.h>

#include <malloc.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/command_line.h"
#include "linux/main_window.h"

// main() is our own: the command line is read before the toolkit starts, so
// that --help and --version answer without a display.
wxIMPLEMENT_APP_NO_MAIN(CVorpaneApp);

bool CVorpaneApp::OnInit() {
    m_mark("toolkit");
    // The toolkit sees no option of ours, so its own command-line parsing is
    // left out.
    return true;
}

int CVorpaneApp::OnRun() {
    // The window runs modally here rather than in OnInit, so that closing it
    // ends the process with exit code 0.
    // The executable's name without its extension.
    const std::string programName(GetAppName().fn_str());
    MainWindow window(programName, m_gameDir, m_early,
                      m_playerCacheFolder ? m_playerCacheFolder : PlayerCacheFolder());
    m_mark("built");
    window.RunModal(m_mark);
    return 0;
}

namespace {

// The boxes name the folder in full, as for one picked in the chooser.
std::string AbsoluteFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (error) {
        return folder;
    }
    if (absolute.filename() == ".") {
        absolute = absolute.parent_path();
    }
    return absolute.string();
}

// Prints a text that was asked for; a text that could not be written is a
// failure, as for other command-line programs.
int Print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("vorpane: could not write to standard output\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const PhaseMarks mark;
    mark("main");
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const CommandLine line = ParseCommandLine(args);
    switch (line.action) {
        case CommandLine::Action::ShowHelp:
            return Print(UsageText());
        case CommandLine::Action::ShowVersion:
            return Print(VersionText());
        case CommandLine::Action::UsageError:
            std::fprintf(stderr, "%s\n%s", line.error.c_str(), UsageText().c_str());
            return kUsageErrorExitCode;
        case CommandLine::Action::OpenWindow:
            break;
    }
    // GDK would load the system's OpenGL driver on opening the display, to
    // pick visuals for GL drawing that no window here does: a third of the
    // start on a plain display. Set before any thread starts; a player's own
    // GDK_GL stands.
    setenv("GDK_GL", "disable", 0);
    std::optional<std::string> gameDir;
    if (line.gameDir) {
        gameDir = AbsoluteFolder(*line.gameDir);
    }
    if (line.verbose && gameDir) {
        std::fprintf(stderr, "vorpane: the game folder given with --game: %s\n", gameDir->c_str());
    }
    // The first list is built on the worker below, every later one on this
    // thread: with one arena for all threads, a rebuilt list reuses what the
    // first one freed, rather than growing the process by a list.
    mallopt(M_ARENA_MAX, 1);
    // The game's entry and its index are read while the toolkit starts;
    // --verbose tells then where the game was looked for.
    WinePrefixesRegistry registry(line.verbose);
    // One lookup for the worker and the window, so that --verbose tells its
    // choice once.
    const CacheFolderLookup playerCacheFolder = PlayerCacheFolder(line.verbose);
    EarlyRefresh early(registry, MakeNativeFileSystem(), gameDir, playerCacheFolder, mark);
    // The toolkit gets the program's name only: every option was ours.
    char fallbackName[] = "vorpane";
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argc > 0 ? argv[0] : fallbackName, nullptr};
    // The toolkit's messages (such as no display) go to standard error, as
    // they do when the log is made before the application object exists.
    wxLog::GetActiveTarget();
    wxApp::SetInstance(new CVorpaneApp(gameDir, &early, playerCacheFolder, mark));
    return wxEntry(toolkitArgc, toolkitArgv);
}
