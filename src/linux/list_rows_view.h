#pragma once

#include <gtk/gtk.h>

#include <string>

class RowSelection;

// What the rows view shows and says of each row.
class RowSource {
  public:
    virtual int RowCount() const = 0;
    // The text drawn for `row`, UTF-8.
    virtual std::string DrawnText(int row) const = 0;
    // What a screen reader says for `row`.
    virtual std::string SpokenName(int row) const = 0;

  protected:
    ~RowSource() = default;
};

// The list's rows: one column of text rows of one height, for a scrolled
// window. Whatever the count, showing new rows, drawing and a key cost only
// the rows in sight: nothing is kept per row, and a row's text is asked of
// `rows` when it is drawn or read out. The selection drawn is `selection`.
// Its accessible is a table of those rows (see list_rows_accessible.h).
// `rows` and `selection` must outlive the view. The view handles no key and
// no click of its own.
GtkWidget* NewListRowsView(const RowSource& rows, RowSelection& selection);

// After the source changed: its rows from the first, scrolled to the top, the
// caret on the first row (none without rows), `columnWidth` pixels wide.
void ShowNewRows(GtkWidget* view, int columnWidth);
// The caret's row, -1 for none.
int CaretRow(GtkWidget* view);
// Moves the caret to `row`, scrolled into sight as little as needed.
void PlaceCaret(GtkWidget* view, int row);
// The row drawn at `y` in the view's window, -1 for none.
int RowAtHeight(GtkWidget* view, double y);
// How many whole rows are in sight; at least 1.
int WholeRowsInSight(GtkWidget* view);
// The rows in sight, `first` to `last`; false for none.
bool RowsInSight(GtkWidget* view, int& first, int& last);
// Where `row` is drawn, in the view's window; false if not in sight.
bool RowArea(GtkWidget* view, int row, GdkRectangle& area);
// Asks for `row`, or every row for -1, to be drawn again.
void RedrawRowsOf(GtkWidget* view, int row);

// For the accessible: the view's source and selection.
const RowSource& SourceOf(GtkWidget* view);
RowSelection& SelectionOf(GtkWidget* view);
// The view's accessible if one was made, else nullptr: nobody listens.
AtkObject* AccessibleIfMade(GtkWidget* view);
void KeepAccessible(GtkWidget* view, AtkObject* accessible);
