#include "ui/wx/main_window.h"

#include <wx/stattext.h>

#include <gtk/gtk.h>

#include "resource.h"
#include "ui/wx/program_icon.h"
#include "ui/wx/text_layout.h"

namespace {

constexpr const char* kCaption = "Halden's Vorpane";
constexpr int kWidth = 298;
constexpr int kHeight = 199;

struct ControlTemplate {
    int id;
    int x, y, width, height;
    const char* text;
};

// In template order, which is also the tab order.
constexpr ControlTemplate kLabel{wxID_STATIC, 7, 7, 200, 8, "Date / Time  File"};
constexpr ControlTemplate kList{IDC_CACHE_LIST, 7, 19, 226, 173, ""};
constexpr ControlTemplate kButtons[] = {
    {IDC_EXTRACT, 241, 20, 50, 32, "Extract"},
    {IDC_ABOUT, 241, 151, 50, 41, "About"},
    {IDC_COMPACT, 241, 58, 50, 31, "Compact Cache.ini"},
    {IDC_DELETE, 241, 103, 50, 31, "Delete"},
};

}  // namespace

// The routes of the main window, in the order its routing table lists them;
// every one reaches CVorpaneDlg through Dispatch.
wxBEGIN_EVENT_TABLE(MainWindow, wxDialog) EVT_BUTTON(IDC_ABOUT, MainWindow::OnButton)
    EVT_BUTTON(IDC_EXTRACT, MainWindow::OnButton) EVT_CLOSE(MainWindow::OnCloseBox)
        EVT_BUTTON(IDC_COMPACT, MainWindow::OnButton) EVT_BUTTON(IDC_DELETE, MainWindow::OnButton)
            EVT_CHAR_HOOK(MainWindow::OnCharHook) wxEND_EVENT_TABLE()

                MainWindow::MainWindow(const std::string& programName)
    : wxDialog(nullptr, wxID_ANY, kCaption, wxPoint(0, 0), wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      registry_(WinePrefixesToSearch()),
      files_(MakeNativeFileSystem()) {
    CreateControls();
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
    dlg_ = std::make_unique<CVorpaneDlg>(DialogServices{*view_, *boxes_, *chooser_, registry_,
                                                        *files_, exit_, *about_, programName});
}

MainWindow::~MainWindow() {
    // The toolkit would remove a large list's rows one by one.
    ClearRowsQuickly(*list_);
}

void MainWindow::CreateControls() {
    SetClientSize(wxDLG_UNIT(this, wxSize(kWidth, kHeight)));
    const auto place = [this](const ControlTemplate& c) {
        return std::pair(wxDLG_UNIT(this, wxPoint(c.x, c.y)),
                         wxDLG_UNIT(this, wxSize(c.width, c.height)));
    };

    auto [labelPos, labelSize] = place(kLabel);
    new wxStaticText(this, kLabel.id, kLabel.text, labelPos, labelSize, wxST_NO_AUTORESIZE);

    auto [listPos, listSize] = place(kList);
    // Our own order, never the toolkit's sorting.
    list_ = new wxListBox(this, kList.id, listPos, listSize, 0, nullptr, wxLB_MULTIPLE);
    toggle_ = std::make_unique<ToggleListBehaviour>(*list_);

    for (const ControlTemplate& b : kButtons) {
        auto [pos, size] = place(b);
        auto* button = new wxButton(this, b.id, wxEmptyString, pos, size);
        // Wrapped at the button's width like a multi-line push button.
        const int room = size.GetWidth() - 2 * button->GetCharWidth();
        button->SetLabel(wxString::FromUTF8(WrapWords(b.text, room, [button](std::string_view s) {
            return button->GetTextExtent(wxString::FromUTF8(std::string(s))).GetWidth();
        })));
        if (b.id == IDC_EXTRACT) {
            extract_ = button;
        }
    }
    extract_->SetDefault();
}

int MainWindow::RunModal() {
    dlg_->RunHandler(&CVorpaneDlg::OnInitDialog);
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
        wxDynamicCast(FindFocus(), wxButton) == nullptr) {
        // Extract is the default button: Enter runs it unless a button has the focus.
        Dispatch(WindowEvent::ButtonClicked, IDC_EXTRACT);
        return;
    }
    event.Skip();
}
