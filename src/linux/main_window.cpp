#include "linux/main_window.h"

#include <wx/button.h>

#include <gtk/gtk.h>

#include "linux/program_icon.h"
#include "linux/template_builder.h"
#include "location/cache_folder.h"
#include "platform/posix/home_folder.h"
#include "resource.h"
#include "ui/main_template.h"

MainWindow::MainWindow(const std::string& programName, const std::optional<std::string>& gameDir,
                       EarlyRefresh* early, CacheFolderLookup playerCacheFolder)
    : wxDialog(nullptr, wxID_ANY, wxEmptyString, wxPoint(0, 0), wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      files_(MakeNativeFileSystem()) {
    BuildFromTemplate(*this, main_template::kDialog);
    list_ = dynamic_cast<VirtualListBox*>(FindWindow(IDC_CACHE_LIST));
    toggle_ = std::make_unique<ToggleListBehaviour>(*list_);
    const wxIcon icon = LoadProgramIcon();
    if (icon.IsOk()) {
        SetIcon(icon);
        // Also for the boxes and the chooser that come before this window.
        const wxBitmap bitmap(icon);
        gtk_window_set_default_icon(bitmap.GetPixbuf());
    }
    view_ = std::make_unique<WxListView>(*list_);
    boxes_ = std::make_unique<WxMessageBoxes>(*this);
    chooser_ = std::make_unique<WxFolderChooser>(*this);
    about_ = std::make_unique<WxAboutBox>(*this);
    InstallationRegistry& registry = early ? static_cast<InstallationRegistry&>(*early) : registry_;
    DialogServices services{*view_,  *boxes_, *chooser_, registry,
                            *files_, exit_,   *about_,   programName};
    services.playerCacheFolder = std::move(playerCacheFolder);
    services.unicodeNames = [home = PlayerHomeFolder()](const std::string& cacheDir) {
        return !AsksForStoredBytes(cacheDir, home);
    };
    services.early = early;
    dlg_ = std::make_unique<CVorpaneDlg>(std::move(services));
    if (gameDir) {
        dlg_->SetGameFolder(*gameDir, FolderSource::Player);
    }
}

MainWindow::~MainWindow() {
    // The list goes with the logic, before the window's controls.
    list_->LetGo();
}

int MainWindow::RunModal(const PhaseMarks& mark) {
    dlg_->RunHandler(&CVorpaneDlg::OnInitDialog);
    mark("loaded");
    Centre(wxBOTH);
    list_->SetFocus();
    return ShowModal();
}

void MainWindow::Dispatch(WindowEvent event, int controlId) {
    if (const std::optional<CVorpaneDlg::Handler> handler = FindRoute(event, controlId)) {
        dlg_->RunHandler(*handler);
    }
}

void MainWindow::OnButton(wxCommandEvent& event) {
    Dispatch(WindowEvent::ButtonClicked, event.GetId());
}

void MainWindow::OnCloseBox(wxCloseEvent&) {
    Dispatch(WindowEvent::Close, 0);
    EndModal(wxID_CANCEL);
}

void MainWindow::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE && !event.HasAnyModifiers()) {
        // Escape ends the window without the close box's clearing.
        EndModal(wxID_CANCEL);
        return;
    }
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers() &&
        dynamic_cast<wxButton*>(FindFocus()) == nullptr) {
        // Extract is the default button: Enter runs it unless a button has the focus.
        Dispatch(WindowEvent::ButtonClicked, IDC_EXTRACT);
        return;
    }
    event.Skip();
}

// The routes of the main window, in the order its routing table lists them;
// every one reaches CVorpaneDlg through Dispatch. Kept last: clang-format
// leaves it as written to the end of the file.
// clang-format off
wxBEGIN_EVENT_TABLE(MainWindow, wxDialog)
    EVT_BUTTON(IDC_ABOUT, MainWindow::OnButton)
    EVT_BUTTON(IDC_EXTRACT, MainWindow::OnButton)
    EVT_CLOSE(MainWindow::OnCloseBox)
    EVT_BUTTON(IDC_COMPACT, MainWindow::OnButton)
    EVT_BUTTON(IDC_DELETE, MainWindow::OnButton)
    EVT_CHAR_HOOK(MainWindow::OnCharHook)
wxEND_EVENT_TABLE()
