#include "tracker_seams.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "line_dialog.h"

namespace sorvik_tracker {

wxString TrackerTitle() {
    return wxString::FromUTF8("Sorvik 排名跟踪");
}

TrackerSeams::TrackerSeams()
    : message([](const wxString& text, wxWindow* owner) {
          wxMessageBox(text, TrackerTitle(), wxOK | wxICON_EXCLAMATION, owner);
      }),
      ask([](const wxString& question, wxWindow* owner) {
          return wxMessageBox(question, TrackerTitle(), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION,
                              owner) == wxYES;
      }),
      chooseFile([](const wxString& title, const wxString& wildcard, const wxString& defaultName,
                    bool save, wxWindow* owner) {
          wxFileDialog dialog(
              owner, title, wxString(), defaultName, wildcard,
              save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST);
          return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
      }),
      editLine([](LineDialog& dialog) { return dialog.ShowModal() == wxID_OK; }) {}

}  // namespace sorvik_tracker
