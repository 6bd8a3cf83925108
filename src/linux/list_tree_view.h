#pragma once

#include <gtk/gtk.h>

#include <string>

class RowSelection;

// What the view's rows are called for the ear.
class RowNames {
  public:
    // The spoken name of `row`, which the view has.
    virtual std::string SpokenName(int row) const = 0;

  protected:
    ~RowNames() = default;
};

// The list's tree view. It opens no search box, not even with Ctrl+F. Its
// accessible tells assistive technology the selection `selection` holds:
// the table's selected rows, each row's SELECTED state, and an event for
// every change; its rows by the names `names` gives them; and the caret's
// row as the focused one whenever the view gains the focus. GTK's own
// accessible would report the view's GtkTreeSelection instead, which the
// list leaves empty: selecting every row there walks every row, far beyond
// a frame at 100,000 rows. `selection` and `names` must outlive the view.
GtkWidget* NewListTreeView(RowSelection& selection, const RowNames& names);

// A text renderer for the view's one column: assistive technology reads
// its cells by their rows' spoken names, not by the drawn text.
GtkCellRenderer* NewRowRenderer();

// Tells assistive technology, if any is listening, that `row` changed
// selection; for -1, that any row may have, and then, while the view has
// the focus, which row the caret is on: a screen reader would otherwise
// take the first selected row for the focused one.
void AnnounceSelectionChange(GtkTreeView* view, int row);
