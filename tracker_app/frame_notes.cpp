// Notes on a line's checks: read from the data folder at the start, shown as
// flags on the chart and in the past checks' 备注 column, and added,
// changed or removed from the menu of a right-click on a check.
#include <wx/menu.h>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "list_views.h"
#include "local_time.h"
#include "rank_chart.h"
#include "tracker_frame.h"
#include "ui_text.h"

namespace sorvik_tracker {

using sorvik_ui::U;
using sorvik_ui::Utf8;

void TrackerFrame::SetUpNotes() {
    std::string error;
    if (!m_notes.Load(error))
        Message(U("无法读取备注 " + m_notes.Path() + "：" + error +
                  "\n\n为了不覆盖它，备注将无法添加或修改。"));
    else if (m_notes.SkippedLines() > 0)
        Message(U("备注 " + m_notes.Path() + " 中有 " + std::to_string(m_notes.SkippedLines()) +
                  " 行无法读取，已跳过（保留在文件中）。"));

    m_pastChecks->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, [this](wxListEvent& event) {
        const auto item = static_cast<std::size_t>(event.GetIndex());
        if (item >= m_shownChecks.size()) return;
        // The check right-clicked becomes the chosen one, as a click makes it.
        m_pastChecks->SetItemState(event.GetIndex(), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        const std::size_t check = m_shownChecks.size() - 1 - item;
        if (check != m_chosenCheck) ShowCompetition(check);
        ShowNoteMenu(m_pastChecks);
    });
    // The chart chooses the check before it asks for the menu.
    m_chart->OnCheckMenu([this](std::size_t) { ShowNoteMenu(m_chart); });
}

std::optional<sorvik::TrackKey> TrackerFrame::NotedKey() const {
    const std::vector<long> rows = SelectedRows();
    return rows.size() == 1 ? KeyOf(rows[0]) : std::nullopt;
}

void TrackerFrame::ShowNotes() {
    const std::optional<sorvik::TrackKey> key = NotedKey();
    std::vector<std::pair<std::size_t, std::string>> flags;
    std::vector<std::string> texts(m_shownChecks.size());
    for (std::size_t check = 0; key && check < m_shownChecks.size(); ++check) {
        // A check whose time can't be read can't carry a note.
        if (m_shownChecks[check].when == 0) continue;
        if (const sorvik::LineNote* note = m_notes.Find(*key, m_shownChecks[check].when)) {
            texts[check] = note->text;
            flags.emplace_back(check, note->text);
        }
    }
    m_chart->SetNotes(std::move(flags));
    m_pastChecks->SetNotes(std::move(texts));
}

void TrackerFrame::ShowNoteMenu(wxWindow* over) {
    const std::optional<sorvik::TrackKey> key = NotedKey();
    if (!key || !m_chosenCheck || *m_chosenCheck >= m_shownChecks.size()) return;
    const bool hasNote = m_notes.Find(*key, m_shownChecks[*m_chosenCheck].when) != nullptr;
    wxMenu menu;
    if (hasNote) {
        menu.Append(ID_EDIT_NOTE, U("编辑备注…"));
        menu.Append(ID_REMOVE_NOTE, U("删除备注"));
    } else {
        menu.Append(ID_ADD_NOTE, U("添加备注…"));
    }
    switch (m_seams.chooseFromMenu(menu, over)) {
        case ID_ADD_NOTE:
        case ID_EDIT_NOTE:
            EditNote();
            break;
        case ID_REMOVE_NOTE:
            RemoveNote();
            break;
        default:
            break;
    }
}

void TrackerFrame::EditNote() {
    const std::optional<sorvik::TrackKey> key = NotedKey();
    if (!key || !m_chosenCheck || *m_chosenCheck >= m_shownChecks.size()) return;
    const sorvik::CheckPoint check = m_shownChecks[*m_chosenCheck];
    if (check.when == 0) {
        Message(U("这次检查的时间无法读取，不能为它添加备注。"));
        return;
    }
    const sorvik::LineNote* note = m_notes.Find(*key, check.when);
    const std::optional<wxString> text =
        m_seams.enterText(U(note ? "编辑备注" : "添加备注"),
                          U(sorvik::ShortLocalTime(check.when) +
                            " 的检查：这时改了什么？（如“改价 79→69”、“换主图”）"),
                          note ? U(note->text) : wxString(), this);
    if (!text) return;
    const std::string value = Utf8(text->Strip(wxString::both));
    std::string error;
    if (!m_notes.Set(*key, check.when, value, std::time(nullptr), error))
        Message(U("无法保存备注：" + error));
    ShowNotes();
}

void TrackerFrame::RemoveNote() {
    const std::optional<sorvik::TrackKey> key = NotedKey();
    if (!key || !m_chosenCheck || *m_chosenCheck >= m_shownChecks.size()) return;
    std::string error;
    if (!m_notes.Remove(*key, m_shownChecks[*m_chosenCheck].when, error))
        Message(U("无法删除备注：" + error));
    ShowNotes();
}

}  // namespace sorvik_tracker
