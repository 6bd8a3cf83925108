#include "linux/program_icon.h"

#include <wx/bitmap.h>
#include <wx/imagbmp.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <cstddef>

// Generated at build time from res/vorpane.ico.
extern const unsigned char kProgramIconData[];
extern const std::size_t kProgramIconSize;

wxIcon LoadProgramIcon() {
    if (wxImage::FindHandler(wxBITMAP_TYPE_ICO) == nullptr) {
        wxImage::AddHandler(new wxICOHandler);
    }
    wxMemoryInputStream stream(kProgramIconData, kProgramIconSize);
    const wxImage image(stream, wxBITMAP_TYPE_ICO);
    wxIcon icon;
    if (image.IsOk()) {
        icon.CopyFromBitmap(wxBitmap(image));
    }
    return icon;
}
