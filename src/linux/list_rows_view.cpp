#include "linux/list_rows_view.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "linux/list_rows_accessible.h"
#include "list/row_selection.h"

namespace {

enum Property { kHAdjustment = 1, kVAdjustment, kHScrollPolicy, kVScrollPolicy };

// Space around a row's text, in pixels, as a text cell of a tree view has.
constexpr int kPadX = 4;
constexpr int kPadY = 3;

struct ListRowsView {
    GtkWidget parent;
    const RowSource* rows;
    RowSelection* selection;
    // Horizontal and vertical.
    GtkAdjustment* adjustments[2];
    GtkScrollablePolicy policies[2];
    int count;
    int caret;
    int columnWidth;
    // 0 until measured in the current font.
    int rowHeight;
    AtkObject* accessible;
};

struct ListRowsViewClass {
    GtkWidgetClass parent;
};

G_DEFINE_TYPE_WITH_CODE(ListRowsView, list_rows_view, GTK_TYPE_WIDGET,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_SCROLLABLE, nullptr))

ListRowsView* Of(GtkWidget* widget) {
    return reinterpret_cast<ListRowsView*>(widget);
}

int RowHeight(ListRowsView* view) {
    if (view->rowHeight == 0) {
        PangoLayout* layout = gtk_widget_create_pango_layout(GTK_WIDGET(view), "Ég");
        int height = 0;
        pango_layout_get_pixel_size(layout, nullptr, &height);
        g_object_unref(layout);
        view->rowHeight = std::max(1, height + 2 * kPadY);
    }
    return view->rowHeight;
}

double Offset(ListRowsView* view, int axis) {
    return view->adjustments[axis] != nullptr ? gtk_adjustment_get_value(view->adjustments[axis])
                                              : 0;
}

// The scroll ranges as the rows and the allocation now are.
void Configure(ListRowsView* view) {
    GtkAllocation area;
    gtk_widget_get_allocation(GTK_WIDGET(view), &area);
    const double sizes[2] = {static_cast<double>(view->columnWidth),
                             static_cast<double>(view->count) * RowHeight(view)};
    const double pages[2] = {static_cast<double>(std::max(area.width, 0)),
                             static_cast<double>(std::max(area.height, 0))};
    const double step = RowHeight(view);
    for (int axis = 0; axis < 2; ++axis) {
        if (GtkAdjustment* adjustment = view->adjustments[axis]) {
            const double upper = std::max(sizes[axis], pages[axis]);
            const double value = std::clamp(Offset(view, axis), 0.0, upper - pages[axis]);
            gtk_adjustment_configure(adjustment, value, 0, upper, step, pages[axis] * 0.9,
                                     pages[axis]);
        }
    }
}

void OnScrolled(GtkAdjustment*, gpointer view) {
    gtk_widget_queue_draw(GTK_WIDGET(view));
}

void SetAdjustment(ListRowsView* view, int axis, GtkAdjustment* adjustment) {
    if (adjustment == nullptr) {
        adjustment = gtk_adjustment_new(0, 0, 0, 0, 0, 0);
    }
    if (view->adjustments[axis] == adjustment) {
        return;
    }
    if (view->adjustments[axis] != nullptr) {
        g_signal_handlers_disconnect_by_data(view->adjustments[axis], view);
        g_object_unref(view->adjustments[axis]);
    }
    view->adjustments[axis] = GTK_ADJUSTMENT(g_object_ref_sink(adjustment));
    g_signal_connect(adjustment, "value-changed", G_CALLBACK(OnScrolled), view);
    Configure(view);
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec) {
    ListRowsView* view = Of(GTK_WIDGET(object));
    switch (id) {
        case kHAdjustment:
        case kVAdjustment:
            SetAdjustment(view, id == kHAdjustment ? 0 : 1,
                          GTK_ADJUSTMENT(g_value_get_object(value)));
            break;
        case kHScrollPolicy:
        case kVScrollPolicy:
            view->policies[id == kHScrollPolicy ? 0 : 1] =
                static_cast<GtkScrollablePolicy>(g_value_get_enum(value));
            gtk_widget_queue_resize(GTK_WIDGET(view));
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* spec) {
    ListRowsView* view = Of(GTK_WIDGET(object));
    switch (id) {
        case kHAdjustment:
        case kVAdjustment:
            g_value_set_object(value, view->adjustments[id == kHAdjustment ? 0 : 1]);
            break;
        case kHScrollPolicy:
        case kVScrollPolicy:
            g_value_set_enum(value, view->policies[id == kHScrollPolicy ? 0 : 1]);
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void Dispose(GObject* object) {
    ListRowsView* view = Of(GTK_WIDGET(object));
    for (GtkAdjustment*& adjustment : view->adjustments) {
        if (adjustment != nullptr) {
            g_signal_handlers_disconnect_by_data(adjustment, view);
            g_clear_object(&adjustment);
        }
    }
    G_OBJECT_CLASS(list_rows_view_parent_class)->dispose(object);
}

void Realize(GtkWidget* widget) {
    GtkAllocation area;
    gtk_widget_get_allocation(widget, &area);
    gtk_widget_set_realized(widget, TRUE);
    GdkWindowAttr attributes{};
    attributes.window_type = GDK_WINDOW_CHILD;
    attributes.x = area.x;
    attributes.y = area.y;
    attributes.width = area.width;
    attributes.height = area.height;
    attributes.wclass = GDK_INPUT_OUTPUT;
    attributes.visual = gtk_widget_get_visual(widget);
    // Wheel events too, which the scrolled window around takes.
    attributes.event_mask = gtk_widget_get_events(widget) | GDK_EXPOSURE_MASK |
                            GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK |
                            GDK_SMOOTH_SCROLL_MASK | GDK_POINTER_MOTION_MASK;
    GdkWindow* window = gdk_window_new(gtk_widget_get_parent_window(widget), &attributes,
                                       GDK_WA_X | GDK_WA_Y | GDK_WA_VISUAL);
    gtk_widget_register_window(widget, window);
    gtk_widget_set_window(widget, window);
}

void SizeAllocate(GtkWidget* widget, GtkAllocation* area) {
    gtk_widget_set_allocation(widget, area);
    if (gtk_widget_get_realized(widget)) {
        gdk_window_move_resize(gtk_widget_get_window(widget), area->x, area->y, area->width,
                               area->height);
    }
    Configure(Of(widget));
}

// The scrolled window shows its scroll bars by these.
void PreferredWidth(GtkWidget* widget, gint* minimum, gint* natural) {
    *minimum = *natural = Of(widget)->columnWidth;
}

void PreferredHeight(GtkWidget* widget, gint* minimum, gint* natural) {
    ListRowsView* view = Of(widget);
    const double height = static_cast<double>(view->count) * RowHeight(view);
    *minimum = *natural = static_cast<gint>(std::min(height, static_cast<double>(INT_MAX / 2)));
}

void StyleUpdated(GtkWidget* widget) {
    GTK_WIDGET_CLASS(list_rows_view_parent_class)->style_updated(widget);
    Of(widget)->rowHeight = 0;
    gtk_widget_queue_resize(widget);
}

gboolean Draw(GtkWidget* widget, cairo_t* cr) {
    ListRowsView* view = Of(widget);
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    gtk_render_background(style, cr, 0, 0, width, height);
    int first = 0;
    int last = -1;
    if (!RowsInSight(widget, first, last)) {
        return FALSE;
    }
    const int rowHeight = RowHeight(view);
    const double left = -Offset(view, 0);
    const double rowWidth = std::max(width, view->columnWidth);
    const double top = Offset(view, 1);
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, nullptr);
    const auto state = gtk_widget_get_state_flags(widget);
    for (int row = first; row <= last; ++row) {
        const double y = static_cast<double>(row) * rowHeight - top;
        const std::string text = view->rows->DrawnText(row);
        pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
        gtk_style_context_save(style);
        if (view->selection->IsSelected(row)) {
            gtk_style_context_set_state(
                style, static_cast<GtkStateFlags>(state | GTK_STATE_FLAG_SELECTED));
            gtk_render_background(style, cr, left, y, rowWidth, rowHeight);
        }
        gtk_render_layout(style, cr, left + kPadX, y + kPadY, layout);
        if (row == view->caret && gtk_widget_has_visible_focus(widget)) {
            gtk_render_focus(style, cr, left, y, rowWidth, rowHeight);
        }
        gtk_style_context_restore(style);
    }
    g_object_unref(layout);
    return FALSE;
}

gboolean FocusIn(GtkWidget* widget, GdkEventFocus* event) {
    AnnounceCaretSoon(widget);
    gtk_widget_queue_draw(widget);
    return GTK_WIDGET_CLASS(list_rows_view_parent_class)->focus_in_event(widget, event);
}

gboolean FocusOut(GtkWidget* widget, GdkEventFocus* event) {
    gtk_widget_queue_draw(widget);
    return GTK_WIDGET_CLASS(list_rows_view_parent_class)->focus_out_event(widget, event);
}

void list_rows_view_class_init(ListRowsViewClass* type) {
    GObjectClass* object = G_OBJECT_CLASS(type);
    object->set_property = SetProperty;
    object->get_property = GetProperty;
    object->dispose = Dispose;
    g_object_class_override_property(object, kHAdjustment, "hadjustment");
    g_object_class_override_property(object, kVAdjustment, "vadjustment");
    g_object_class_override_property(object, kHScrollPolicy, "hscroll-policy");
    g_object_class_override_property(object, kVScrollPolicy, "vscroll-policy");
    GtkWidgetClass* widget = GTK_WIDGET_CLASS(type);
    widget->realize = Realize;
    widget->size_allocate = SizeAllocate;
    widget->get_preferred_width = PreferredWidth;
    widget->get_preferred_height = PreferredHeight;
    widget->style_updated = StyleUpdated;
    widget->draw = Draw;
    widget->focus_in_event = FocusIn;
    widget->focus_out_event = FocusOut;
    // Themed as a tree view's rows are, selected rows included.
    gtk_widget_class_set_css_name(widget, "treeview");
    gtk_widget_class_set_accessible_type(widget, ListRowsAccessibleType());
}

void list_rows_view_init(ListRowsView* view) {
    view->caret = -1;
    gtk_widget_set_can_focus(GTK_WIDGET(view), TRUE);
    gtk_widget_set_has_window(GTK_WIDGET(view), TRUE);
    gtk_style_context_add_class(gtk_widget_get_style_context(GTK_WIDGET(view)),
                                GTK_STYLE_CLASS_VIEW);
}

// Scrolls at once, as little as brings the row into sight.
void ScrollTo(ListRowsView* view, int row) {
    GtkAdjustment* scroll = view->adjustments[1];
    if (scroll == nullptr) {
        return;
    }
    const double top = static_cast<double>(row) * RowHeight(view);
    const double bottom = top + RowHeight(view);
    const double value = gtk_adjustment_get_value(scroll);
    const double page = gtk_adjustment_get_page_size(scroll);
    if (top < value) {
        gtk_adjustment_set_value(scroll, top);
    } else if (bottom > value + page) {
        gtk_adjustment_set_value(scroll, bottom - page);
    }
}

}  // namespace

GtkWidget* NewListRowsView(const RowSource& rows, RowSelection& selection) {
    auto* view = static_cast<ListRowsView*>(g_object_new(list_rows_view_get_type(), nullptr));
    view->rows = &rows;
    view->selection = &selection;
    return GTK_WIDGET(view);
}

void ShowNewRows(GtkWidget* widget, int columnWidth) {
    ListRowsView* view = Of(widget);
    view->count = view->rows->RowCount();
    view->columnWidth = columnWidth;
    view->caret = view->count > 0 ? 0 : -1;
    AnnounceNewRows(widget);
    for (GtkAdjustment* adjustment : view->adjustments) {
        if (adjustment != nullptr) {
            gtk_adjustment_set_value(adjustment, 0);
        }
    }
    Configure(view);
    gtk_widget_queue_resize(widget);
}

int CaretRow(GtkWidget* view) {
    return Of(view)->caret;
}

void PlaceCaret(GtkWidget* widget, int row) {
    ListRowsView* view = Of(widget);
    if (row < 0 || row >= view->count) {
        return;
    }
    const int before = view->caret;
    view->caret = row;
    ScrollTo(view, row);
    // -1 would ask for every row.
    if (before >= 0) {
        RedrawRowsOf(widget, before);
    }
    RedrawRowsOf(widget, row);
    AnnounceCaretMove(widget, before);
}

int RowAtHeight(GtkWidget* widget, double y) {
    ListRowsView* view = Of(widget);
    const double at = (y + Offset(view, 1)) / RowHeight(view);
    return at >= 0 && at < view->count ? static_cast<int>(at) : -1;
}

int WholeRowsInSight(GtkWidget* widget) {
    return std::max(1, gtk_widget_get_allocated_height(widget) / RowHeight(Of(widget)));
}

bool RowsInSight(GtkWidget* widget, int& first, int& last) {
    ListRowsView* view = Of(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    if (view->count == 0 || height <= 0) {
        return false;
    }
    const double top = Offset(view, 1);
    first = std::clamp(static_cast<int>(top / RowHeight(view)), 0, view->count - 1);
    last = std::clamp(static_cast<int>(std::ceil((top + height) / RowHeight(view))) - 1, first,
                      view->count - 1);
    return true;
}

bool RowArea(GtkWidget* widget, int row, GdkRectangle& area) {
    ListRowsView* view = Of(widget);
    int first = 0;
    int last = -1;
    if (!RowsInSight(widget, first, last) || row < first || row > last) {
        return false;
    }
    area.x = static_cast<int>(-Offset(view, 0));
    area.y =
        static_cast<int>(std::floor(row * static_cast<double>(RowHeight(view)) - Offset(view, 1)));
    area.width = std::max(gtk_widget_get_allocated_width(widget), view->columnWidth);
    area.height = RowHeight(view);
    return true;
}

void RedrawRowsOf(GtkWidget* widget, int row) {
    GdkWindow* window = gtk_widget_get_window(widget);
    if (window == nullptr || !gtk_widget_get_realized(widget)) {
        return;
    }
    GdkRectangle area;
    if (row < 0) {
        gdk_window_invalidate_rect(window, nullptr, FALSE);
    } else if (RowArea(widget, row, area)) {
        area.x = 0;
        gdk_window_invalidate_rect(window, &area, FALSE);
    }
}

const RowSource& SourceOf(GtkWidget* view) {
    return *Of(view)->rows;
}

RowSelection& SelectionOf(GtkWidget* view) {
    return *Of(view)->selection;
}

AtkObject* AccessibleIfMade(GtkWidget* view) {
    return Of(view)->accessible;
}

void KeepAccessible(GtkWidget* view, AtkObject* accessible) {
    Of(view)->accessible = accessible;
}
