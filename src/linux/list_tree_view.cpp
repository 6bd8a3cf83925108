#include "linux/list_tree_view.h"

#include <gtk/gtk-a11y.h>

#include <algorithm>
#include <vector>

#include "list/row_selection.h"

namespace {

struct ListTreeView {
    GtkTreeView parent;
    RowSelection* selection;
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
    if (view != nullptr && gtk_widget_has_focus(GTK_WIDGET(view))) {
        GtkTreePath* caret = nullptr;
        gtk_tree_view_get_cursor(&view->parent, &caret, nullptr);
        if (caret != nullptr && gtk_tree_path_get_indices(caret)[0] == row) {
            state |= GTK_CELL_RENDERER_FOCUSED;
        }
        gtk_tree_path_free(caret);
    }
    return static_cast<GtkCellRendererState>(state);
}

void InitCellParent(GtkCellAccessibleParentIface* iface) {
    iface->get_renderer_state = RendererState;
}

gboolean StartNoSearch(GtkTreeView*) {
    return FALSE;
}

void list_tree_view_class_init(ListTreeViewClass* type) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(type), list_accessible_get_type());
    GTK_TREE_VIEW_CLASS(type)->start_interactive_search = StartNoSearch;
}

void list_tree_view_init(ListTreeView*) {}

}  // namespace

GtkWidget* NewListTreeView(RowSelection& selection) {
    auto* view = static_cast<ListTreeView*>(g_object_new(list_tree_view_get_type(), nullptr));
    view->selection = &selection;
    return GTK_WIDGET(view);
}

void AnnounceSelectionChange(GtkTreeView* tree, int row) {
    const auto* view = reinterpret_cast<ListTreeView*>(tree);
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
}
