#include "linux/about_dlg.h"

#include "linux/box_accessible.h"
#include "linux/template_builder.h"
#include "ui/about_template.h"

CAboutDlg::CAboutDlg(wxWindow* owner)
    : wxDialog(owner, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    BuildFromTemplate(*this, about_template::kDialog);
    ExposeBox(*this, ATK_ROLE_DIALOG);
    CentreOnParent();
}

void WxAboutBox::ShowAbout() {
    CAboutDlg about(&owner_);
    about.ShowModal();
}
