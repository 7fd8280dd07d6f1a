#include "list_views.h"

#include <wx/settings.h>

#include "local_time.h"
#include "summary.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

// Column widths of the table, in pixels at 96 dpi.
const int kTableWidths[sorvik::kTableColumnCount] = {160, 200, 70, 60, 40, 60, 50, 130, 80};

}  // namespace

wxColour StateColour(sorvik::LineState state) {
    switch (state) {
        case sorvik::LineState::Failed:
            return wxColour(200, 30, 30);
        case sorvik::LineState::NeverChecked:
            return wxColour(128, 128, 128);
        case sorvik::LineState::NotRanked:
            return wxColour(90, 90, 90);
        case sorvik::LineState::Ranked:
            break;
    }
    return wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT);
}

LineTable::LineTable(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxLC_VRULES | wxBORDER_SUNKEN) {
    for (std::size_t i = 0; i < sorvik::kTableColumnCount; ++i) {
        const auto column = static_cast<sorvik::TableColumn>(i);
        const bool number =
            column == sorvik::TableColumn::Rank || column == sorvik::TableColumn::Page ||
            column == sorvik::TableColumn::Change || column == sorvik::TableColumn::BestRank;
        InsertColumn(static_cast<long>(i), U(sorvik::TableColumnCaption(column)),
                     number ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT, FromDIP(kTableWidths[i]));
    }
}

void LineTable::SetRows(std::vector<sorvik::TableRow> rows) {
    m_rows = std::move(rows);
    SetItemCount(static_cast<long>(m_rows.size()));
    Refresh();
}

void LineTable::SetRow(long row, sorvik::TableRow cells) {
    if (row < 0 || row >= Rows()) return;
    m_rows[static_cast<std::size_t>(row)] = std::move(cells);
    RefreshItem(row);
}

wxString LineTable::OnGetItemText(long item, long column) const {
    if (item < 0 || item >= Rows()) return wxString();
    const std::vector<std::string>& cells = m_rows[static_cast<std::size_t>(item)].cells;
    return column >= 0 && static_cast<std::size_t>(column) < cells.size()
               ? U(cells[static_cast<std::size_t>(column)])
               : wxString();
}

wxItemAttr* LineTable::OnGetItemAttr(long item) const {
    if (item < 0 || item >= Rows()) return nullptr;
    m_attr.SetTextColour(StateColour(m_rows[static_cast<std::size_t>(item)].state));
    return &m_attr;
}

PastChecksList::PastChecksList(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxBORDER_SUNKEN) {
    InsertColumn(0, U("检查时间"), wxLIST_FORMAT_LEFT, FromDIP(130));
    InsertColumn(1, U("结果"), wxLIST_FORMAT_LEFT, FromDIP(80));
    InsertColumn(2, U("排名"), wxLIST_FORMAT_RIGHT, FromDIP(50));
    InsertColumn(3, U("页"), wxLIST_FORMAT_RIGHT, FromDIP(40));
    m_failed.SetTextColour(StateColour(sorvik::LineState::Failed));
}

void PastChecksList::SetChecks(std::vector<sorvik::CheckPoint> checks) {
    m_checks = std::move(checks);
    SetItemCount(static_cast<long>(m_checks.size()));
    Refresh();
}

const sorvik::CheckPoint& PastChecksList::CheckAt(long item) const {
    return m_checks[m_checks.size() - 1 - static_cast<std::size_t>(item)];
}

wxString PastChecksList::OnGetItemText(long item, long column) const {
    if (item < 0 || static_cast<std::size_t>(item) >= m_checks.size()) return wxString();
    const sorvik::CheckPoint& check = CheckAt(item);
    switch (column) {
        case 0:
            return U(sorvik::ShortLocalTime(check.when));
        case 1:
            return U(sorvik::OutcomeWords(check.outcome));
        case 2:
            return check.rank > 0 ? wxString::Format("%d", check.rank) : wxString();
        case 3:
            return check.rank > 0 && check.page > 0 ? wxString::Format("%d", check.page)
                                                    : wxString();
        default:
            return wxString();
    }
}

wxItemAttr* PastChecksList::OnGetItemAttr(long item) const {
    if (item < 0 || static_cast<std::size_t>(item) >= m_checks.size()) return nullptr;
    return sorvik::IsCompletedCheck(CheckAt(item).outcome) ? nullptr : &m_failed;
}

}  // namespace sorvik_tracker
