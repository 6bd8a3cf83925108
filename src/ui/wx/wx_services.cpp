#include "ui/wx/wx_services.h"

#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <algorithm>

#include "ui/cache_list.h"
#include "ui/wx/text_layout.h"

wxString ToDisplay(const std::string& bytes) {
    return wxString::FromUTF8(DisplayText(bytes));
}

void WxListView::ShowEntries(const CacheList& list) {
    wxArrayString rows;
    rows.reserve(list.Entries().size());
    for (const CacheListEntry& entry : list.Entries()) {
        rows.push_back(ToDisplay(entry.text));
    }
    // One batch while frozen: a large cache must not be drawn row by row.
    list_.Freeze();
    list_.Set(rows);
    list_.DeselectAll();
    list_.Thaw();
    if (!rows.empty()) {
        list_.SetFirstItem(0);
    }
}

std::vector<int> WxListView::SelectedIndices() const {
    wxArrayInt selections;
    list_.GetSelections(selections);
    std::vector<int> indices(selections.begin(), selections.end());
    std::sort(indices.begin(), indices.end());
    return indices;
}

BoxButton WxMessageBoxes::Show(const std::string& text, const std::string& caption,
                               BoxStyle style) {
    long flags = 0;
    switch (style) {
        case BoxStyle::Warning:
            flags = wxOK | wxICON_EXCLAMATION;
            break;
        case BoxStyle::Stop:
            flags = wxOK | wxICON_ERROR;
            break;
        case BoxStyle::Confirmation:
            flags = wxYES_NO | wxNO_DEFAULT | wxICON_EXCLAMATION;
            break;
    }
    wxWindow* parent = owner_.IsShown() ? &owner_ : nullptr;
    wxMessageDialog box(parent, ToDisplay(text), ToDisplay(caption), flags | wxCENTRE);
    // An empty caption stays empty rather than becoming the toolkit's default.
    box.SetTitle(ToDisplay(caption));
    const int answer = box.ShowModal();
    if (style != BoxStyle::Confirmation) {
        return BoxButton::Ok;
    }
    // Closing the box any other way than with Yes counts as No.
    return answer == wxID_YES ? BoxButton::Yes : BoxButton::No;
}

std::optional<std::string> WxFolderChooser::Choose(const std::string& title) {
    wxWindow* parent = owner_.IsShown() ? &owner_ : nullptr;
    wxDirDialog chooser(parent, ToDisplay(title), wxGetHomeDir(), wxDD_DEFAULT_STYLE);
    if (chooser.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    // Paths go to the system byte for byte, in its own file name encoding.
    const wxCharBuffer path = chooser.GetPath().fn_str();
    return std::string(path.data() != nullptr ? path.data() : "");
}
