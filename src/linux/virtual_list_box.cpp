#include "linux/virtual_list_box.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/utf8.h"
#include "linux/list_rows_accessible.h"
#include "linux/text_layout.h"
#include "list/cache_list.h"

VirtualListBox::VirtualListBox(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                               const wxSize& size) {
    if (!PreCreation(parent, pos, size) ||
        !CreateBase(parent, id, pos, size, wxBORDER_SUNKEN, wxDefaultValidator, "listBox")) {
        return;
    }
    m_widget = gtk_scrolled_window_new(nullptr, nullptr);
    g_object_ref(m_widget);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(m_widget), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    GTKScrolledWindowSetBorder(m_widget, wxBORDER_SUNKEN);

    rows_ = NewListRowsView(*this, selection_);
    gtk_container_add(GTK_CONTAINER(m_widget), rows_);
    gtk_widget_show(rows_);
    m_focusWidget = rows_;

    m_parent->DoAddChild(this);
    PostCreation(size);
    SetInitialSize(size);
}

VirtualListBox::~VirtualListBox() {
    if (rows_ != nullptr) {
        LetGo();
    }
}

void VirtualListBox::LetGo() {
    list_ = nullptr;
    rowCount_ = 0;
    selection_.Reset(0);
    ShowNewRows(rows_, 0);
}

void VirtualListBox::ShowRows(const CacheList& list) {
    list_ = &list;
    rowCount_ = list.Count();
    selection_.Reset(rowCount_);
    // As in a Win32 list box, whatever has the focus: the first Space
    // toggles the first row, the first Down goes to the second.
    ShowNewRows(rows_, ColumnWidth(list));
    PaintNow();
    AnnounceSelectionChange(rows_, -1);
}

double VirtualListBox::Advance(char32_t c) const {
    std::string text;
    AppendUtf8(text, c);
    PangoLayout* layout = gtk_widget_create_pango_layout(rows_, text.c_str());
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return static_cast<double>(logical.width) / PANGO_SCALE;
}

int VirtualListBox::ColumnWidth(const CacheList& list) {
    double width = 0;
    const int widest = widths_.Widest(
        list.Count(), [&](int row) { return list.Text(row); }, width);
    if (widest >= 0) {
        // Laid out whole, kerning and all.
        const std::string shown = DisplayText(list.Text(widest));
        PangoLayout* layout = gtk_widget_create_pango_layout(rows_, shown.c_str());
        int laidOut = 0;
        pango_layout_get_pixel_size(layout, &laidOut, nullptr);
        g_object_unref(layout);
        width = std::max(width, static_cast<double>(laidOut));
    }
    return static_cast<int>(std::ceil(width)) + 2 * GetCharWidth();
}

std::string VirtualListBox::DrawnText(int row) const {
    return list_ != nullptr && row >= 0 && row < list_->Count() ? DisplayText(list_->Text(row))
                                                                : std::string();
}

std::string VirtualListBox::SpokenName(int row) const {
    if (list_ == nullptr || row < 0 || row >= list_->Count()) {
        return std::string();
    }
    // A separator is the one row without a record.
    std::string record;
    return SpokenRowName(list_->Text(row), !list_->RecordInto(row, record));
}

void VirtualListBox::RedrawRow(int row) {
    RedrawRowsOf(rows_, row);
    PaintNow();
    AnnounceSelectionChange(rows_, row);
}

void VirtualListBox::RedrawRows() {
    RedrawRowsOf(rows_, -1);
    PaintNow();
    AnnounceSelectionChange(rows_, -1);
}

void VirtualListBox::PaintNow() {
    // A screen reader asks about every change it is told of, and the main
    // loop answers such questions before it lays out and paints: laid out
    // (the scroll bar's slider too), drawn and sent first, a key's change
    // shows before the reader has its answers.
    GdkWindow* rows = gtk_widget_get_window(rows_);
    if (rows != nullptr && gtk_widget_get_mapped(rows_)) {
        GtkWidget* top = gtk_widget_get_toplevel(rows_);
        if (GTK_IS_CONTAINER(top)) {
            gtk_container_check_resize(GTK_CONTAINER(top));
        }
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gdk_window_process_updates(rows, FALSE);
        G_GNUC_END_IGNORE_DEPRECATIONS
        // Sent now, not when the main loop comes back to the display.
        gdk_display_flush(gdk_window_get_display(rows));
    }
}

int VirtualListBox::Caret() const {
    return CaretRow(rows_);
}

void VirtualListBox::SetCaret(int row) {
    PlaceCaret(rows_, row);
    PaintNow();
}

int VirtualListBox::RowsPerPage() const {
    return WholeRowsInSight(rows_);
}

int VirtualListBox::RowAt(const GdkEventButton& click) const {
    return click.window == gtk_widget_get_window(rows_) ? RowAtHeight(rows_, click.y) : -1;
}

GtkWidget* VirtualListBox::GetConnectWidget() {
    return rows_;
}

GdkWindow* VirtualListBox::GTKGetWindow(wxArrayGdkWindows&) const {
    return gtk_widget_get_window(rows_);
}

void VirtualListBox::DoApplyWidgetStyle(GtkRcStyle* style) {
    GTKApplyStyle(rows_, style);
    widths_.Forget();
}
