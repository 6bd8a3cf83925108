#include "linux/virtual_list_box.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/utf8.h"
#include "linux/list_tree_view.h"
#include "linux/row_model.h"
#include "linux/text_layout.h"
#include "list/cache_list.h"

namespace {

// The colours the theme gives selected rows of the view as it stands now
// (focused or not).
void SelectedColours(GtkWidget* view, GdkRGBA& background, GdkRGBA& foreground) {
    GtkStyleContext* style = gtk_widget_get_style_context(view);
    const auto state =
        static_cast<GtkStateFlags>(gtk_widget_get_state_flags(view) | GTK_STATE_FLAG_SELECTED);
    gtk_style_context_save(style);
    gtk_style_context_set_state(style, state);
    gtk_style_context_get_color(style, state, &foreground);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_style_context_get_background_color(style, state, &background);
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_style_context_restore(style);
}

}  // namespace

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

    tree_ = GTK_TREE_VIEW(NewListTreeView(selection_, *this));
    gtk_tree_view_set_headers_visible(tree_, FALSE);
    // No type-ahead; the view itself opens no search box.
    gtk_tree_view_set_enable_search(tree_, FALSE);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(tree_);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_MULTIPLE);
    gtk_tree_selection_set_select_function(selection, &VirtualListBox::NeverSelect, nullptr,
                                           nullptr);

    GtkCellRenderer* cell = NewRowRenderer();
    column_ = gtk_tree_view_column_new();
    gtk_tree_view_column_pack_start(column_, cell, TRUE);
    gtk_tree_view_column_set_cell_data_func(column_, cell, &VirtualListBox::DrawRow, this, nullptr);
    // Rows of one height and a column of a set width: GTK lays out only the
    // rows in sight. The column still fills a wider view.
    gtk_tree_view_column_set_sizing(column_, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_expand(column_, TRUE);
    gtk_tree_view_append_column(tree_, column_);
    gtk_tree_view_set_fixed_height_mode(tree_, TRUE);
    SetModel(NewEmptyRowModel());

    gtk_container_add(GTK_CONTAINER(m_widget), GTK_WIDGET(tree_));
    gtk_widget_show(GTK_WIDGET(tree_));
    m_focusWidget = GTK_WIDGET(tree_);

    m_parent->DoAddChild(this);
    PostCreation(size);
    SetInitialSize(size);
}

VirtualListBox::~VirtualListBox() {
    if (tree_ != nullptr) {
        LetGo();
    }
}

void VirtualListBox::LetGo() {
    SetModel(NewEmptyRowModel());
    list_ = nullptr;
    rowCount_ = 0;
    selection_.Reset(0);
}

void VirtualListBox::SetModel(GtkTreeModel* model) {
    // Once the view knows its row height it would set it on each new row, a
    // walk up the tree for each; learnt afresh, it is set on all in one go.
    gtk_tree_view_set_fixed_height_mode(tree_, FALSE);
    gtk_tree_view_set_model(tree_, model);
    gtk_tree_view_set_fixed_height_mode(tree_, TRUE);
    g_object_unref(model);
}

void VirtualListBox::ShowRows(const CacheList& list) {
    list_ = &list;
    rowCount_ = list.Count();
    selection_.Reset(rowCount_);
    gtk_tree_view_column_set_fixed_width(column_, ColumnWidth(list));
    // A new model: GTK learns the rows and forgets the caret.
    SetModel(NewRowModel(list));
    // At once, where GTK's own scrolling would glide there.
    gtk_adjustment_set_value(gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(tree_)), 0);
    gtk_adjustment_set_value(gtk_scrollable_get_hadjustment(GTK_SCROLLABLE(tree_)), 0);
    // As in a Win32 list box, whatever has the focus: the first Space
    // toggles the first row, the first Down goes to the second.
    if (rowCount_ > 0) {
        SetCaret(0);
    }
    AnnounceSelectionChange(tree_, -1);
}

double VirtualListBox::Advance(char32_t c) const {
    std::string text;
    AppendUtf8(text, c);
    PangoLayout* layout = gtk_widget_create_pango_layout(GTK_WIDGET(tree_), text.c_str());
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
        PangoLayout* layout = gtk_widget_create_pango_layout(GTK_WIDGET(tree_), shown.c_str());
        int laidOut = 0;
        pango_layout_get_pixel_size(layout, &laidOut, nullptr);
        g_object_unref(layout);
        width = std::max(width, static_cast<double>(laidOut));
    }
    return static_cast<int>(std::ceil(width)) + 2 * GetCharWidth();
}

void VirtualListBox::DrawRow(GtkTreeViewColumn*, GtkCellRenderer* cell, GtkTreeModel*,
                             GtkTreeIter* iter, gpointer self) {
    const auto& box = *static_cast<VirtualListBox*>(self);
    const int row = RowOf(*iter);
    const std::string text = box.list_ != nullptr ? RowText(*box.list_, row) : std::string();
    if (box.selection_.IsSelected(row)) {
        GdkRGBA background;
        GdkRGBA foreground;
        SelectedColours(GTK_WIDGET(box.tree_), background, foreground);
        g_object_set(cell, "text", text.c_str(), "cell-background-rgba", &background,
                     "foreground-rgba", &foreground, nullptr);
    } else {
        g_object_set(cell, "text", text.c_str(), "cell-background-set", FALSE, "foreground-set",
                     FALSE, nullptr);
    }
}

std::string VirtualListBox::SpokenName(int row) const {
    if (list_ == nullptr || row < 0 || row >= list_->Count()) {
        return std::string();
    }
    // A separator is the one row without a record.
    std::string record;
    return SpokenRowName(list_->Text(row), !list_->RecordInto(row, record));
}

gboolean VirtualListBox::NeverSelect(GtkTreeSelection*, GtkTreeModel*, GtkTreePath*, gboolean,
                                     gpointer) {
    // GTK would select with the caret, and unselect every other row.
    return FALSE;
}

void VirtualListBox::RedrawRow(int row) {
    GtkTreeModel* model = gtk_tree_view_get_model(tree_);
    GtkTreeIter iter;
    if (model != nullptr && gtk_tree_model_iter_nth_child(model, &iter, nullptr, row)) {
        GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
        gtk_tree_model_row_changed(model, path, &iter);
        gtk_tree_path_free(path);
        PaintNow();
    }
    AnnounceSelectionChange(tree_, row);
}

void VirtualListBox::RedrawRows() {
    gtk_widget_queue_draw(GTK_WIDGET(tree_));
    PaintNow();
    AnnounceSelectionChange(tree_, -1);
}

void VirtualListBox::PaintNow() {
    // A screen reader asks about every change it is told of, and the main
    // loop answers such questions before it lays out and paints: laid out
    // (the scroll bar's slider too), drawn and sent first, a key's change
    // shows before the reader has its answers.
    GdkWindow* rows = gtk_tree_view_get_bin_window(tree_);
    if (rows != nullptr && gtk_widget_get_mapped(GTK_WIDGET(tree_))) {
        GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(tree_));
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
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(tree_, &path, nullptr);
    if (path == nullptr) {
        return -1;
    }
    int depth = 0;
    const int* indices = gtk_tree_path_get_indices_with_depth(path, &depth);
    const int row = depth > 0 ? indices[0] : -1;
    gtk_tree_path_free(path);
    return row;
}

void VirtualListBox::SetCaret(int row) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    ScrollIntoView(path);
    gtk_tree_view_set_cursor(tree_, path, nullptr, FALSE);
    gtk_tree_path_free(path);
    PaintNow();
}

void VirtualListBox::ScrollIntoView(GtkTreePath* path) {
    // Left to the cursor, GTK would glide to the row over several frames.
    if (!gtk_widget_get_realized(GTK_WIDGET(tree_))) {
        return;
    }
    GdkRectangle area;
    gtk_tree_view_get_background_area(tree_, path, column_, &area);
    GdkRectangle visible;
    gtk_tree_view_get_visible_rect(tree_, &visible);
    int top = 0;
    gtk_tree_view_convert_bin_window_to_tree_coords(tree_, 0, area.y, nullptr, &top);
    GtkAdjustment* scroll = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(tree_));
    if (top < visible.y) {
        gtk_adjustment_set_value(scroll, top);
    } else if (top + area.height > visible.y + visible.height) {
        gtk_adjustment_set_value(scroll, top + area.height - visible.height);
    }
}

int VirtualListBox::RowsPerPage() const {
    GdkRectangle visible;
    gtk_tree_view_get_visible_rect(tree_, &visible);
    GdkRectangle row;
    GtkTreePath* first = gtk_tree_path_new_first();
    gtk_tree_view_get_background_area(tree_, first, column_, &row);
    gtk_tree_path_free(first);
    return row.height > 0 ? visible.height / row.height : 1;
}

int VirtualListBox::RowAt(const GdkEventButton& click) const {
    if (click.window != gtk_tree_view_get_bin_window(tree_)) {
        return -1;
    }
    GtkTreePath* path = nullptr;
    if (!gtk_tree_view_get_path_at_pos(tree_, static_cast<gint>(click.x),
                                       static_cast<gint>(click.y), &path, nullptr, nullptr,
                                       nullptr)) {
        return -1;
    }
    const int row = gtk_tree_path_get_indices(path)[0];
    gtk_tree_path_free(path);
    return row < rowCount_ ? row : -1;
}

GtkWidget* VirtualListBox::GetConnectWidget() {
    return GTK_WIDGET(tree_);
}

GdkWindow* VirtualListBox::GTKGetWindow(wxArrayGdkWindows&) const {
    return gtk_tree_view_get_bin_window(tree_);
}

void VirtualListBox::DoApplyWidgetStyle(GtkRcStyle* style) {
    GTKApplyStyle(GTK_WIDGET(tree_), style);
    widths_.Forget();
}
