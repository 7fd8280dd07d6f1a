// The About box (template 100): icon, version line and notes, closed with
// OK, Escape or the close box.
#pragma once

#include <wx/dialog.h>
#include <wx/iconbndl.h>

class CAboutDlg : public wxDialog {
  public:
    CAboutDlg(wxWindow* parent, const wxIconBundle& icon);
    ~CAboutDlg() override;
};
