#pragma once

#include <gtk/gtk.h>

class VirtualListBox;
class wxKeyEvent;

// Gives the list the behaviour players know from the game's own platform,
// the Win32 multiple-selection list box: a click toggles the row it hits,
// the second click of a double click does nothing more; Up and Left, Down
// and Right, Page Up, Page Down, Home and End move the caret without
// touching the selection, and Space toggles the row at the caret. As GTK
// lists do, Ctrl+A (or Ctrl+/) selects every row and Shift+Ctrl+A none.
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
    // Whether a press is the second of a double click, as the toolkit
    // counts them.
    bool IsSecondClick(const GdkEventButton& press);

    VirtualListBox& list_;
    gulong buttonHandler_ = 0;
    // The last press of the primary button, and whether it was the second
    // of a double click.
    guint32 lastTime_ = 0;
    double lastX_ = 0;
    double lastY_ = 0;
    bool lastWasSecond_ = true;
};
