#pragma once

#include <wx/listbox.h>

// Gives a multiple-selection list box the behaviour players know from the
// game's own platform: every click toggles the row it hits, the arrow and
// page keys move the caret without touching the selection, and Space
// toggles the row at the caret. GTK's own list would instead replace the
// selection on a plain click or key. Must go before the list does.
class ToggleListBehaviour {
  public:
    explicit ToggleListBehaviour(wxListBox& list);
    ~ToggleListBehaviour();
    ToggleListBehaviour(const ToggleListBehaviour&) = delete;
    ToggleListBehaviour& operator=(const ToggleListBehaviour&) = delete;

  private:
    void OnClick(wxMouseEvent& event);
    void OnOtherButton(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);

    void Toggle(int row);
    int Caret() const;
    // Moves the caret, scrolled into view, and leaves the selection as it was.
    void SetCaret(int row);

    wxListBox& list_;
};
