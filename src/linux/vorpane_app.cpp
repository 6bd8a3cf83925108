#include "linux/vorpane_app.h"

#include "linux/main_window.h"

wxIMPLEMENT_APP(CVorpaneApp);

bool CVorpaneApp::OnInit() {
    // The program takes no command line and keeps no settings, so the
    // toolkit's own start-up (command-line parsing) is left out.
    return true;
}

int CVorpaneApp::OnRun() {
    // The window runs modally here rather than in OnInit, so that closing it
    // ends the process with exit code 0.
    // The executable's name without its extension.
    const std::string programName(GetAppName().fn_str());
    MainWindow window(programName);
    window.RunModal();
    return 0;
}
