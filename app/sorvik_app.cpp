#include "sorvik_app.h"

#include <unistd.h>
#include <wx/image.h>

#include <cstdio>

#include "search_run.h"
#include "sorvik_dlg.h"
#include "toolkit_language.h"
#include "window_title_charset.h"

bool CsorvikApp::OnInit() {
    wxInitAllImageHandlers();
    sorvik_ui::UseUtf8Characters();
    sorvik_ui::LoadToolkitTexts();
    // The program stores no settings; the vendor name only names the place
    // where settings would go.
    SetVendorName(wxString::FromUTF8("应用程序向导生成的本地应用程序"));
    return true;
}

int CsorvikApp::OnRun() {
    sorvik_app::CsorvikDlg dlg(nullptr);
    SetTopWindow(&dlg);
    dlg.ShowModal();
    // Closing gave a running search 500 ms to notice the stop flag. A worker
    // still alive now (inside a download, which cannot be interrupted) must
    // never touch the dialog once it is destroyed, so the process ends here,
    // with the dialog object still in place.
    if (!dlg.Workers()->Idle()) {
        std::fflush(nullptr);
        _exit(0);
    }
    SetTopWindow(nullptr);
    return 0;
}
