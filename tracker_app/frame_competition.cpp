// The history pane's competition: the store of the rows each check saw,
// the items above the user's in the chosen check with what changed since
// the check before, why the rank moved, and the rivals dialog.
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/stattext.h>

#include <algorithm>

#include "competition_view.h"
#include "list_views.h"
#include "local_time.h"
#include "rank_chart.h"
#include "rivals_view.h"
#include "search_mode.h"
#include "summary.h"
#include "tracker_frame.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

// The stored check that is `point`: made at the same second, ended alike.
// The latest such, should two checks of the line share a second.
const sorvik::StoredCheck* StoredOf(const std::vector<sorvik::StoredCheck>& stored,
                                    const sorvik::CheckPoint& point) {
    const sorvik::StoredCheck* found = nullptr;
    for (const sorvik::StoredCheck& check : stored)
        if (check.checkedAt == point.when && check.outcome == point.outcome) found = &check;
    return found;
}

// What the list of the competition is about.
std::string HeadingOf(const sorvik::StoredCheck& check, std::size_t rows) {
    std::string heading = sorvik::ShortLocalTime(check.checkedAt) + "  ";
    const std::string count = std::to_string(rows);
    if (check.mode == sorvik::kModeKeyword) return heading + "第 1 页的 " + count + " 个宝贝";
    if (check.rank && rows == 0) return heading + "你排第 1 名，前面没有别的宝贝";
    if (check.rank)
        return heading + "排在你前面的 " + count + " 个宝贝（你排第 " +
               std::to_string(*check.rank) + " 名）";
    if (rows == 0) return heading + "这次检查没有搜到宝贝";
    return heading + "没有找到你的宝贝，读到的 " + count + " 个宝贝都在你前面";
}

}  // namespace

wxWindow* TrackerFrame::BuildHistoryPane(wxWindow* parent) {
    const long style = wxSP_LIVE_UPDATE | wxSP_3D;
    auto* pane = new wxPanel(parent);
    auto* below = new wxSplitterWindow(pane, wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
    below->SetMinimumPaneSize(FromDIP(120));
    m_chart = new RankChart(below);
    m_chart->OnCheckClicked([this](std::size_t check) {
        if (check >= m_shownChecks.size()) return;
        ShowCompetition(check);
        // The past checks show the chosen one selected too.
        const long item = static_cast<long>(m_shownChecks.size() - 1 - check);
        m_pastChecks->SetItemState(item, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        m_pastChecks->EnsureVisible(item);
    });

    auto* side = new wxSplitterWindow(below, wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
    side->SetMinimumPaneSize(FromDIP(120));
    m_competition =
        new CompetitionView(side, [this](const wxString& link) { m_seams.openLink(link); });
    m_pastChecks = new PastChecksList(side);
    m_pastChecks->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
        const auto item = static_cast<std::size_t>(event.GetIndex());
        if (item < m_shownChecks.size()) {
            const std::size_t check = m_shownChecks.size() - 1 - item;
            if (check != m_chosenCheck) ShowCompetition(check);
        }
    });
    side->SplitVertically(m_competition, m_pastChecks);
    side->SetSashGravity(1.0);
    below->SplitVertically(m_chart, side);
    below->SetSashGravity(0.5);

    // Why the rank moved, under the chart and across the pane: a sentence
    // longer than the chart is wide.
    m_why = new wxStaticText(pane, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                             wxST_ELLIPSIZE_END);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(below, wxSizerFlags(1).Expand());
    sizer->Add(m_why, wxSizerFlags().Expand().Border(wxTOP, FromDIP(3)));
    pane->SetSizer(sizer);

    m_below = below;
    m_side = side;
    return pane;
}

void TrackerFrame::PlaceHistoryPane() {
    // The past checks as wide as their columns; the chart a third of the
    // width, less where the competition would not show its numbers whole,
    // never under a quarter; the competition the rest.
    const int width = m_below->GetClientSize().GetWidth();
    const int sashes = 2 * m_below->GetSashSize();
    const int chart = std::clamp(
        width - sashes - m_pastChecks->FittingWidth() - m_competition->List()->MinimumWidth(),
        width / 4, width / 3);
    m_below->SetSashPosition(chart);
    m_side->SetSashPosition(m_side->GetClientSize().GetWidth() - m_pastChecks->FittingWidth());
}

void TrackerFrame::OpenStore() {
    // A folder that can't be written was said already: nothing is checked.
    if (!m_folderWritable) return;
    std::string report;
    std::unique_ptr<sorvik::RowStore> store = sorvik::RowStore::Open(m_files.StoreFile(), report);
    if (store) {
        store->SetRetentionDays(m_settings.storeDays);
        m_store = std::move(store);
        // A report with a store: a damaged one was set aside for a new one.
        if (!report.empty())
            Message(U("宝贝行的存储无法使用，原文件已改名保存，并新建了一个。\n\n" + report));
    } else {
        Message(U("无法打开宝贝行的存储 " + m_files.StoreFile() + "：" + report +
                  "\n\n检查照常进行和记录，但不保存看到的宝贝，排在你前面的宝贝和对手无法显示。"));
    }
}

void TrackerFrame::ShowCompetition(std::optional<std::size_t> check) {
    m_why->SetLabelText(wxString());
    m_why->UnsetToolTip();
    if (m_shownChecks.empty()) {
        m_chosenCheck.reset();
        m_chart->SetChosenCheck(std::nullopt);
        m_competition->ShowNote(U(SelectedRows().size() == 1 ? "这一行还没有检查记录"
                                                             : "选择一行查看排在你前面的宝贝"));
        return;
    }
    const std::size_t index =
        std::min(check.value_or(m_shownChecks.size() - 1), m_shownChecks.size() - 1);
    m_chosenCheck = index;
    m_chart->SetChosenCheck(index);
    const sorvik::CheckPoint& point = m_shownChecks[index];
    const std::vector<long> rows = SelectedRows();
    const std::optional<sorvik::RankHistory::Key> key =
        rows.size() == 1 ? KeyOf(rows[0]) : std::nullopt;
    if (!key) {
        m_competition->ShowNote(U("选择一行查看排在你前面的宝贝"));
        return;
    }
    if (!sorvik::IsCompletedCheck(point.outcome)) {
        m_competition->ShowNote(
            U("这次检查失败（" + sorvik::OutcomeWords(point.outcome) + "），没有排名可比"));
        return;
    }
    if (!m_store) {
        m_competition->ShowNote(U("宝贝行的存储无法打开，没有排名可比"));
        return;
    }
    // A check is found in the store by its time.
    if (point.when <= 0) {
        m_competition->ShowNote(U("这次检查的时间无法读取，找不到它的宝贝行"));
        return;
    }

    // The check before it to compare with: the latest one before it that
    // ran to its end.
    const sorvik::CheckPoint* previous = nullptr;
    for (const sorvik::CheckPoint& other : m_shownChecks)
        if (sorvik::IsCompletedCheck(other.outcome) && other.when > 0 && other.when < point.when &&
            (!previous || other.when >= previous->when))
            previous = &other;
    const auto mode = static_cast<std::int32_t>(LineOfRow(rows[0]).Mode());
    const std::vector<sorvik::StoredCheck> stored = m_store->ChecksOf(
        key->keyword, key->target.value_or(std::string()), mode,
        previous ? previous->when : point.when, sorvik::RowStore::RowDetail::Whole);
    const sorvik::StoredCheck* chosen = StoredOf(stored, point);
    if (!chosen) {
        m_competition->ShowNote(U("这次检查没有保存宝贝行"));
        return;
    }
    const sorvik::StoredCheck* before = previous ? StoredOf(stored, *previous) : nullptr;
    std::vector<sorvik::CompetitorRow> competition = sorvik::CompetitionOf(*chosen, before);
    const std::string heading = HeadingOf(*chosen, competition.size());
    m_competition->ShowRows(std::move(competition), U(heading));
    // The whole sentence under the mouse, should the line cut it short.
    const wxString why = U(sorvik::ExplainMove(*chosen, before));
    m_why->SetLabelText(why);
    m_why->SetToolTip(why);
}

void TrackerFrame::OnShowRivals(wxCommandEvent&) {
    if (!m_store) {
        Message(U("宝贝行的存储无法打开，没有对手可看。"));
        return;
    }
    if (m_rivals)
        m_rivals->Reload();
    else
        m_rivals = new RivalsDialog(this, m_store, m_seams);
    m_rivals->Show();
    m_rivals->Raise();
}

}  // namespace sorvik_tracker
