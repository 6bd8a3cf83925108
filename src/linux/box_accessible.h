#pragma once

#include <wx/toplevel.h>

#include <atk/atk.h>

// Tells assistive technology what `box` is, ATK_ROLE_ALERT for a message
// box or ATK_ROLE_DIALOG, so that a screen reader reads it as it opens:
// its caption, the text of its labels, then the focused button. GTK would
// call any wx dialog a plain frame, and a screen reader would say only the
// caption and the button. Once its labels are made, before it shows.
void ExposeBox(wxTopLevelWindow& box, AtkRole role);
