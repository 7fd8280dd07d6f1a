#include "app_icon.h"

#ifdef __WXMSW__

#include <wx/msw/private.h>

#include "../app/resource.h"

namespace sorvik_app {

wxIconBundle LoadAppIcon() {
    // Icon group 128 of the program's resources, at every size it holds.
    return wxIconBundle(wxString::Format("#%d", IDR_MAINFRAME), wxGetInstance());
}

}  // namespace sorvik_app

#else

#include <wx/image.h>
#include <wx/mstream.h>

#include "app_icon_data.h"

namespace sorvik_app {
namespace {

void AddImage(wxIconBundle& bundle, const unsigned char* data, std::size_t size) {
    wxMemoryInputStream stream(data, size);
    wxImage image(stream, wxBITMAP_TYPE_PNG);
    if (!image.IsOk()) return;
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image));
    bundle.AddIcon(icon);
}

}  // namespace

wxIconBundle LoadAppIcon() {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxIconBundle bundle;
    AddImage(bundle, kIcon16, sizeof(kIcon16));
    AddImage(bundle, kIcon32, sizeof(kIcon32));
    AddImage(bundle, kIcon48, sizeof(kIcon48));
    AddImage(bundle, kIcon256, sizeof(kIcon256));
    return bundle;
}

}  // namespace sorvik_app

#endif
