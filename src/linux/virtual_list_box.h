#pragma once

#include <wx/control.h>

#include <gtk/gtk.h>

#include "list/row_selection.h"

class CacheList;

// The main window's list: a GTK tree view over the core's list, so that
// assistive technology reads its rows as ever. It draws only the rows in
// sight, asking the list for their texts, and shows as selected the rows
// its selection holds. GTK's own selection, which walks every row to
// select all, holds at most the caret's row: GTK then draws the caret on a
// selected row as its own and tells assistive technology that it is
// selected. Nothing is made per row.
class VirtualListBox final : public wxControl {
  public:
    VirtualListBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
    ~VirtualListBox() override;

    // Shows `list` from its first row, with nothing selected and no caret.
    // The rows are read from `list` whenever they are drawn, until the next
    // call.
    void ShowRows(const CacheList& list);
    // Shows no rows and lets go of the list, which may then go first.
    void LetGo();

    int Count() const { return rowCount_; }
    RowSelection& Selection() { return selection_; }
    const RowSelection& Selection() const { return selection_; }
    // After the selection changed: one row, or every row in sight.
    void RedrawRow(int row);
    void RedrawRows();

    // The caret's row, -1 for none.
    int Caret() const;
    // Moves the caret, scrolled into view; the selection stays as it is.
    void SetCaret(int row);
    // How many whole rows are in sight.
    int RowsPerPage() const;
    // The row under a click on the rows, -1 for none.
    int RowAt(const GdkEventButton& click) const;

    GtkTreeView* TreeView() const { return tree_; }
    GtkWidget* GetConnectWidget() override;

  protected:
    GdkWindow* GTKGetWindow(wxArrayGdkWindows& windows) const override;
    void DoApplyWidgetStyle(GtkRcStyle* style) override;

  private:
    static gboolean AllowOwnChanges(GtkTreeSelection*, GtkTreeModel*, GtkTreePath*, gboolean,
                                    gpointer self);
    // Scrolls at once, as little as brings the row into sight.
    void ScrollIntoView(GtkTreePath* path);
    // GTK's selection: the caret's row if the selection holds it, else none.
    void MirrorCaretRow();
    static void DrawRow(GtkTreeViewColumn* column, GtkCellRenderer* cell, GtkTreeModel* model,
                        GtkTreeIter* iter, gpointer self);
    // Wide enough for the longest rows, so GTK need not measure every row.
    void FitColumn(const CacheList& list);

    GtkTreeView* tree_ = nullptr;
    GtkTreeViewColumn* column_ = nullptr;
    const CacheList* list_ = nullptr;
    int rowCount_ = 0;
    RowSelection selection_;
    // The row GTK holds as selected, -1 for none.
    int mirrored_ = -1;
    bool mirroring_ = false;
};
