#include "about_dlg.h"

#include "dialog_template.h"

CAboutDlg::CAboutDlg(wxWindow* parent, const wxIconBundle& icon) {
    const sorvik_app::DialogTemplate& layout = sorvik_app::AboutBoxTemplate();
    Create(parent, layout.resourceId, wxString::FromUTF8(layout.caption), wxDefaultPosition,
           wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    sorvik_app::BuildFromTemplate(this, layout, icon);
    // Fixed size: no sizing border, no maximise box.
    SetSizeHints(GetSize(), GetSize());
    SetIcons(icon);
    CentreOnParent();
}

CAboutDlg::~CAboutDlg() = default;
