#pragma once

#include <wx/dialog.h>

#include "ui/dialog_template.h"

// Gives a dialog the caption, size and controls its template describes, the
// controls in template order (their tab order), and the focus to the first
// of them that takes it, as a dialog made from a template starts.
void BuildFromTemplate(wxDialog& dialog, const DialogTemplate& layout);
