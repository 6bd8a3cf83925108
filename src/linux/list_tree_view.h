#pragma once

#include <gtk/gtk.h>

class RowSelection;

// The list's tree view. It opens no search box, not even with Ctrl+F. Its
// accessible tells assistive technology the selection `selection` holds:
// the table's selected rows, each row's SELECTED state, and an event for
// every change. GTK's own accessible would report the view's
// GtkTreeSelection instead, which the list leaves empty: selecting every
// row there walks every row, far beyond a frame at 100,000 rows.
// `selection` must outlive the view.
GtkWidget* NewListTreeView(RowSelection& selection);

// Tells assistive technology, if any is listening, that `row` changed
// selection; for -1, that any row may have.
void AnnounceSelectionChange(GtkTreeView* view, int row);
