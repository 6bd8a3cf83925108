#include "linux/template_builder.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <string>

#include "linux/program_icon.h"
#include "linux/text_layout.h"
#include "linux/virtual_list_box.h"
#include "ui/about_template.h"

namespace {

wxString FromUtf8(std::string_view text) {
    return wxString::FromUTF8(text.data(), text.size());
}

// Left-aligned and wrapped at its width; `shown` is the text exactly as it
// appears.
wxWindow* AddText(wxDialog& dialog, wxPoint pos, wxSize size, std::string_view shown) {
    auto* text = new wxStaticText(&dialog, wxID_STATIC, wxEmptyString, pos, size,
                                  wxST_NO_AUTORESIZE | wxALIGN_LEFT);
    text->SetLabelText(FromUtf8(shown));
    text->Wrap(size.GetWidth());
    return text;
}

wxWindow* AddButton(wxDialog& dialog, const ControlTemplate& c, wxPoint pos, wxSize size) {
    // The toolkit's own OK, so that Escape and Enter close a box with it.
    const wxWindowID id = c.id == kOkButtonId ? wxID_OK : c.id;
    auto* button = new wxButton(&dialog, id, wxEmptyString, pos, size);
    // Wrapped at the button's width like a multi-line push button.
    const int room = size.GetWidth() - 2 * button->GetCharWidth();
    button->SetLabel(FromUtf8(WrapWords(c.text, room, [button](std::string_view s) {
        return button->GetTextExtent(FromUtf8(s)).GetWidth();
    })));
    if (c.kind == ControlKind::DefaultButton) {
        button->SetDefault();
    }
    return button;
}

wxWindow* AddControl(wxDialog& dialog, const ControlTemplate& c) {
    const wxPoint pos = dialog.ConvertDialogToPixels(wxPoint(c.rect.x, c.rect.y));
    const wxSize size = dialog.ConvertDialogToPixels(wxSize(c.rect.width, c.rect.height));
    switch (c.kind) {
        case ControlKind::Text:
            return AddText(dialog, pos, size, TextWithoutAccessKeys(c.text));
        case ControlKind::PlainText:
            return AddText(dialog, pos, size, c.text);
        case ControlKind::Icon:
            return new wxStaticBitmap(&dialog, wxID_STATIC, wxBitmap(LoadProgramIcon()), pos);
        case ControlKind::List:
            return new VirtualListBox(&dialog, c.id, pos, size);
        case ControlKind::Button:
        case ControlKind::DefaultButton:
            return AddButton(dialog, c, pos, size);
    }
    return nullptr;
}

}  // namespace

void BuildFromTemplate(wxDialog& dialog, const DialogTemplate& layout) {
    dialog.SetTitle(FromUtf8(layout.caption));
    dialog.SetClientSize(dialog.ConvertDialogToPixels(wxSize(layout.width, layout.height)));
    wxWindow* first = nullptr;
    for (const ControlTemplate& c : layout.controls) {
        wxWindow* control = AddControl(dialog, c);
        if (first == nullptr && control != nullptr && control->AcceptsFocus()) {
            first = control;
        }
    }
    if (first != nullptr) {
        first->SetFocus();
    }
}
