#include "linux/wx_services.h"

#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
// After msgdlg.h, which declares its base.
#include <wx/generic/msgdlgg.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

#include "linux/box_accessible.h"
#include "linux/text_layout.h"
#include "linux/virtual_list_box.h"

namespace {

// The message box, told to assistive technology as an alert.
class AlertBox final : public wxGenericMessageDialog {
  public:
    using wxGenericMessageDialog::wxGenericMessageDialog;

  protected:
    // Borrowed: wxGenericMessageDialog makes its window and labels inside
    // ShowModal and shows them at once, and this virtual, meant for adding a
    // check box (these boxes have none), is the only call it makes in
    // between. The role must be set before the window maps, for a screen
    // reader takes the role as the window appears; an event handler for
    // the dialog's initialisation runs after that in wxGTK.
    void AddMessageDialogCheckBox(wxSizer*) override { ExposeBox(*this, ATK_ROLE_ALERT); }
};

}  // namespace

wxString ToDisplay(const std::string& bytes) {
    return wxString::FromUTF8(DisplayText(bytes));
}

void WxListView::ShowEntries(const CacheList& list) {
    list_.ShowRows(list);
}

std::vector<int> WxListView::SelectedIndices() const {
    return list_.Selection().Indices();
}

BoxButton WxMessageBoxes::Show(const std::string& text, const std::string& caption,
                               BoxStyle style) {
    long flags = 0;
    switch (style) {
        case BoxStyle::Warning:
            flags = wxOK | wxICON_EXCLAMATION;
            break;
        case BoxStyle::Stop:
            flags = wxOK | wxICON_ERROR;
            break;
        case BoxStyle::Confirmation:
            flags = wxYES_NO | wxNO_DEFAULT | wxICON_EXCLAMATION;
            break;
    }
    wxWindow* parent = owner_.IsShown() ? &owner_ : nullptr;
    // The toolkit's own GTK box shows no icon; this one shows the style's.
    AlertBox box(parent, ToDisplay(text), ToDisplay(caption), flags | wxCENTRE);
    // An empty caption stays empty rather than becoming the toolkit's default.
    box.SetTitle(ToDisplay(caption));
    if (style == BoxStyle::Confirmation) {
        // Escape and the close box answer No, never the affirmative Yes.
        box.SetEscapeId(wxID_NO);
    }
    const int answer = box.ShowModal();
    if (style != BoxStyle::Confirmation) {
        return BoxButton::Ok;
    }
    // Closing the box any other way than with Yes counts as No.
    return answer == wxID_YES ? BoxButton::Yes : BoxButton::No;
}

std::optional<std::string> WxFolderChooser::Choose(const std::string& title) {
    wxWindow* parent = owner_.IsShown() ? &owner_ : nullptr;
    wxDirDialog chooser(parent, ToDisplay(title), wxGetHomeDir(), wxDD_DEFAULT_STYLE);
    if (chooser.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    // The bytes the file system gave GTK, even where they are not text in the
    // locale's encoding: converting them first would lose such a folder.
    if (gchar* raw = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser.m_widget))) {
        std::string path(raw);
        g_free(raw);
        return path;
    }
    const wxCharBuffer path = chooser.GetPath().fn_str();
    return std::string(path.data() != nullptr ? path.data() : "");
}
