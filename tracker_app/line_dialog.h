// The form of one keyword list line: its mode, keyword, target and group,
// checked as the dialog checks its form before it is accepted.
#pragma once

#include <wx/dialog.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch_file.h"

class wxComboBox;
class wxRadioBox;
class wxStaticText;
class wxTextCtrl;

namespace sorvik_tracker {

class LineDialog : public wxDialog {
  public:
    // Shows an error message; the dialog stays open.
    using ShowProblem = std::function<void(const wxString& text, wxWindow* owner)>;

    // For a new line (`editing` none) or for the line `editing` of `list`,
    // whose values it shows.
    LineDialog(wxWindow* parent, const std::vector<sorvik::BatchLine>& list,
               std::optional<std::size_t> editing, ShowProblem showProblem);

    // The line as accepted: keyword, target and group without the blanks
    // around them; no target in mode 1.
    sorvik::BatchLine Line() const;
    // Puts `group` (UTF-8) in the group field, for a new line.
    void SuggestGroup(const std::string& group);

    // The form's controls, for tests that fill it in as a person would.
    wxRadioBox* ModeChoice() { return m_modeChoice; }
    wxTextCtrl* KeywordField() { return m_keyword; }
    wxTextCtrl* TargetField() { return m_target; }
    wxComboBox* GroupField() { return m_group; }

  private:
    void OnModeChanged(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void ApplyMode();
    int Mode() const;

    const std::vector<sorvik::BatchLine>& m_list;
    const std::optional<std::size_t> m_editing;
    ShowProblem m_showProblem;
    wxRadioBox* m_modeChoice = nullptr;
    wxTextCtrl* m_keyword = nullptr;
    wxStaticText* m_targetLabel = nullptr;
    wxTextCtrl* m_target = nullptr;
    wxComboBox* m_group = nullptr;  // the groups in use to choose from, or a new one
};

}  // namespace sorvik_tracker
