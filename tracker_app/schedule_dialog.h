// 每天自动检查: the daily check of the list switched on at a time of day,
// or off, with the system's scheduler; the next run and how the last
// scheduled run ended.
#pragma once

#include <wx/dialog.h>

#include <string>

#include "tracker_files.h"

class wxCheckBox;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;

namespace sorvik_tracker {

class ScheduleDialog : public wxDialog {
  public:
    // For the tracker's files `files` with their settings `settings`; the
    // check runs `cliProgram` (sorvik-cli's absolute path, UTF-8).
    ScheduleDialog(wxWindow* parent, const sorvik::TrackerFiles& files,
                   sorvik::TrackerSettings settings, std::string cliProgram);

    // The settings with the daily check as last applied.
    const sorvik::TrackerSettings& Settings() const { return m_settings; }

    // The controls, for tests that use the dialog as a person would.
    wxCheckBox* DailySwitch() { return m_on; }
    wxSpinCtrl* Hour() { return m_hour; }
    wxSpinCtrl* Minute() { return m_minute; }
    wxStaticText* NextRun() { return m_next; }
    wxStaticText* LastRun() { return m_last; }
    // What went wrong and what to do instead; empty when all went well.
    wxTextCtrl* Problem() { return m_problem; }

  private:
    void OnApply(wxCommandEvent& event);
    void ShowState();
    void ShowProblem(const wxString& text);

    const sorvik::TrackerFiles& m_files;
    sorvik::TrackerSettings m_settings;
    std::string m_cliProgram;
    wxCheckBox* m_on = nullptr;
    wxSpinCtrl* m_hour = nullptr;
    wxSpinCtrl* m_minute = nullptr;
    wxStaticText* m_next = nullptr;
    wxStaticText* m_last = nullptr;
    wxTextCtrl* m_problem = nullptr;
};

// sorvik-cli beside this program, or as SORVIK_CLI_PROGRAM names it.
std::string DailyCheckProgram();

// "上次自动检查：12-09 09:00，12 行完成，1 行失败", or that there was none.
wxString LastScheduledRunText(const std::string& dataFolder);

}  // namespace sorvik_tracker
