#pragma once

#include <gtk/gtk.h>

#include <string>

class CacheList;

// A GtkTreeModel of one text column over a CacheList: GTK asks for the rows
// it draws or reads out, and each text is read from the list just then.
// Nothing is stored per row. A list of another length needs a new model:
// GTK learns a model's rows once, when it is set on a view.
GtkTreeModel* NewRowModel(const CacheList& list);
// A model of no rows: the view is still a table, of none.
GtkTreeModel* NewEmptyRowModel();

// The row an iterator of such a model stands for.
int RowOf(const GtkTreeIter& iter);

// The list's text of `row` as GTK shows it; empty for a row the list no
// longer has.
std::string RowText(const CacheList& list, int row);
