#include "ui/wx/about_dlg.h"

#include "ui/about_template.h"
#include "ui/wx/template_builder.h"

CAboutDlg::CAboutDlg(wxWindow* owner)
    : wxDialog(owner, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    BuildFromTemplate(*this, about_template::kDialog);
    CentreOnParent();
}

void WxAboutBox::ShowAbout() {
    CAboutDlg about(&owner_);
    about.ShowModal();
}
