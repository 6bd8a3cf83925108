#include "linux/toggle_list.h"

#include <wx/event.h>

#include <algorithm>
#include <cmath>

#include "linux/virtual_list_box.h"

ToggleListBehaviour::ToggleListBehaviour(VirtualListBox& list) : list_(list) {
    buttonHandler_ = g_signal_connect(list_.RowsView(), "button-press-event",
                                      G_CALLBACK(&ToggleListBehaviour::OnButton), this);
    list_.Bind(wxEVT_KEY_DOWN, &ToggleListBehaviour::OnKey, this);
}

ToggleListBehaviour::~ToggleListBehaviour() {
    // The list would otherwise call into this object after it is gone.
    g_signal_handler_disconnect(list_.RowsView(), buttonHandler_);
    list_.Unbind(wxEVT_KEY_DOWN, &ToggleListBehaviour::OnKey, this);
}

gboolean ToggleListBehaviour::OnButton(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto& behaviour = *static_cast<ToggleListBehaviour*>(self);
    behaviour.list_.SetFocus();
    // A double click arrives as two presses and then an event of its own;
    // a Win32 list box toggles on the first press alone.
    if (event->type == GDK_BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY &&
        !behaviour.IsSecondClick(*event)) {
        const int row = behaviour.list_.RowAt(*event);
        if (row >= 0) {
            behaviour.Toggle(row);
            behaviour.list_.SetCaret(row);
        }
    }
    // GTK's own handling would move the caret and start a drag.
    return TRUE;
}

bool ToggleListBehaviour::IsSecondClick(const GdkEventButton& press) {
    gint time = 0;
    gint distance = 0;
    g_object_get(gtk_widget_get_settings(list_.RowsView()), "gtk-double-click-time", &time,
                 "gtk-double-click-distance", &distance, nullptr);
    // A third click starts the next pair, as in Win32.
    const bool second = !lastWasSecond_ && press.time - lastTime_ <= static_cast<guint32>(time) &&
                        std::abs(press.x - lastX_) <= distance &&
                        std::abs(press.y - lastY_) <= distance;
    lastTime_ = press.time;
    lastX_ = press.x;
    lastY_ = press.y;
    lastWasSecond_ = second;
    return second;
}

void ToggleListBehaviour::OnKey(wxKeyEvent& event) {
    const int count = list_.Count();
    const int caret = list_.Caret();
    const int page = std::max(1, list_.RowsPerPage() - 1);
    switch (event.GetKeyCode()) {
        case WXK_UP:
        case WXK_NUMPAD_UP:
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            MoveCaret(caret - 1);
            return;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            MoveCaret(caret < 0 ? 0 : caret + 1);
            return;
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            MoveCaret(caret - page);
            return;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            MoveCaret(caret < 0 ? page : caret + page);
            return;
        case WXK_HOME:
        case WXK_NUMPAD_HOME:
            MoveCaret(0);
            return;
        case WXK_END:
        case WXK_NUMPAD_END:
            MoveCaret(count - 1);
            return;
        case WXK_SPACE:
            if (caret >= 0 && caret < count) {
                Toggle(caret);
            } else {
                MoveCaret(0);
            }
            return;
        case 'A':
        case '/':
            if (event.GetModifiers() == wxMOD_CONTROL) {
                list_.Selection().SelectAll();
                list_.RedrawRows();
                return;
            }
            if (event.GetModifiers() == (wxMOD_CONTROL | wxMOD_SHIFT)) {
                list_.Selection().Clear();
                list_.RedrawRows();
                return;
            }
            break;
        default:
            break;
    }
    event.Skip();
}

void ToggleListBehaviour::Toggle(int row) {
    list_.Selection().Toggle(row);
    list_.RedrawRow(row);
}

void ToggleListBehaviour::MoveCaret(int target) {
    if (list_.Count() > 0) {
        list_.SetCaret(std::clamp(target, 0, list_.Count() - 1));
    }
}
