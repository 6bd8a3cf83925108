#include "ui/wx/about_dlg.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "ui/about_template.h"
#include "ui/wx/program_icon.h"
#include "ui/wx/wx_services.h"

namespace {

wxPoint Position(wxWindow* dialog, const DialogRect& rect) {
    return wxDLG_UNIT(dialog, wxPoint(rect.x, rect.y));
}

wxSize Size(wxWindow* dialog, const DialogRect& rect) {
    return wxDLG_UNIT(dialog, wxSize(rect.width, rect.height));
}

// A left-aligned static text that wraps at its width; `shown` is the text
// exactly as it appears.
void AddText(wxWindow* dialog, const DialogRect& rect, std::string_view shown) {
    auto* text = new wxStaticText(dialog, wxID_STATIC, wxEmptyString, Position(dialog, rect),
                                  Size(dialog, rect), wxST_NO_AUTORESIZE | wxALIGN_LEFT);
    text->SetLabelText(ToDisplay(std::string(shown)));
    text->Wrap(Size(dialog, rect).GetWidth());
}

}  // namespace

CAboutDlg::CAboutDlg(wxWindow* owner)
    : wxDialog(owner, wxID_ANY, wxString::FromUTF8(about_template::kCaption.data()),
               wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    using namespace about_template;
    SetClientSize(wxDLG_UNIT(this, wxSize(kWidth, kHeight)));

    // Template order: the icon, the four texts, then OK.
    new wxStaticBitmap(this, wxID_STATIC, wxBitmap(LoadProgramIcon()), Position(this, kIcon));
    AddText(this, kNoticeRect, kNotice);
    AddText(this, kServerRect, TextWithoutAccessKeys(kServer));
    AddText(this, kFileTypesRect, TextWithoutAccessKeys(kFileTypes));
    AddText(this, kSubDirectoriesRect, TextWithoutAccessKeys(kSubDirectories));
    auto* ok = new wxButton(this, wxID_OK, TextWithoutAccessKeys(kOk), Position(this, kOkRect),
                            Size(this, kOkRect));
    ok->SetDefault();
    ok->SetFocus();
    CentreOnParent();
}

void WxAboutBox::ShowAbout() {
    CAboutDlg about(&owner_);
    about.ShowModal();
}
