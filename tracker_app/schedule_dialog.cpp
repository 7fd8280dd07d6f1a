#include "schedule_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "daily_schedule.h"
#include "daily_schedule_setup.h"
#include "file_names.h"
#include "local_time.h"
#include "scheduled_run.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

// "12-09 09:00" in local time.
wxString MonthDayTime(std::time_t when) {
    std::tm local{};
    char text[32] = "";
    if (!sorvik::ToLocalTime(when, local) ||
        std::strftime(text, sizeof text, "%m-%d %H:%M", &local) == 0)
        return wxString();
    return wxString::FromUTF8(text);
}

// What the user can do when the scheduler could not be used.
wxString InsteadText(const sorvik::ScheduleChange& change, bool switchingOn,
                     const std::string& dataFolder) {
    if (change.instead.empty()) return wxString();
#ifdef _WIN32
    wxString text = switchingOn ? U("可以在命令提示符中运行下面的命令，或在“任务计划程序”中导入 ") +
                                      U(sorvik::WindowsPath(sorvik::DailyTaskXmlFile(dataFolder))) +
                                      U("：\n")
                                : U("可以在命令提示符中运行：\n");
#else
    (void)dataFolder;
    wxString text = switchingOn ? U("可以用 crontab -e 加入下面这一行，每天同一时间检查：\n")
                                : U("可以在终端中运行：\n");
#endif
    return text + U(change.instead);
}

}  // namespace

std::string DailyCheckProgram() {
    // The scheduler needs the whole path.
    if (const char* program = std::getenv("SORVIK_CLI_PROGRAM"); program && *program) {
        wxFileName named(wxString::FromUTF8(program));
        named.MakeAbsolute();
        return named.GetFullPath().utf8_string();
    }
    wxFileName path(wxStandardPaths::Get().GetExecutablePath());
#ifdef _WIN32
    path.SetFullName("sorvik-cli.exe");
#else
    path.SetFullName("sorvik-cli");
#endif
    return path.GetFullPath().utf8_string();
}

wxString LastScheduledRunText(const std::string& dataFolder) {
    const std::optional<sorvik::ScheduledRunRecord> record =
        sorvik::ReadScheduledRunRecord(dataFolder);
    if (!record) return U("还没有自动检查过");
    wxString text = U("上次自动检查：") + MonthDayTime(static_cast<std::time_t>(record->started));
    if (record->checked + record->failed + record->stopped == 0 && record->exitStatus != 0)
        return text + wxString::Format(U("，未能检查（退出状态 %d）"), record->exitStatus);
    text += wxString::Format(U("，%d 行完成，%d 行失败"), record->checked, record->failed);
    if (record->stopped > 0) text += wxString::Format(U("，%d 行被中止"), record->stopped);
    return text;
}

ScheduleDialog::ScheduleDialog(wxWindow* parent, const sorvik::TrackerFiles& files,
                               sorvik::TrackerSettings settings, std::string cliProgram)
    : wxDialog(parent, wxID_ANY, U("每天自动检查")),
      m_files(files),
      m_settings(std::move(settings)),
      m_cliProgram(std::move(cliProgram)) {
    const sorvik::DailyTime time =
        sorvik::ParseDailyTime(m_settings.dailyTime).value_or(sorvik::DailyTime());
    m_on = new wxCheckBox(this, wxID_ANY, U("每天自动检查"));
    m_on->SetValue(m_settings.dailyCheck);
    const wxSize spinSize = FromDIP(wxSize(130, -1));
    m_hour = new wxSpinCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, spinSize,
                            wxSP_ARROW_KEYS | wxSP_WRAP, 0, 23, time.hour);
    m_minute = new wxSpinCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, spinSize,
                              wxSP_ARROW_KEYS | wxSP_WRAP, 0, 59, time.minute);
    m_next = new wxStaticText(this, wxID_ANY, wxString());
    m_last = new wxStaticText(this, wxID_ANY, wxString());
    m_problem = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition,
                               FromDIP(wxSize(460, 110)), wxTE_MULTILINE | wxTE_READONLY);
    m_problem->Hide();

    const int margin = FromDIP(10);
    auto* when = new wxBoxSizer(wxHORIZONTAL);
    when->Add(m_on, wxSizerFlags().CentreVertical().Border(wxRIGHT, margin));
    when->Add(new wxStaticText(this, wxID_ANY, U("时间：")), wxSizerFlags().CentreVertical());
    when->Add(m_hour, wxSizerFlags().CentreVertical());
    when->Add(new wxStaticText(this, wxID_ANY, U(" : ")), wxSizerFlags().CentreVertical());
    when->Add(m_minute, wxSizerFlags().CentreVertical());

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_APPLY, U("应用")), wxSizerFlags().Border(wxRIGHT, margin));
    buttons->Add(new wxButton(this, wxID_CANCEL, U("关闭")));

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(when, wxSizerFlags().Border(wxALL, margin));
    top->Add(new wxStaticText(
                 this, wxID_ANY,
                 wxString::Format(U("开启后，即使没有打开本窗口，系统也会在每天这个时间检查整个"
                                    "列表（每行最多 %d 页）。"),
                                  m_settings.pagesPerCheck)),
             wxSizerFlags().Border(wxLEFT | wxRIGHT, margin));
    top->Add(m_next, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, margin));
    top->Add(m_last, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, margin));
    top->Add(m_problem, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT | wxTOP, margin));
    top->Add(new wxStaticLine(this), wxSizerFlags().Expand().Border(wxALL, margin));
    top->Add(buttons, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM, margin));
    SetSizerAndFit(top);

    Bind(wxEVT_BUTTON, &ScheduleDialog::OnApply, this, wxID_APPLY);
    ShowState();
    CentreOnParent();
}

void ScheduleDialog::ShowState() {
    if (m_settings.dailyCheck) {
        const sorvik::DailyTime time =
            sorvik::ParseDailyTime(m_settings.dailyTime).value_or(sorvik::DailyTime());
        m_next->SetLabel(U("下次自动检查：") +
                         MonthDayTime(sorvik::NextDailyRun(std::time(nullptr), time)));
    } else {
        m_next->SetLabel(U("每天自动检查未开启"));
    }
    m_last->SetLabel(LastScheduledRunText(m_files.Folder()));
}

void ScheduleDialog::ShowProblem(const wxString& text) {
    m_problem->ChangeValue(text);
    m_problem->Show(!text.empty());
    Layout();
    Fit();
}

void ScheduleDialog::OnApply(wxCommandEvent&) {
    const bool on = m_on->GetValue();
    sorvik::ScheduleChange change;
    if (on) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(sorvik::PathFromUtf8(m_cliProgram), ec)) {
            ShowProblem(U("找不到 sorvik-cli：") + U(m_cliProgram) +
                        U("\n每天自动检查要运行它。请重新安装 Sorvik，或用 SORVIK_CLI_PROGRAM "
                          "指明它的位置。"));
            m_on->SetValue(m_settings.dailyCheck);
            return;
        }
        sorvik::DailyCheck check;
        check.program = m_cliProgram;
        check.dataFolder = m_files.Folder();
        // The run cleans its pages with the config.txt this window uses.
        const wxString here = wxGetCwd();
        if (wxFileName(here, "config.txt").FileExists()) check.workingFolder = here.utf8_string();
        check.maxPages = m_settings.pagesPerCheck;
        check.time = {m_hour->GetValue(), m_minute->GetValue()};
        change = sorvik::SwitchOnDailyCheck(check);
        if (change.state != sorvik::ScheduleState::On) {
            const wxString why = change.state == sorvik::ScheduleState::NoScheduler
                                     ? U("这台电脑上没有可用的计划任务服务，每天自动检查没有开启。")
                                     : U("系统没有接受这个每日任务，每天自动检查没有开启。");
            ShowProblem(why + U("\n") + U(change.detail) + U("\n") +
                        InsteadText(change, true, m_files.Folder()));
            m_on->SetValue(m_settings.dailyCheck);
            return;
        }
        m_settings.dailyCheck = true;
        m_settings.dailyTime = sorvik::FormatDailyTime(check.time);
    } else {
        change = sorvik::SwitchOffDailyCheck(m_files.Folder());
        if (change.state != sorvik::ScheduleState::Off) {
            ShowProblem(U("未能取消每日任务：") + U(change.detail) + U("\n") +
                        InsteadText(change, false, m_files.Folder()));
            m_on->SetValue(m_settings.dailyCheck);
            return;
        }
        m_settings.dailyCheck = false;
    }
    std::string error;
    if (!m_files.WriteSettings(m_settings, error))
        ShowProblem(U("每日任务已") + (on ? U("开启") : U("取消")) + U("，但设置未能保存：") +
                    U(error));
    else
        ShowProblem(wxString());
    ShowState();
}

}  // namespace sorvik_tracker
