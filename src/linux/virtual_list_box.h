#pragma once

#include <wx/control.h>

#include <gtk/gtk.h>

#include "linux/list_rows_view.h"
#include "linux/text_layout.h"
#include "list/row_selection.h"

class CacheList;

// The main window's list: a rows view (list_rows_view.h) over the core's
// list in a scrolled window. It draws only the rows in sight, asking the
// list for their texts, and shows as selected the rows its selection holds;
// assistive technology reads the same as a table. Nothing is made per row.
class VirtualListBox final : public wxControl, private RowSource {
  public:
    VirtualListBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
    ~VirtualListBox() override;

    // Shows `list` from its first row, with nothing selected and the caret
    // on the first row. The rows are read from `list` whenever they are
    // drawn, until the next call.
    void ShowRows(const CacheList& list);
    // Shows no rows and lets go of the list, which may then go first.
    void LetGo();

    int Count() const { return rowCount_; }
    RowSelection& Selection() { return selection_; }
    const RowSelection& Selection() const { return selection_; }
    // After the selection changed: of one row, or of any. Assistive
    // technology is told too.
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
    // How wide the column must be to show every row of `list` whole.
    int ColumnWidth(const CacheList& list);

    GtkWidget* RowsView() const { return rows_; }
    GtkWidget* GetConnectWidget() override;

  protected:
    GdkWindow* GTKGetWindow(wxArrayGdkWindows& windows) const override;
    void DoApplyWidgetStyle(GtkRcStyle* style) override;

  private:
    // Draws what changed in the rows at once.
    void PaintNow();
    int RowCount() const override { return rowCount_; }
    std::string DrawnText(int row) const override;
    std::string SpokenName(int row) const override;
    // The advance of a character in the view's font, in pixels.
    double Advance(char32_t c) const;

    GtkWidget* rows_ = nullptr;
    const CacheList* list_ = nullptr;
    int rowCount_ = 0;
    RowSelection selection_;
    TextWidths widths_{[this](char32_t c) { return Advance(c); }};
};
