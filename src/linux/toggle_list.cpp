#include "linux/toggle_list.h"

#include <wx/event.h>

#include <algorithm>

#include "linux/virtual_list_box.h"

ToggleListBehaviour::ToggleListBehaviour(VirtualListBox& list) : list_(list) {
    buttonHandler_ = g_signal_connect(list_.TreeView(), "button-press-event",
                                      G_CALLBACK(&ToggleListBehaviour::OnButton), this);
    list_.Bind(wxEVT_KEY_DOWN, &ToggleListBehaviour::OnKey, this);
}

ToggleListBehaviour::~ToggleListBehaviour() {
    // The list would otherwise call into this object after it is gone.
    g_signal_handler_disconnect(list_.TreeView(), buttonHandler_);
    list_.Unbind(wxEVT_KEY_DOWN, &ToggleListBehaviour::OnKey, this);
}

gboolean ToggleListBehaviour::OnButton(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto& behaviour = *static_cast<ToggleListBehaviour*>(self);
    behaviour.list_.SetFocus();
    // A double click arrives as two presses and then a third event: each
    // press toggles, so the row ends as it was.
    if (event->type == GDK_BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY) {
        const int row = behaviour.list_.RowAt(*event);
        if (row >= 0) {
            behaviour.Toggle(row);
            behaviour.list_.SetCaret(row);
        }
    }
    // GTK's own handling would move the caret and start a drag.
    return TRUE;
}

void ToggleListBehaviour::OnKey(wxKeyEvent& event) {
    const int count = list_.Count();
    const int caret = list_.Caret();
    const int page = std::max(1, list_.RowsPerPage() - 1);
    switch (event.GetKeyCode()) {
        case WXK_UP:
        case WXK_NUMPAD_UP:
            MoveCaret(caret - 1);
            return;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
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
