#include "ui/wx/wx_services.h"

#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
// After msgdlg.h, which declares its base.
#include <wx/generic/msgdlgg.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

#include <algorithm>

#include "ui/cache_list.h"
#include "ui/wx/text_layout.h"

wxString ToDisplay(const std::string& bytes) {
    return wxString::FromUTF8(DisplayText(bytes));
}

void ClearRowsQuickly(wxListBox& list) {
    if (list.GetCount() == 0) {
        return;
    }
    // The rows go while GTK's view is detached from them: it would otherwise
    // follow each of 100,000 removals one by one.
    GtkTreeModel* model = gtk_tree_view_get_model(list.m_treeview);
    g_object_ref(model);
    list.GTKDisableEvents();
    gtk_tree_view_set_model(list.m_treeview, nullptr);
    gtk_list_store_clear(list.m_liststore);
    gtk_tree_view_set_model(list.m_treeview, model);
    list.GTKEnableEvents();
    g_object_unref(model);
}

WxListView::WxListView(wxListBox& list) : list_(list) {
    // Rows of one height and a column of a set width: GTK then lays out only
    // the rows in sight, and a list of 100,000 rows scrolls at once.
    for (int i = 0;; ++i) {
        GtkTreeViewColumn* column = gtk_tree_view_get_column(list_.m_treeview, i);
        if (column == nullptr) {
            break;
        }
        gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    }
    gtk_tree_view_set_fixed_height_mode(list_.m_treeview, TRUE);
}

void WxListView::FitColumn(const wxArrayString& rows) {
    // The longest texts are the widest ones, near enough: only they are measured.
    constexpr std::size_t kMeasured = 32;
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    const auto longer = [&rows](std::size_t a, std::size_t b) {
        return rows[a].length() > rows[b].length();
    };
    const std::size_t measured = std::min(kMeasured, order.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(measured),
                      order.end(), longer);
    int width = list_.GetClientSize().GetWidth();
    for (std::size_t i = 0; i < measured; ++i) {
        width = std::max(width,
                         list_.GetTextExtent(rows[order[i]]).GetWidth() + 2 * list_.GetCharWidth());
    }
    for (int i = 0;; ++i) {
        GtkTreeViewColumn* column = gtk_tree_view_get_column(list_.m_treeview, i);
        if (column == nullptr) {
            break;
        }
        gtk_tree_view_column_set_fixed_width(column, width);
    }
}

void WxListView::ShowEntries(const CacheList& list) {
    wxArrayString rows;
    rows.reserve(list.Entries().size());
    for (const CacheListEntry& entry : list.Entries()) {
        rows.push_back(ToDisplay(entry.text));
    }
    // One batch, frozen.
    list_.Freeze();
    ClearRowsQuickly(list_);
    FitColumn(rows);
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
    // The toolkit's own GTK box shows no icon; this one shows the style's.
    wxGenericMessageDialog box(parent, ToDisplay(text), ToDisplay(caption), flags | wxCENTRE);
    // An empty caption stays empty rather than becoming the toolkit's default.
    box.SetTitle(ToDisplay(caption));
    if (style == BoxStyle::Confirmation) {
        // Escape and the close box answer No, never the affirmative Yes.
        box.SetEscapeId(wxID_NO);
    }
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
    // The bytes the file system gave GTK, even where they are not text in the
    // locale's encoding: converting them first would lose such a folder.
    if (gchar* raw = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser.m_widget))) {
        std::string path(raw);
        g_free(raw);
        return path;
    }
    const wxCharBuffer path = chooser.GetPath().fn_str();
    return std::string(path.data() != nullptr ? path.data() : "");
}
