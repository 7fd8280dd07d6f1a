// The tracker window's tests drive it as a person would: the person's
// answers and what the window showed them, the window's commands, and a
// data folder for each test.
#pragma once

#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/radiobox.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "group_filter.h"
#include "gui_harness.h"
#include "line_dialog.h"
#include "local_time.h"
#include "schedule_dialog.h"
#include "tracker_frame.h"
#include "tracker_table.h"

namespace tracker_test {

using gui_test::Click;
using gui_test::Pump;
using gui_test::PumpUntil;
using sorvik_tracker::LineDialog;
using sorvik_tracker::TrackerFrame;

// A line as typed into the form: mode 1 to 3, keyword, target.
struct Typed {
    int mode;
    std::string keyword;
    std::string target;
};

// Seams that record messages and answer the form and the questions from
// queues the test fills.
class Person {
  public:
    sorvik_tracker::TrackerSeams Seams() {
        sorvik_tracker::TrackerSeams seams;
        seams.message = [this](const wxString& text, wxWindow*) {
            messages.push_back(text.utf8_string());
        };
        seams.ask = [this](const wxString& question, wxWindow*) {
            questions.push_back(question.utf8_string());
            return yes;
        };
        seams.openLink = [this](const wxString& link) { links.push_back(link.utf8_string()); };
        seams.chooseFile = [this](const wxString&, const wxString&, const wxString&, bool,
                                  wxWindow*) { return wxString::FromUTF8(file); };
        seams.editLine = [this](LineDialog& dialog) {
            // Filled in and accepted inside the form's own modal loop; a
            // form that stays open (its check failed) is cancelled.
            dialog.CallAfter([this, &dialog] {
                const Typed typed = toType;
                dialog.ModeChoice()->SetSelection(typed.mode - 1);
                wxCommandEvent chosen(wxEVT_RADIOBOX, dialog.ModeChoice()->GetId());
                chosen.SetInt(typed.mode - 1);
                chosen.SetEventObject(dialog.ModeChoice());
                dialog.ModeChoice()->GetEventHandler()->ProcessEvent(chosen);
                dialog.KeywordField()->ChangeValue(wxString::FromUTF8(typed.keyword));
                dialog.TargetField()->ChangeValue(wxString::FromUTF8(typed.target));
                groupShown = dialog.GroupField()->GetValue().utf8_string();
                if (groupToType) dialog.GroupField()->SetValue(wxString::FromUTF8(*groupToType));
                buttons = dialog.FindWindow(wxID_OK)->GetLabel().utf8_string() + "/" +
                          dialog.FindWindow(wxID_CANCEL)->GetLabel().utf8_string();
                Click(dialog, wxID_OK);
                if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
            });
            return dialog.ShowModal() == wxID_OK;
        };
        // The window giving up on a check it can't stop would end the test
        // program too: the test in which it happens fails instead.
        seams.endProgramNow = [] { ADD_FAILURE() << "the window ended the program"; };
        return seams;
    }

    Typed toType;
    std::optional<std::string> groupToType;  // none: the group as the form shows it
    std::string groupShown;                  // the group the form showed when it opened
    std::string buttons;                     // the labels of the form's OK and Cancel
    std::string file;
    bool yes = true;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> links;  // handed to the browser
};

inline void Command(TrackerFrame& frame, int id) {
    wxCommandEvent command(wxEVT_MENU, id);
    frame.ProcessWindowEvent(command);
}

inline bool CheckToTheEnd(TrackerFrame& frame, int id, int timeoutMs = 60000) {
    Command(frame, id);
    if (!frame.Checking()) return false;
    return PumpUntil([&] { return !frame.Checking(); }, timeoutMs);
}

// Chooses item `item` of the group filter as a person would.
inline void ChooseGroup(TrackerFrame& frame, int item) {
    sorvik_tracker::GroupFilter* groups = frame.Groups();
    groups->SetSelection(item);
    wxCommandEvent chosen(wxEVT_CHOICE, groups->GetId());
    chosen.SetInt(item);
    chosen.SetEventObject(groups);
    groups->GetEventHandler()->ProcessEvent(chosen);
    Pump(50);
}

// Drives the daily check's dialog inside its modal loop, then closes it.
inline void WithScheduleDialog(TrackerFrame& frame,
                               const std::function<void(sorvik_tracker::ScheduleDialog&)>& use) {
    bool used = false;
    frame.CallAfter([&] {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<sorvik_tracker::ScheduleDialog*>(window);
            if (!dialog || !dialog->IsModal()) continue;
            use(*dialog);
            used = true;
            dialog->EndModal(wxID_CANCEL);
        }
    });
    Command(frame, sorvik_tracker::ID_DAILY_CHECK);
    EXPECT_TRUE(used);
}

// Each of `columns` of `list` (every column when empty) is wider than its
// widest text.
inline void ExpectTextsWhole(wxListCtrl& list, std::vector<int> columns, const char* what) {
    if (columns.empty())
        for (int column = 0; column < list.GetColumnCount(); ++column) columns.push_back(column);
    for (int column : columns) {
        int widest = 0;
        for (long row = 0; row < list.GetItemCount(); ++row)
            widest = std::max(widest, list.GetTextExtent(list.GetItemText(row, column)).GetWidth());
        EXPECT_LT(widest, list.GetColumnWidth(column)) << what << ", column " << column;
    }
}

// The columns of `list` lie inside its width.
inline void ExpectColumnsInside(wxListCtrl& list, const char* what) {
    int columns = 0;
    for (int column = 0; column < list.GetColumnCount(); ++column)
        columns += list.GetColumnWidth(column);
    EXPECT_LE(columns, list.GetClientSize().GetWidth()) << what;
}

inline std::string Cell(TrackerFrame& frame, long row, sorvik::TableColumn column) {
    return frame.Table()->GetItemText(row, static_cast<int>(column)).utf8_string();
}

inline void Select(TrackerFrame& frame, long row) {
    wxListCtrl* table = frame.Table();
    for (long i = 0; i < table->GetItemCount(); ++i)
        table->SetItemState(i, i == row ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    Pump(50);
}

// A data folder of its own for each test, and the person at the window.
class Tracker : public testing::Test {
  protected:
    std::string Folder() const { return m_dir.Path() + "/data"; }
    std::string DataFile(const char* name) const { return Folder() + "/" + name; }
    // The data folder with `list` as its keyword list and a history of one
    // check a day ago that found 连衣裙 / 深夜小铺 at rank 5 (the demo
    // marketplace ranks it 57th).
    void WriteListRankedFifthADayAgo(const std::string& list) const {
        std::filesystem::create_directories(Folder());
        std::ofstream(DataFile("keywords.txt")) << list;
        std::ofstream(DataFile("history.jsonl"))
            << R"({"keyword":"连衣裙","target":"深夜小铺","mode":2,"outcome":"found","rank":5,)"
            << R"("page":1,"pages_read":1,"checked_at":")"
            << sorvik::LocalTimestamp(std::time(nullptr) - 86400) << "\"}\n";
    }
    gui_test::TempWorkDir m_dir;
    Person m_person;
};

}  // namespace tracker_test
