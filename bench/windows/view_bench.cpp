// Times, in one process under Wine, what Vorpane.EXE does at start-up
// before its window is mapped: the index pass (read cache.ini, query every
// listed file through the program's own file system), marking the download
// batches, filling the list box (ListBoxView::ShowEntries on the main dialog
// made from the program's template, still hidden, as in WM_INITDIALOG), and
// showing the dialog until it and its list are painted.
//
//   vorpane_win32_view_bench CACHE_FOLDER [REPS]
//       prints the medians in ms: index pass, batches, fill, show; then the
//       rows in the list box
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "cache/cache_index_file.h"
#include "cache/cache_refresh.h"
#include "cache/download_batches.h"
#include "list/cache_list.h"
#include "list/entry_order.h"
#include "platform/win32/win32_file_system.h"
#include "resource.h"
#include "windows/win32_services.h"

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorpane_win32_view_bench CACHE_FOLDER [REPS]\n");
        return 2;
    }
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Win32FileSystem files;
    // The bench's folders are plain ASCII, the same in any code page.
    const std::string cacheDir = std::string(argv[1]) + "\\";
    std::vector<double> indexPass, batches, fill, show;
    LRESULT rows = 0;
    for (int r = 0; r < reps; ++r) {
        CacheList list;
        const auto start = BenchClock::now();
        CacheIndexFile index(files);
        if (!index.OpenCacheIndex(cacheDir + "cache.ini")) {
            std::fprintf(stderr, "vorpane_win32_view_bench: no cache.ini in %s\n",
                         cacheDir.c_str());
            return 1;
        }
        IndexReading reading;
        AddCachedFiles(index, cacheDir, files, list, reading);
        index.CloseCacheIndex();
        const auto indexed = BenchClock::now();
        MarkDownloadBatches(list, kEntryPrefixLength);
        const auto marked = BenchClock::now();

        // A Unicode window, as the program's is.
        const HWND dialog = CreateDialogParamW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, QuietDialogProc, 0);
        if (dialog == nullptr) {
            std::fprintf(stderr, "vorpane_win32_view_bench: no dialog\n");
            return 1;
        }
        ListBoxView view;
        view.Attach(GetDlgItem(dialog, IDC_CACHE_LIST));
        const auto created = BenchClock::now();
        view.ShowEntries(list);
        const auto filled = BenchClock::now();
        ShowWindow(dialog, SW_SHOW);
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const auto shown = BenchClock::now();
        rows = SendDlgItemMessageA(dialog, IDC_CACHE_LIST, LB_GETCOUNT, 0, 0);
        DestroyWindow(dialog);
        PumpMessages();

        indexPass.push_back(Milliseconds(indexed - start));
        batches.push_back(Milliseconds(marked - indexed));
        fill.push_back(Milliseconds(filled - created));
        show.push_back(Milliseconds(shown - filled));
    }
    std::printf("%.1f %.2f %.1f %.1f %ld\n", Median(indexPass), Median(batches), Median(fill),
                Median(show), static_cast<long>(rows));
    return 0;
}
