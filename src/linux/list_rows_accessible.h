#pragma once

#include <gtk/gtk.h>

// The rows view as assistive technology reads it: a table of one column
// whose cells are the rows, each named for the ear, SELECTED as the view's
// selection says and FOCUSED on the caret's row while the view has the focus.
// A cell is made when first asked for and kept until the rows change, so
// reading a row costs the same whatever the count.
GType ListRowsAccessibleType();

// Each of these tells assistive technology, if any is listening:
// that `row` changed selection; for -1, that any row may have, and then,
// while the view has the focus, which row the caret is on: a screen reader
// would otherwise take the first selected row for the focused one;
void AnnounceSelectionChange(GtkWidget* view, int row);
// that the caret moved from `before` (-1 for none);
void AnnounceCaretMove(GtkWidget* view, int before);
// once the view's own focus event is out, which row has the caret: a screen
// reader takes the last it hears for the focus;
void AnnounceCaretSoon(GtkWidget* view);
// that every row changed: the cells made so far are gone.
void AnnounceNewRows(GtkWidget* view);
