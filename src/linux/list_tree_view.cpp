#include "linux/list_tree_view.h"

#include <gtk/gtk-a11y.h>

#include <algorithm>
#include <string>
#include <vector>

#include "list/row_selection.h"

namespace {

struct ListTreeView {
    GtkTreeView parent;
    RowSelection* selection;
    const RowNames* names;
    // Made by GTK when something first asks; it lives as long as the view.
    AtkObject* accessible;
};

struct ListTreeViewClass {
    GtkTreeViewClass parent;
};

struct ListAccessible {
    GtkTreeViewAccessible parent;
};

struct ListAccessibleClass {
    GtkTreeViewAccessibleClass parent;
};

void InitTable(AtkTableIface* iface);
void InitSelection(AtkSelectionIface* iface);
void InitCellParent(GtkCellAccessibleParentIface* iface);

G_DEFINE_TYPE_WITH_CODE(ListAccessible, list_accessible, GTK_TYPE_TREE_VIEW_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TABLE, InitTable)
                            G_IMPLEMENT_INTERFACE(ATK_TYPE_SELECTION, InitSelection)
                                G_IMPLEMENT_INTERFACE(GTK_TYPE_CELL_ACCESSIBLE_PARENT,
                                                      InitCellParent))

G_DEFINE_TYPE(ListTreeView, list_tree_view, GTK_TYPE_TREE_VIEW)

// A cell as assistive technology reads it: by its row's spoken name alone,
// with no text of its own, for a screen reader would read that instead.
struct RowCellAccessible {
    GtkRendererCellAccessible parent;
    // The last name asked for, kept for the caller.
    gchar* name;
};

struct RowCellAccessibleClass {
    GtkRendererCellAccessibleClass parent;
};

G_DEFINE_TYPE(RowCellAccessible, row_cell_accessible, GTK_TYPE_RENDERER_CELL_ACCESSIBLE)

struct RowRenderer {
    GtkCellRendererText parent;
};

struct RowRendererClass {
    GtkCellRendererTextClass parent;
};

G_DEFINE_TYPE(RowRenderer, row_renderer, GTK_TYPE_CELL_RENDERER_TEXT)

ListTreeView* ViewOf(gpointer accessible) {
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible));
    return widget != nullptr ? reinterpret_cast<ListTreeView*>(widget) : nullptr;
}

// Nothing once the view is gone: an assistive technology may hold on to
// its accessible longer.
RowSelection* SelectionOf(gpointer accessible) {
    ListTreeView* view = ViewOf(accessible);
    return view != nullptr ? view->selection : nullptr;
}

// A change asked for by assistive technology, drawn and announced as one
// made by the player.
gboolean SetRowSelected(gpointer accessible, int row, bool selected) {
    RowSelection* selection = SelectionOf(accessible);
    if (selection == nullptr || row < 0 || row >= atk_table_get_n_rows(ATK_TABLE(accessible))) {
        return FALSE;
    }
    if (selection->IsSelected(row) != selected) {
        selection->Toggle(row);
        GtkTreeView* view = &ViewOf(accessible)->parent;
        gtk_widget_queue_draw(GTK_WIDGET(view));
        AnnounceSelectionChange(view, row);
    }
    return TRUE;
}

int RowOfChild(gpointer accessible, int child) {
    // The view's own answer: its first children are the column headers.
    return ATK_TABLE_GET_IFACE(accessible)->get_row_at_index(ATK_TABLE(accessible), child);
}

// The caret's row, -1 for none.
int CaretOf(GtkTreeView* view) {
    GtkTreePath* caret = nullptr;
    gtk_tree_view_get_cursor(view, &caret, nullptr);
    const int row = caret != nullptr ? gtk_tree_path_get_indices(caret)[0] : -1;
    gtk_tree_path_free(caret);
    return row;
}

const gchar* RowCellName(AtkObject* accessible) {
    auto* cell = reinterpret_cast<RowCellAccessible*>(accessible);
    AtkObject* parent = atk_object_get_parent(accessible);
    ListTreeView* view = parent != nullptr ? ViewOf(parent) : nullptr;
    int row = -1;
    int column = -1;
    if (view != nullptr) {
        gtk_cell_accessible_parent_get_cell_position(
            GTK_CELL_ACCESSIBLE_PARENT(parent), GTK_CELL_ACCESSIBLE(accessible), &row, &column);
    }
    if (row < 0) {
        return ATK_OBJECT_CLASS(row_cell_accessible_parent_class)->get_name(accessible);
    }
    g_free(cell->name);
    cell->name = g_strdup(view->names->SpokenName(row).c_str());
    return cell->name;
}

void RowCellFinalize(GObject* object) {
    g_free(reinterpret_cast<RowCellAccessible*>(object)->name);
    G_OBJECT_CLASS(row_cell_accessible_parent_class)->finalize(object);
}

void row_cell_accessible_class_init(RowCellAccessibleClass* type) {
    ATK_OBJECT_CLASS(type)->get_name = RowCellName;
    G_OBJECT_CLASS(type)->finalize = RowCellFinalize;
}

void row_cell_accessible_init(RowCellAccessible*) {}

void row_renderer_class_init(RowRendererClass* type) {
    gtk_cell_renderer_class_set_accessible_type(GTK_CELL_RENDERER_CLASS(type),
                                                row_cell_accessible_get_type());
}

void row_renderer_init(RowRenderer*) {}

void list_accessible_initialize(AtkObject* accessible, gpointer widget) {
    ATK_OBJECT_CLASS(list_accessible_parent_class)->initialize(accessible, widget);
    reinterpret_cast<ListTreeView*>(widget)->accessible = accessible;
}

void list_accessible_class_init(ListAccessibleClass* type) {
    ATK_OBJECT_CLASS(type)->initialize = list_accessible_initialize;
}

void list_accessible_init(ListAccessible*) {}

gboolean IsRowSelected(AtkTable* table, gint row) {
    const RowSelection* selection = SelectionOf(table);
    return selection != nullptr && selection->IsSelected(row);
}

gint SelectedRows(AtkTable* table, gint** rows) {
    const RowSelection* selection = SelectionOf(table);
    const std::vector<int> selected =
        selection != nullptr ? selection->Indices() : std::vector<int>();
    if (rows != nullptr) {
        *rows = selected.empty() ? nullptr : g_new(gint, selected.size());
        std::copy(selected.begin(), selected.end(), *rows);
    }
    return static_cast<gint>(selected.size());
}

gboolean AddRowSelection(AtkTable* table, gint row) {
    return SetRowSelected(table, row, true);
}

gboolean RemoveRowSelection(AtkTable* table, gint row) {
    return SetRowSelected(table, row, false);
}

void InitTable(AtkTableIface* iface) {
    iface->is_row_selected = IsRowSelected;
    iface->get_selected_rows = SelectedRows;
    iface->add_row_selection = AddRowSelection;
    iface->remove_row_selection = RemoveRowSelection;
}

gboolean AddSelection(AtkSelection* accessible, gint child) {
    return SetRowSelected(accessible, RowOfChild(accessible, child), true);
}

// The other index into the selection counts selected rows, not children.
gboolean RemoveSelection(AtkSelection* accessible, gint nth) {
    const RowSelection* selection = SelectionOf(accessible);
    return selection != nullptr && SetRowSelected(accessible, selection->NthSelected(nth), false);
}

gboolean SelectAllOrNone(AtkSelection* accessible, bool all) {
    RowSelection* selection = SelectionOf(accessible);
    if (selection == nullptr) {
        return FALSE;
    }
    if (all) {
        selection->SelectAll();
    } else {
        selection->Clear();
    }
    GtkTreeView* view = &ViewOf(accessible)->parent;
    gtk_widget_queue_draw(GTK_WIDGET(view));
    AnnounceSelectionChange(view, -1);
    return TRUE;
}

gboolean SelectAll(AtkSelection* accessible) {
    return SelectAllOrNone(accessible, true);
}

gboolean ClearSelection(AtkSelection* accessible) {
    return SelectAllOrNone(accessible, false);
}

AtkObject* RefSelection(AtkSelection* accessible, gint nth) {
    const RowSelection* selection = SelectionOf(accessible);
    const int row = selection != nullptr ? selection->NthSelected(nth) : -1;
    return row >= 0 ? atk_table_ref_at(ATK_TABLE(accessible), row, 0) : nullptr;
}

gint SelectionCount(AtkSelection* accessible) {
    const RowSelection* selection = SelectionOf(accessible);
    return selection != nullptr ? selection->Count() : 0;
}

gboolean IsChildSelected(AtkSelection* accessible, gint child) {
    const RowSelection* selection = SelectionOf(accessible);
    return selection != nullptr && selection->IsSelected(RowOfChild(accessible, child));
}

void InitSelection(AtkSelectionIface* iface) {
    iface->add_selection = AddSelection;
    iface->remove_selection = RemoveSelection;
    iface->clear_selection = ClearSelection;
    iface->select_all_selection = SelectAll;
    iface->ref_selection = RefSelection;
    iface->get_selection_count = SelectionCount;
    iface->is_child_selected = IsChildSelected;
}

// A cell's states as GTK gives them, but selected as the list's selection
// says, and focused on the caret's row alone: GTK would call every row of
// the caret's column focused.
GtkCellRendererState RendererState(GtkCellAccessibleParent* accessible, GtkCellAccessible* cell) {
    const auto* own = static_cast<GtkCellAccessibleParentIface*>(
        g_type_interface_peek_parent(GTK_CELL_ACCESSIBLE_PARENT_GET_IFACE(accessible)));
    auto state = static_cast<unsigned>(own->get_renderer_state(accessible, cell));
    int row = -1;
    int column = -1;
    gtk_cell_accessible_parent_get_cell_position(accessible, cell, &row, &column);
    state &= ~static_cast<unsigned>(GTK_CELL_RENDERER_SELECTED | GTK_CELL_RENDERER_FOCUSED);
    const RowSelection* selection = SelectionOf(accessible);
    if (selection != nullptr && selection->IsSelected(row)) {
        state |= GTK_CELL_RENDERER_SELECTED;
    }
    ListTreeView* view = ViewOf(accessible);
    if (view != nullptr && gtk_widget_has_focus(GTK_WIDGET(view)) &&
        CaretOf(&view->parent) == row) {
        state |= GTK_CELL_RENDERER_FOCUSED;
    }
    return static_cast<GtkCellRendererState>(state);
}

void InitCellParent(GtkCellAccessibleParentIface* iface) {
    iface->get_renderer_state = RendererState;
}

gboolean StartNoSearch(GtkTreeView*) {
    return FALSE;
}

// The focused row as assistive technology learns it: the caret's.
void AnnounceCaret(ListTreeView* view) {
    const int caret = CaretOf(&view->parent);
    if (view->accessible == nullptr || caret < 0 || !gtk_widget_has_focus(GTK_WIDGET(view))) {
        return;
    }
    if (AtkObject* cell = atk_table_ref_at(ATK_TABLE(view->accessible), caret, 0)) {
        g_signal_emit_by_name(view->accessible, "active-descendant-changed", cell);
        g_object_unref(cell);
    }
}

gboolean AnnounceCaretOnce(gpointer view) {
    AnnounceCaret(static_cast<ListTreeView*>(view));
    return G_SOURCE_REMOVE;
}

// Once the view's own focus event is out: a screen reader takes the last
// it hears for the focus.
gboolean FocusIn(GtkWidget* widget, GdkEventFocus* event) {
    g_idle_add_full(G_PRIORITY_LOW, AnnounceCaretOnce, g_object_ref(widget), g_object_unref);
    return GTK_WIDGET_CLASS(list_tree_view_parent_class)->focus_in_event(widget, event);
}

void list_tree_view_class_init(ListTreeViewClass* type) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(type), list_accessible_get_type());
    GTK_WIDGET_CLASS(type)->focus_in_event = FocusIn;
    GTK_TREE_VIEW_CLASS(type)->start_interactive_search = StartNoSearch;
}

void list_tree_view_init(ListTreeView*) {}

}  // namespace

GtkWidget* NewListTreeView(RowSelection& selection, const RowNames& names) {
    auto* view = static_cast<ListTreeView*>(g_object_new(list_tree_view_get_type(), nullptr));
    view->selection = &selection;
    view->names = &names;
    return GTK_WIDGET(view);
}

GtkCellRenderer* NewRowRenderer() {
    return GTK_CELL_RENDERER(g_object_new(row_renderer_get_type(), nullptr));
}

void AnnounceSelectionChange(GtkTreeView* tree, int row) {
    auto* view = reinterpret_cast<ListTreeView*>(tree);
    AtkObject* accessible = view->accessible;
    if (accessible == nullptr) {
        return;
    }
    const auto announce = [&](int at) {
        if (AtkObject* cell = atk_table_ref_at(ATK_TABLE(accessible), at, 0)) {
            atk_object_notify_state_change(cell, ATK_STATE_SELECTED,
                                           view->selection->IsSelected(at));
            g_object_unref(cell);
        }
    };
    if (row >= 0) {
        announce(row);
    } else {
        // Only the rows in sight: a screen reader asks the others when it
        // comes to them.
        GtkTreePath* first = nullptr;
        GtkTreePath* last = nullptr;
        if (gtk_tree_view_get_visible_range(tree, &first, &last)) {
            const int end = gtk_tree_path_get_indices(last)[0];
            for (int at = gtk_tree_path_get_indices(first)[0]; at <= end; ++at) {
                announce(at);
            }
            gtk_tree_path_free(first);
            gtk_tree_path_free(last);
        }
    }
    g_signal_emit_by_name(accessible, "selection-changed");
    if (row < 0) {
        AnnounceCaret(view);
    }
}
