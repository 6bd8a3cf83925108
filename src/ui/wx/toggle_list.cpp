#include "ui/wx/toggle_list.h"

#include <gtk/gtk.h>

#include <algorithm>

ToggleListBehaviour::ToggleListBehaviour(wxListBox& list) : list_(list) {
    list_.Bind(wxEVT_LEFT_DOWN, &ToggleListBehaviour::OnClick, this);
    list_.Bind(wxEVT_LEFT_DCLICK, &ToggleListBehaviour::OnClick, this);
    list_.Bind(wxEVT_RIGHT_DOWN, &ToggleListBehaviour::OnOtherButton, this);
    list_.Bind(wxEVT_RIGHT_DCLICK, &ToggleListBehaviour::OnOtherButton, this);
    list_.Bind(wxEVT_MIDDLE_DOWN, &ToggleListBehaviour::OnOtherButton, this);
    list_.Bind(wxEVT_KEY_DOWN, &ToggleListBehaviour::OnKey, this);
    // Typing would open GTK's search box over the list; the rows all start
    // with a date, so there is nothing to find by typing.
    gtk_tree_view_set_enable_search(list_.m_treeview, FALSE);
}

ToggleListBehaviour::~ToggleListBehaviour() {
    // The list would otherwise call into this object after it is gone.
    list_.Unbind(wxEVT_LEFT_DOWN, &ToggleListBehaviour::OnClick, this);
    list_.Unbind(wxEVT_LEFT_DCLICK, &ToggleListBehaviour::OnClick, this);
    list_.Unbind(wxEVT_RIGHT_DOWN, &ToggleListBehaviour::OnOtherButton, this);
    list_.Unbind(wxEVT_RIGHT_DCLICK, &ToggleListBehaviour::OnOtherButton, this);
    list_.Unbind(wxEVT_MIDDLE_DOWN, &ToggleListBehaviour::OnOtherButton, this);
    list_.Unbind(wxEVT_KEY_DOWN, &ToggleListBehaviour::OnKey, this);
}

void ToggleListBehaviour::OnClick(wxMouseEvent& event) {
    list_.SetFocus();
    const int row = list_.HitTest(event.GetPosition());
    if (row != wxNOT_FOUND) {
        Toggle(row);
        SetCaret(row);
    }
    // Not skipped: GTK's own click would replace the selection.
}

void ToggleListBehaviour::OnOtherButton(wxMouseEvent&) {
    list_.SetFocus();
}

void ToggleListBehaviour::OnKey(wxKeyEvent& event) {
    const int count = static_cast<int>(list_.GetCount());
    const int caret = Caret();
    const int page = std::max(1, list_.GetCountPerPage() - 1);
    int target = -1;
    switch (event.GetKeyCode()) {
        case WXK_UP:
        case WXK_NUMPAD_UP:
            target = caret - 1;
            break;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            target = caret < 0 ? 0 : caret + 1;
            break;
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            target = caret - page;
            break;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            target = caret < 0 ? page : caret + page;
            break;
        case WXK_HOME:
        case WXK_NUMPAD_HOME:
            target = 0;
            break;
        case WXK_END:
        case WXK_NUMPAD_END:
            target = count - 1;
            break;
        case WXK_SPACE:
            if (caret >= 0 && caret < count) {
                Toggle(caret);
            } else if (count > 0) {
                SetCaret(0);
            }
            return;
        default:
            event.Skip();
            return;
    }
    if (count > 0) {
        SetCaret(std::clamp(target, 0, count - 1));
    }
}

void ToggleListBehaviour::Toggle(int row) {
    list_.SetSelection(row, !list_.IsSelected(row));
}

int ToggleListBehaviour::Caret() const {
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(list_.m_treeview, &path, nullptr);
    if (path == nullptr) {
        return -1;
    }
    int depth = 0;
    const int* indices = gtk_tree_path_get_indices_with_depth(path, &depth);
    const int row = depth > 0 ? indices[0] : -1;
    gtk_tree_path_free(path);
    return row;
}

void ToggleListBehaviour::SetCaret(int row) {
    wxArrayInt selected;
    list_.GetSelections(selected);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(list_.m_treeview);
    // GTK selects the row it puts the cursor on: the selection is put back.
    list_.GTKDisableEvents();
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_view_set_cursor(list_.m_treeview, path, nullptr, FALSE);
    gtk_tree_view_scroll_to_cell(list_.m_treeview, path, nullptr, FALSE, 0.0F, 0.0F);
    gtk_tree_path_free(path);
    gtk_tree_selection_unselect_all(selection);
    for (const int index : selected) {
        GtkTreePath* kept = gtk_tree_path_new_from_indices(index, -1);
        gtk_tree_selection_select_path(selection, kept);
        gtk_tree_path_free(kept);
    }
    list_.GTKEnableEvents();
}
