#pragma once

#include <gtk/gtk.h>

class VirtualListBox;
class wxKeyEvent;

// Gives the list the behaviour players know from the game's own platform:
// every click toggles the row it hits, Up, Down, Page Up, Page Down, Home
// and End move the caret without touching the selection, and Space toggles the row at the
// caret; Ctrl+A (or Ctrl+/) selects every row and Shift+Ctrl+A none, as
// GTK lists do.
// Must go before the list does.
class ToggleListBehaviour {
  public:
    explicit ToggleListBehaviour(VirtualListBox& list);
    ~ToggleListBehaviour();
    ToggleListBehaviour(const ToggleListBehaviour&) = delete;
    ToggleListBehaviour& operator=(const ToggleListBehaviour&) = delete;

  private:
    static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer self);
    void OnKey(wxKeyEvent& event);

    void Toggle(int row);
    void MoveCaret(int target);

    VirtualListBox& list_;
    gulong buttonHandler_ = 0;
};
