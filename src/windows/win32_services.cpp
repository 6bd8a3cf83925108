#include "windows/win32_services.h"

#include <shlobj.h>

#include <array>
#include <string>

#include "list/cache_list.h"
#include "platform/win32/wide_text.h"

void ListBoxView::ShowEntries(const CacheList& list) {
    // One batch with drawing off: a long list appears at once, not row by row.
    SendMessageW(listBox_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(listBox_, LB_RESETCONTENT, 0, 0);
    std::size_t units = 0;
    for (int i = 0; i < list.Count(); ++i) {
        units += list.Text(i).size() + 1;
    }
    SendMessageW(listBox_, LB_INITSTORAGE, static_cast<WPARAM>(list.Count()),
                 static_cast<LPARAM>(units * sizeof(wchar_t)));
    for (int i = 0; i < list.Count(); ++i) {
        const std::wstring text = WindowText(list.Text(i));
        const LRESULT added =
            SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        // Rows must keep the list's indices: a refused row ends the batch
        // rather than shift every later one.
        if (added == LB_ERR || added == LB_ERRSPACE) {
            break;
        }
    }
    SendMessageW(listBox_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox_, nullptr, TRUE);
}

std::vector<int> ListBoxView::SelectedIndices() const {
    const LRESULT count = SendMessageW(listBox_, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) {
        return {};
    }
    std::vector<int> selected(static_cast<std::size_t>(count));
    const LRESULT got = SendMessageW(listBox_, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                     reinterpret_cast<LPARAM>(selected.data()));
    selected.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return selected;
}

BoxButton Win32MessageBoxes::Show(const std::string& text, const std::string& caption,
                                  BoxStyle style) {
    UINT type = MB_OK | MB_ICONEXCLAMATION;
    if (style == BoxStyle::Stop) {
        type = MB_OK | MB_ICONSTOP;
    } else if (style == BoxStyle::Confirmation) {
        type = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
    }
    switch (MessageBoxW(owner_, WindowText(text).c_str(), WindowText(caption).c_str(), type)) {
        case IDYES:
            return BoxButton::Yes;
        case IDNO:
            return BoxButton::No;
        default:
            return BoxButton::Ok;
    }
}

std::optional<std::string> ShellFolderChooser::Choose(const std::string& title) {
    std::array<wchar_t, MAX_PATH> displayName{};
    const std::wstring shownTitle = WindowText(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName.data();
    info.lpszTitle = shownTitle.c_str();
    info.ulFlags = BIF_EDITBOX | BIF_BROWSEINCLUDEFILES;
    info.lpfn = nullptr;
    info.lParam = 0;

    LPITEMIDLIST item = SHBrowseForFolderW(&info);
    std::array<wchar_t, MAX_PATH> path{};
    const bool converted = item != nullptr && SHGetPathFromIDListW(item, path.data());
    if (item != nullptr) {
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&allocator))) {
            allocator->Free(item);
            allocator->Release();
        }
    }
    if (!converted) {
        return std::nullopt;
    }
    return NarrowText(path.data(), CP_UTF8);
}
