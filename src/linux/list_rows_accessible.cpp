#include "linux/list_rows_accessible.h"

#include <gtk/gtk-a11y.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "linux/list_rows_view.h"
#include "list/row_selection.h"

namespace {

// A row as assistive technology reads it: by its spoken name alone, with no
// text of its own, for a screen reader would read that instead.
struct RowCell {
    AtkObject parent;
    // -1 once the rows it stood for are gone.
    int row;
    // The last name asked for, kept for the caller.
    gchar* name;
};

struct RowCellClass {
    AtkObjectClass parent;
};

void InitCellComponent(AtkComponentIface* iface);

G_DEFINE_TYPE_WITH_CODE(RowCell, row_cell, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, InitCellComponent))

struct ListAccessible {
    GtkWidgetAccessible parent;
    // The cells made, by row.
    std::unordered_map<int, RowCell*>* cells;
};

struct ListAccessibleClass {
    GtkWidgetAccessibleClass parent;
};

void InitTable(AtkTableIface* iface);
void InitSelection(AtkSelectionIface* iface);

G_DEFINE_TYPE_WITH_CODE(ListAccessible, list_accessible, GTK_TYPE_WIDGET_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TABLE, InitTable)
                            G_IMPLEMENT_INTERFACE(ATK_TYPE_SELECTION, InitSelection))

// Nothing once the view is gone: assistive technology may hold on to its
// accessible longer.
GtkWidget* ViewOf(gpointer accessible) {
    return gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible));
}

int RowCount(gpointer accessible) {
    GtkWidget* view = ViewOf(accessible);
    return view != nullptr ? SourceOf(view).RowCount() : 0;
}

GtkWidget* ViewOfCell(RowCell* cell) {
    AtkObject* table = atk_object_get_parent(ATK_OBJECT(cell));
    return cell->row >= 0 && table != nullptr ? ViewOf(table) : nullptr;
}

RowCell* CellAt(gpointer accessible, int row) {
    if (row < 0 || row >= RowCount(accessible)) {
        return nullptr;
    }
    auto& cells = *reinterpret_cast<ListAccessible*>(accessible)->cells;
    RowCell*& cell = cells[row];
    if (cell == nullptr) {
        cell = static_cast<RowCell*>(g_object_new(row_cell_get_type(), nullptr));
        cell->row = row;
        atk_object_set_parent(ATK_OBJECT(cell), ATK_OBJECT(accessible));
        ATK_OBJECT(cell)->role = ATK_ROLE_TABLE_CELL;
    }
    return cell;
}

AtkObject* RefCell(gpointer accessible, int row) {
    RowCell* cell = CellAt(accessible, row);
    return cell != nullptr ? ATK_OBJECT(g_object_ref(cell)) : nullptr;
}

void Forget(ListAccessible* accessible) {
    for (auto& [row, cell] : *accessible->cells) {
        cell->row = -1;
        g_object_unref(cell);
    }
    accessible->cells->clear();
}

const gchar* CellName(AtkObject* object) {
    auto* cell = reinterpret_cast<RowCell*>(object);
    GtkWidget* view = ViewOfCell(cell);
    if (view == nullptr) {
        return nullptr;
    }
    g_free(cell->name);
    cell->name = g_strdup(SourceOf(view).SpokenName(cell->row).c_str());
    return cell->name;
}

gint CellIndex(AtkObject* object) {
    return reinterpret_cast<RowCell*>(object)->row;
}

AtkStateSet* CellStates(AtkObject* object) {
    auto* cell = reinterpret_cast<RowCell*>(object);
    AtkStateSet* states = atk_state_set_new();
    GtkWidget* view = ViewOfCell(cell);
    if (view == nullptr) {
        atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
        return states;
    }
    for (const AtkStateType state :
         {ATK_STATE_ENABLED, ATK_STATE_SENSITIVE, ATK_STATE_VISIBLE, ATK_STATE_SELECTABLE,
          ATK_STATE_FOCUSABLE, ATK_STATE_TRANSIENT}) {
        atk_state_set_add_state(states, state);
    }
    GdkRectangle area;
    if (gtk_widget_get_mapped(view) && RowArea(view, cell->row, area)) {
        atk_state_set_add_state(states, ATK_STATE_SHOWING);
    }
    if (SelectionOf(view).IsSelected(cell->row)) {
        atk_state_set_add_state(states, ATK_STATE_SELECTED);
    }
    if (gtk_widget_has_focus(view) && CaretRow(view) == cell->row) {
        atk_state_set_add_state(states, ATK_STATE_FOCUSED);
    }
    return states;
}

void CellFinalize(GObject* object) {
    g_free(reinterpret_cast<RowCell*>(object)->name);
    G_OBJECT_CLASS(row_cell_parent_class)->finalize(object);
}

void row_cell_class_init(RowCellClass* type) {
    AtkObjectClass* object = ATK_OBJECT_CLASS(type);
    object->get_name = CellName;
    object->get_index_in_parent = CellIndex;
    object->ref_state_set = CellStates;
    G_OBJECT_CLASS(type)->finalize = CellFinalize;
}

void row_cell_init(RowCell* cell) {
    cell->row = -1;
}

void CellExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                 AtkCoordType coordinates) {
    *x = *y = *width = *height = -1;
    auto* cell = reinterpret_cast<RowCell*>(component);
    GtkWidget* view = ViewOfCell(cell);
    GdkRectangle area;
    if (view == nullptr || !gtk_widget_get_realized(view) || !RowArea(view, cell->row, area)) {
        return;
    }
    int left = 0;
    int top = 0;
    if (coordinates == ATK_XY_WINDOW) {
        gtk_widget_translate_coordinates(view, gtk_widget_get_toplevel(view), 0, 0, &left, &top);
    } else {
        gdk_window_get_origin(gtk_widget_get_window(view), &left, &top);
    }
    *x = left + area.x;
    *y = top + area.y;
    *width = area.width;
    *height = area.height;
}

void InitCellComponent(AtkComponentIface* iface) {
    iface->get_extents = CellExtents;
}

void ListInitialize(AtkObject* accessible, gpointer widget) {
    ATK_OBJECT_CLASS(list_accessible_parent_class)->initialize(accessible, widget);
    accessible->role = ATK_ROLE_TABLE;
    KeepAccessible(GTK_WIDGET(widget), accessible);
}

gint ChildCount(AtkObject* accessible) {
    return RowCount(accessible);
}

AtkObject* RefChild(AtkObject* accessible, gint child) {
    return RefCell(accessible, child);
}

AtkStateSet* ListStates(AtkObject* accessible) {
    AtkStateSet* states = ATK_OBJECT_CLASS(list_accessible_parent_class)->ref_state_set(accessible);
    // Assistive technology then asks for the rows it reads, never for all.
    atk_state_set_add_state(states, ATK_STATE_MANAGES_DESCENDANTS);
    atk_state_set_add_state(states, ATK_STATE_MULTISELECTABLE);
    return states;
}

void ListFinalize(GObject* object) {
    auto* accessible = reinterpret_cast<ListAccessible*>(object);
    Forget(accessible);
    delete accessible->cells;
    G_OBJECT_CLASS(list_accessible_parent_class)->finalize(object);
}

// Told when the view goes: its rows go with it.
void WidgetUnset(GtkAccessible* accessible) {
    Forget(reinterpret_cast<ListAccessible*>(accessible));
    if (GtkWidget* view = gtk_accessible_get_widget(accessible)) {
        KeepAccessible(view, nullptr);
    }
    if (auto unset = GTK_ACCESSIBLE_CLASS(list_accessible_parent_class)->widget_unset) {
        unset(accessible);
    }
}

void list_accessible_class_init(ListAccessibleClass* type) {
    AtkObjectClass* object = ATK_OBJECT_CLASS(type);
    object->initialize = ListInitialize;
    object->get_n_children = ChildCount;
    object->ref_child = RefChild;
    object->ref_state_set = ListStates;
    G_OBJECT_CLASS(type)->finalize = ListFinalize;
    GTK_ACCESSIBLE_CLASS(type)->widget_unset = WidgetUnset;
}

void list_accessible_init(ListAccessible* accessible) {
    accessible->cells = new std::unordered_map<int, RowCell*>();
}

// A change asked for by assistive technology, drawn and announced as one
// made by the player.
gboolean SetRowSelected(gpointer accessible, int row, bool selected) {
    GtkWidget* view = ViewOf(accessible);
    if (view == nullptr || row < 0 || row >= RowCount(accessible)) {
        return FALSE;
    }
    RowSelection& selection = SelectionOf(view);
    if (selection.IsSelected(row) != selected) {
        selection.Toggle(row);
        RedrawRowsOf(view, row);
        AnnounceSelectionChange(view, row);
    }
    return TRUE;
}

gboolean SelectAllOrNone(gpointer accessible, bool all) {
    GtkWidget* view = ViewOf(accessible);
    if (view == nullptr) {
        return FALSE;
    }
    if (all) {
        SelectionOf(view).SelectAll();
    } else {
        SelectionOf(view).Clear();
    }
    RedrawRowsOf(view, -1);
    AnnounceSelectionChange(view, -1);
    return TRUE;
}

bool IsSelected(gpointer accessible, int row) {
    GtkWidget* view = ViewOf(accessible);
    return view != nullptr && row >= 0 && row < RowCount(accessible) &&
           SelectionOf(view).IsSelected(row);
}

AtkObject* TableRefAt(AtkTable* table, gint row, gint column) {
    return column == 0 ? RefCell(table, row) : nullptr;
}

gint IndexAt(AtkTable* table, gint row, gint column) {
    return column == 0 && row >= 0 && row < RowCount(table) ? row : -1;
}

gint ColumnAtIndex(AtkTable* table, gint index) {
    return index >= 0 && index < RowCount(table) ? 0 : -1;
}

gint RowAtIndex(AtkTable* table, gint index) {
    return index >= 0 && index < RowCount(table) ? index : -1;
}

gint TableColumns(AtkTable*) {
    return 1;
}

gint TableRows(AtkTable* table) {
    return RowCount(table);
}

gboolean IsRowSelected(AtkTable* table, gint row) {
    return IsSelected(table, row);
}

gboolean IsCellSelected(AtkTable* table, gint row, gint column) {
    return column == 0 && IsSelected(table, row);
}

gint SelectedRows(AtkTable* table, gint** rows) {
    GtkWidget* view = ViewOf(table);
    const std::vector<int> selected =
        view != nullptr ? SelectionOf(view).Indices() : std::vector<int>();
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
    iface->ref_at = TableRefAt;
    iface->get_index_at = IndexAt;
    iface->get_column_at_index = ColumnAtIndex;
    iface->get_row_at_index = RowAtIndex;
    iface->get_n_columns = TableColumns;
    iface->get_n_rows = TableRows;
    iface->is_row_selected = IsRowSelected;
    iface->is_selected = IsCellSelected;
    iface->get_selected_rows = SelectedRows;
    iface->add_row_selection = AddRowSelection;
    iface->remove_row_selection = RemoveRowSelection;
}

gboolean AddSelection(AtkSelection* accessible, gint child) {
    return SetRowSelected(accessible, child, true);
}

// The other index into the selection counts selected rows, not children.
gboolean RemoveSelection(AtkSelection* accessible, gint nth) {
    GtkWidget* view = ViewOf(accessible);
    return view != nullptr && SetRowSelected(accessible, SelectionOf(view).NthSelected(nth), false);
}

gboolean SelectAll(AtkSelection* accessible) {
    return SelectAllOrNone(accessible, true);
}

gboolean ClearSelection(AtkSelection* accessible) {
    return SelectAllOrNone(accessible, false);
}

AtkObject* RefSelection(AtkSelection* accessible, gint nth) {
    GtkWidget* view = ViewOf(accessible);
    return view != nullptr ? RefCell(accessible, SelectionOf(view).NthSelected(nth)) : nullptr;
}

gint SelectionCount(AtkSelection* accessible) {
    GtkWidget* view = ViewOf(accessible);
    return view != nullptr ? SelectionOf(view).Count() : 0;
}

gboolean IsChildSelected(AtkSelection* accessible, gint child) {
    return IsSelected(accessible, child);
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

void AnnounceCaret(GtkWidget* view) {
    AtkObject* accessible = AccessibleIfMade(view);
    const int caret = CaretRow(view);
    if (accessible == nullptr || caret < 0 || !gtk_widget_has_focus(view)) {
        return;
    }
    if (RowCell* cell = CellAt(accessible, caret)) {
        atk_object_notify_state_change(ATK_OBJECT(cell), ATK_STATE_FOCUSED, TRUE);
        g_signal_emit_by_name(accessible, "active-descendant-changed", cell);
    }
}

gboolean AnnounceCaretOnce(gpointer view) {
    AnnounceCaret(GTK_WIDGET(view));
    return G_SOURCE_REMOVE;
}

}  // namespace

GType ListRowsAccessibleType() {
    return list_accessible_get_type();
}

void AnnounceSelectionChange(GtkWidget* view, int row) {
    AtkObject* accessible = AccessibleIfMade(view);
    if (accessible == nullptr) {
        return;
    }
    const auto announce = [&](int at) {
        if (RowCell* cell = CellAt(accessible, at)) {
            atk_object_notify_state_change(ATK_OBJECT(cell), ATK_STATE_SELECTED,
                                           SelectionOf(view).IsSelected(at));
        }
    };
    int first = row;
    int last = row;
    // For any row, only those in sight: a screen reader asks about the others
    // when it comes to them.
    if (row >= 0 || RowsInSight(view, first, last)) {
        for (int at = first; at <= last; ++at) {
            announce(at);
        }
    }
    g_signal_emit_by_name(accessible, "selection-changed");
    if (row < 0) {
        AnnounceCaret(view);
    }
}

void AnnounceCaretMove(GtkWidget* view, int before) {
    AtkObject* accessible = AccessibleIfMade(view);
    if (accessible == nullptr || before == CaretRow(view)) {
        return;
    }
    auto& cells = *reinterpret_cast<ListAccessible*>(accessible)->cells;
    if (const auto old = cells.find(before); old != cells.end()) {
        atk_object_notify_state_change(ATK_OBJECT(old->second), ATK_STATE_FOCUSED, FALSE);
    }
    AnnounceCaret(view);
}

void AnnounceCaretSoon(GtkWidget* view) {
    g_idle_add_full(G_PRIORITY_LOW, AnnounceCaretOnce, g_object_ref(view), g_object_unref);
}

void AnnounceNewRows(GtkWidget* view) {
    AtkObject* accessible = AccessibleIfMade(view);
    if (accessible == nullptr) {
        return;
    }
    Forget(reinterpret_cast<ListAccessible*>(accessible));
    g_signal_emit_by_name(accessible, "model-changed");
    g_signal_emit_by_name(accessible, "visible-data-changed");
}
