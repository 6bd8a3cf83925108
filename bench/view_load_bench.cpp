// Times, in one process as the program does it, what follows the index pass
// at start-up: marking the download batches, loading the list view and
// showing the new main window until its rows are drawn.
//
// Then, on the list shown, what a refresh and Ctrl+A cost the view: fitting
// the column to the widest row, and selecting every row with the list's
// accessible made (as with a screen reader).
//
//   vorpane_view_bench GAME_FOLDER [REPS]     needs a display; prints the
//   medians in ms: all, batches, view load, show; then the rows shown; then
//   column width, Ctrl+A
#include <wx/app.h>
#include <wx/dialog.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/timing.h"
#include "cache/cache_index_file.h"
#include "cache/cache_refresh.h"
#include "cache/download_batches.h"
#include "linux/template_builder.h"
#include "linux/virtual_list_box.h"
#include "linux/wx_services.h"
#include "list/cache_list.h"
#include "list/entry_order.h"
#include "platform/file_system.h"
#include "resource.h"
#include "ui/main_template.h"

namespace {

class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

void OnDraw(GtkWidget*, cairo_t*, gpointer drawn) {
    *static_cast<bool*>(drawn) = true;
}

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
    const std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
    const std::string cacheDir = std::string(argv[1]) + "/Cache/";
    CacheList list;
    std::vector<double> all, batches, load, show, width, selectAll;
    for (int r = 0; r < reps; ++r) {
        auto* dialog = new wxDialog(nullptr, wxID_ANY, wxEmptyString, wxPoint(0, 0), wxDefaultSize,
                                    wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
        BuildFromTemplate(*dialog, main_template::kDialog);
        auto* box = dynamic_cast<VirtualListBox*>(dialog->FindWindow(IDC_CACHE_LIST));
        WxListView view(*box);
        bool drawn = false;
        g_signal_connect_after(box->RowsView(), "draw", G_CALLBACK(OnDraw), &drawn);

        list.Clear();
        CacheIndexFile index(*files);
        if (!index.OpenCacheIndex(cacheDir + "cache.ini")) {
            std::fprintf(stderr, "vorpane_view_bench: no cache.ini in %s\n", cacheDir.c_str());
            return 1;
        }
        IndexReading reading;
        AddCachedFiles(index, cacheDir, *files, list, reading);
        index.CloseCacheIndex();

        const auto start = BenchClock::now();
        MarkDownloadBatches(list, kEntryPrefixLength);
        const auto marked = BenchClock::now();
        view.ShowEntries(list);
        const auto loaded = BenchClock::now();
        dialog->Centre(wxBOTH);
        dialog->Show();
        const auto deadline = loaded + std::chrono::seconds(10);
        while (!drawn && BenchClock::now() < deadline) {
            wxTheApp->Yield(true);
        }
        const auto end = BenchClock::now();
        all.push_back(Milliseconds(end - start));
        batches.push_back(Milliseconds(marked - start));
        load.push_back(Milliseconds(loaded - marked));
        show.push_back(Milliseconds(end - loaded));

        auto mark = BenchClock::now();
        box->ColumnWidth(list);
        width.push_back(Milliseconds(BenchClock::now() - mark));
        gtk_widget_get_accessible(box->RowsView());
        mark = BenchClock::now();
        box->Selection().SelectAll();
        box->RedrawRows();
        selectAll.push_back(Milliseconds(BenchClock::now() - mark));
        dialog->Destroy();
        wxTheApp->Yield(true);
    }
    std::printf("%.2f %.2f %.2f %.2f %d %.2f %.2f\n", Median(all), Median(batches), Median(load),
                Median(show), list.Count(), Median(width), Median(selectAll));
    wxEntryCleanup();
    return 0;
}
