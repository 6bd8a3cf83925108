// The least a wxWidgets program does for a window like the program's: a
// dialog with the same title, the heading, a list box (a GTK tree view in a
// scrolled window, as the program's list is) and the four buttons, placed
// where the program places them. Timed beside the program's empty start and
// the bare GTK window, it parts the toolkit layer's cost from the program's.
// Marks its phases as vorpane does (src/linux/phase_marks.h).
//
//   vorpane_bare_dialog            runs until its window is closed
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/stattext.h>

#include <stdlib.h>

#include "linux/phase_marks.h"

namespace {

class BareDialogApp final : public wxApp {
  public:
    bool OnInit() override {
        mark_("toolkit");
        return true;
    }

    int OnRun() override {
        wxDialog dialog(nullptr, wxID_ANY, "Halden's Vorpane", wxPoint(0, 0), wxDefaultSize,
                        wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
        const auto at = [&](int x, int y) { return dialog.ConvertDialogToPixels(wxPoint(x, y)); };
        const auto size = [&](int w, int h) { return dialog.ConvertDialogToPixels(wxSize(w, h)); };
        dialog.SetClientSize(size(298, 199));
        new wxStaticText(&dialog, wxID_STATIC, "Date / Time  File", at(7, 7), size(200, 8));
        auto* list = new wxListBox(&dialog, wxID_ANY, at(7, 19), size(226, 173));
        const struct {
            const char* caption;
            int y, height;
        } buttons[] = {{"Extract", 20, 32},
                       {"Compact\nCache.ini", 58, 31},
                       {"Delete", 103, 31},
                       {"About", 151, 41}};
        for (const auto& b : buttons) {
            new wxButton(&dialog, wxID_ANY, b.caption, at(241, b.y), size(50, b.height));
        }
        mark_("built");
        mark_("loaded");
        dialog.Centre(wxBOTH);
        list->SetFocus();
        dialog.ShowModal();
        return 0;
    }

  private:
    PhaseMarks mark_;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(BareDialogApp);

int main(int argc, char** argv) {
    PhaseMarks()("main");
    // As vorpane opens the display.
    setenv("GDK_GL", "disable", 0);
    wxApp::SetInstance(new BareDialogApp);
    return wxEntry(argc, argv);
}
