#include "tracker_seams.h"

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/notifmsg.h>
#include <wx/stdpaths.h>
#include <wx/textdlg.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>

#include "alert_settings_dialog.h"
#include "line_dialog.h"
#include "toolkit_language.h"

namespace sorvik_tracker {

wxString TrackerTitle() {
    return wxString::FromUTF8("Sorvik 排名跟踪");
}

bool IsOpenableLink(const wxString& link) {
    const wxString lower = link.Lower();
    return lower.StartsWith("http://") || lower.StartsWith("https://");
}

TrackerSeams::TrackerSeams()
    : message([](const wxString& text, wxWindow* owner) {
          sorvik_ui::ShowMessageBox(text, TrackerTitle(), wxOK | wxICON_EXCLAMATION, owner);
      }),
      ask([](const wxString& question, wxWindow* owner) {
          return sorvik_ui::ShowMessageBox(question, TrackerTitle(),
                                           wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION,
                                           owner) == wxYES;
      }),
      chooseFile([](const wxString& title, const wxString& wildcard, const wxString& defaultName,
                    bool save, wxWindow* owner) {
          // Exports go where the user keeps documents, not into the
          // program's hidden data folder.
          wxFileDialog dialog(
              owner, title, save ? wxStandardPaths::Get().GetDocumentsDir() : wxString(),
              defaultName, wildcard,
              save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST);
          return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
      }),
      openLink([](const wxString& link) { wxLaunchDefaultBrowser(link); }),
      enterText([](const wxString& title, const wxString& prompt, const wxString& initial,
                   wxWindow* owner) -> std::optional<wxString> {
          wxTextEntryDialog dialog(owner, prompt, title, initial,
                                   wxTextEntryDialogStyle | wxTE_MULTILINE);
          if (dialog.ShowModal() != wxID_OK) return std::nullopt;
          return dialog.GetValue();
      }),
      chooseFromMenu(
          [](wxMenu& menu, wxWindow* owner) { return owner->GetPopupMenuSelectionFromUser(menu); }),
      editLine([](LineDialog& dialog) { return dialog.ShowModal() == wxID_OK; }),
      endProgramNow([] {
          std::fflush(nullptr);
          std::_Exit(0);
      }),
      notify([](const wxString& title, const wxString& text, wxWindow* owner) {
          wxNotificationMessage notice(title, text, owner);
          // Without a notification service the toolkit's own small window
          // shows it, or nothing does; the checks never wait for it.
          notice.Show(wxNotificationMessage::Timeout_Auto);
      }),
      showAlertSettings([](AlertSettingsDialog& dialog) { return dialog.ShowModal(); }) {}

}  // namespace sorvik_tracker
