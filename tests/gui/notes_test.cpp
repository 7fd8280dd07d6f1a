// Notes on a line's checks in the tracker window: added from the menu of a
// right-click on a past check, shown in the 备注 column and as a flag on the
// chart with its text as the tooltip, kept in the data folder across a
// restart, exported with the history; changed from the chart, removed.
#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/menu.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui_harness.h"
#include "list_views.h"
#include "rank_chart.h"
#include "test_environment.h"
#include "tracker_frame.h"
#include "tracker_person.h"

using namespace gui_test;
using namespace tracker_test;
using sorvik::FileText;
using sorvik_tracker::TrackerFrame;

namespace {

TEST_F(Tracker, NotesOnChecksAreAddedFromTheMenuShownEverywhereEditedAndRemoved) {
    std::filesystem::create_directories(Folder());
    std::ofstream(DataFile("keywords.txt")) << "连衣裙\t深夜小铺\n";
    std::ofstream(DataFile("history.jsonl"))
        << R"({"keyword":"连衣裙","target":"深夜小铺","mode":2,"outcome":"found","rank":30,)"
        << R"("page":1,"pages_read":1,"checked_at":"2026-12-07T09:00:00+08:00"})"
        << "\n"
        << R"({"keyword":"连衣裙","target":"深夜小铺","mode":2,"outcome":"found","rank":12,)"
        << R"("page":1,"pages_read":1,"checked_at":"2026-12-08T09:00:00+08:00"})"
        << "\n";

    // The menu offered and the text typed, answered by the test.
    std::vector<std::string> offered;
    int choose = wxID_NONE;
    std::optional<wxString> typed;
    std::string shownText;  // what the text dialog started from
    sorvik_tracker::TrackerSeams seams = m_person.Seams();
    seams.chooseFromMenu = [&](wxMenu& menu, wxWindow*) {
        offered.clear();
        for (const wxMenuItem* item : menu.GetMenuItems())
            offered.push_back(item->GetItemLabelText().utf8_string());
        return choose;
    };
    seams.enterText = [&](const wxString&, const wxString&, const wxString& initial, wxWindow*) {
        shownText = initial.utf8_string();
        return typed;
    };
    auto frame = std::make_unique<TrackerFrame>(Folder(), seams);
    frame->Show();
    Pump(100);

    auto rightClickPast = [&](long item) {
        wxListCtrl* past = frame->PastChecks();
        wxListEvent event(wxEVT_LIST_ITEM_RIGHT_CLICK, past->GetId());
        event.m_itemIndex = item;
        event.SetEventObject(past);
        past->GetEventHandler()->ProcessEvent(event);
    };
    auto mouseOnChart = [&](wxEventType type, double x, double y) {
        wxMouseEvent event(type);
        event.m_x = static_cast<int>(x);
        event.m_y = static_cast<int>(y);
        event.SetEventObject(frame->Chart());
        frame->Chart()->GetEventHandler()->ProcessEvent(event);
    };
    auto noteCell = [&](long item) {
        return frame->PastChecks()->GetItemText(item, 4).utf8_string();
    };

    // Added on the older check (the second row: newest first), with a
    // line break and quotes.
    ASSERT_EQ(frame->PastChecks()->GetItemCount(), 2);
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT);
    ASSERT_TRUE(frame->PastChecks()->GetColumn(4, column));
    EXPECT_EQ(column.GetText().utf8_string(), "备注");
    choose = sorvik_tracker::ID_ADD_NOTE;
    typed = wxString::FromUTF8("改价 79→69\n换\"主图\"");
    rightClickPast(1);
    EXPECT_EQ(offered, std::vector<std::string>{"添加备注…"});
    EXPECT_EQ(frame->Chart()->ChosenCheck(), 0u);
    EXPECT_EQ(noteCell(1), "改价 79→69 换\"主图\"");
    EXPECT_EQ(noteCell(0), "");
    const std::string notes = FileText(DataFile("notes.jsonl"));
    EXPECT_NE(notes.find(R"("keyword":"连衣裙","target":"深夜小铺")"), std::string::npos) << notes;
    EXPECT_NE(notes.find(R"("text":"改价 79→69\n换\"主图\"")"), std::string::npos) << notes;

    // Exported in the history's 备注 column, on its check only.
    m_person.file = m_dir.Path() + "/history.csv";
    Command(*frame, sorvik_tracker::ID_EXPORT_HISTORY);
    const std::string csv = FileText(m_person.file);
    EXPECT_NE(csv.find(",已读页数,备注\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",1,\"改价 79→69\n换\"\"主图\"\"\"\r\n"), std::string::npos) << csv;
    EXPECT_EQ(csv.substr(csv.size() - 5), ",1,\r\n") << csv;

    // Read again after a restart: a flag over its check on the chart, its
    // text the tooltip when the mouse is on the flag.
    frame.reset();
    Pump(50);
    frame = std::make_unique<TrackerFrame>(Folder(), seams);
    frame->Show();
    Pump(100);
    EXPECT_EQ(noteCell(1), "改价 79→69 换\"主图\"");
    const sorvik::ChartLayout& layout = frame->Chart()->CurrentLayout();
    ASSERT_EQ(layout.marks.size(), 2u);
    std::vector<sorvik_tracker::RankChart::NoteMark> flags = frame->Chart()->NoteMarks();
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_EQ(flags[0].check, 0u);
    EXPECT_DOUBLE_EQ(flags[0].x, layout.marks[0].x);
    mouseOnChart(wxEVT_MOTION, flags[0].x, layout.top + 3);
    EXPECT_EQ(frame->Chart()->HoveredNote(), std::optional<std::size_t>(0));
    EXPECT_EQ(frame->Chart()->GetToolTipText().utf8_string(), "改价 79→69\n换\"主图\"");
    mouseOnChart(wxEVT_MOTION, layout.marks[1].x, layout.top + 3);
    EXPECT_FALSE(frame->Chart()->HoveredNote());

    // Edited from a right-click on the chart, at the flag: the dialog starts
    // from the note; a cancel changes nothing.
    choose = sorvik_tracker::ID_EDIT_NOTE;
    typed.reset();
    mouseOnChart(wxEVT_RIGHT_DOWN, flags[0].x, layout.top + 3);
    EXPECT_EQ(offered, (std::vector<std::string>{"编辑备注…", "删除备注"}));
    EXPECT_EQ(shownText, "改价 79→69\n换\"主图\"");
    EXPECT_EQ(noteCell(1), "改价 79→69 换\"主图\"");
    typed = wxString::FromUTF8("换主图");
    mouseOnChart(wxEVT_RIGHT_DOWN, flags[0].x, layout.top + 3);
    EXPECT_EQ(noteCell(1), "换主图");
    EXPECT_EQ(frame->Chart()->NoteMarks().at(0).text, "换主图");
    EXPECT_NE(FileText(DataFile("notes.jsonl")).find(R"("text":"换主图")"), std::string::npos);

    // Removed: gone from the list, the chart and the file.
    choose = sorvik_tracker::ID_REMOVE_NOTE;
    rightClickPast(1);
    EXPECT_EQ(offered, (std::vector<std::string>{"编辑备注…", "删除备注"}));
    EXPECT_EQ(noteCell(1), "");
    EXPECT_TRUE(frame->Chart()->NoteMarks().empty());
    EXPECT_EQ(FileText(DataFile("notes.jsonl")), "");
    EXPECT_TRUE(m_person.messages.empty());
}

}  // namespace
