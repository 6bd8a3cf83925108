// Times loading a refreshed cache into the Linux list view, against the
// refresh itself: vorpane_view_bench GAME_FOLDER [REPS]. Needs a display.
#include <wx/app.h>
#include <wx/frame.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/vorpane_dlg.h"
#include "bench/quiet_services.h"
#include "bench/timing.h"
#include "platform/file_system.h"
#include "ui/wx/virtual_list_box.h"
#include "ui/wx/wx_services.h"

namespace {

class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorpane_view_bench GAME_FOLDER [REPS]\n");
        return 2;
    }
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "vorpane_view_bench: no display\n");
        return 1;
    }
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Halden's Vorpane");
    auto* list = new VirtualListBox(frame, wxID_ANY, wxDefaultPosition, wxSize(450, 350));
    frame->Show();
    WxListView view(*list);

    QuietDialog quiet(argv[1]);

    std::vector<double> refresh, load;
    for (int r = 0; r < reps; ++r) {
        refresh.push_back(quiet.TimeRefresh());

        // Until the rows are laid out and on screen, not just handed over.
        const auto start = BenchClock::now();
        view.ShowEntries(quiet.List());
        list->Update();
        wxTheApp->Yield(true);
        load.push_back(Milliseconds(BenchClock::now() - start));
    }
    std::printf("%.2f %.2f %d\n", Median(load), Median(refresh), quiet.List().Count());
    frame->Destroy();
    wxEntryCleanup();
    return 0;
}
