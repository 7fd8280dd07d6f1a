#include "dialog_seams.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include "about_dlg.h"
#include "search_run.h"
#include "toolkit_language.h"

namespace sorvik_app {

DialogSeams::DialogSeams()
    : messageBox([](const wxString& text, const wxString& caption, wxWindow* owner) {
          sorvik_ui::ShowMessageBox(text, caption, wxOK | wxICON_EXCLAMATION, owner);
      }),
      openLink([](const wxString& link) { wxLaunchDefaultBrowser(link); }),
      showAbout([](CAboutDlg& about) { about.ShowModal(); }),
      startWorker([](sorvik::SearchWindow& window) { return sorvik::StartSearchWorker(window); }) {}

bool IsOpenableLink(const wxString& link) {
    const wxString lower = link.Lower();
    return lower.StartsWith("http://") || lower.StartsWith("https://");
}

wxString ApplicationName() {
    if (wxTheApp && !wxTheApp->GetAppName().empty()) return wxTheApp->GetAppName();
    return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetName();
}

}  // namespace sorvik_app
