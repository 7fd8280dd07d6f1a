#include "list_views.h"

#include <wx/settings.h>

#include <algorithm>

#include "local_time.h"
#include "summary.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

// Column widths of the table, in pixels at 96 dpi.
const int kTableWidths[sorvik::kTableColumnCount] = {160, 200, 70, 80, 60, 40, 60, 50, 130, 80};

}  // namespace

wxColour StateColour(sorvik::LineState state) {
    // Only a failed check stands out: grey would read as a disabled row.
    if (state == sorvik::LineState::Failed) return wxColour(200, 30, 30);
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
    m_hint = new wxStaticText(this, wxID_ANY, U(sorvik::EmptyListHint()), wxDefaultPosition,
                              wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL);
    m_hint->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter(&LineTable::FillWidth);
        CallAfter(&LineTable::PlaceHint);
    });
    // Where the rows are drawn by an inner window, it passes its mouse
    // events on to the list first.
    Bind(wxEVT_MOTION, &LineTable::OnMouseMove, this);
}

const wxStaticText* LineTable::EmptyHint() const {
    return m_rows.empty() ? m_hint : nullptr;
}

void LineTable::PlaceHint() {
    m_hint->Show(m_rows.empty());
    if (!m_rows.empty()) return;
    // Wrapped to the table's width, in the middle of where the rows would be.
    const wxSize client = GetClientSize();
    m_hint->SetLabel(U(sorvik::EmptyListHint()));
    m_hint->Wrap(std::max(FromDIP(200), client.GetWidth() - FromDIP(40)));
    const wxSize size = m_hint->GetBestSize();
    m_hint->SetSize((client.GetWidth() - size.GetWidth()) / 2,
                    std::max(FromDIP(30), (client.GetHeight() - size.GetHeight()) / 2),
                    size.GetWidth(), size.GetHeight());
    m_hint->Raise();
}

wxString LineTable::RowTip(const wxPoint& point) const {
    int flags = 0;
    const long item = HitTest(point, flags);
    if (item < 0 || item >= Rows()) return wxString();
    const sorvik::TableRow& row = m_rows[static_cast<std::size_t>(item)];
    if (row.itemTitle.empty()) return wxString();
    return U(row.cells[static_cast<std::size_t>(sorvik::TableColumn::Target)]);
}

void LineTable::OnMouseMove(wxMouseEvent& event) {
    event.Skip();
    const wxString tip = RowTip(event.GetPosition());
    if (tip.empty())
        UnsetToolTip();
    else if (GetToolTipText() != tip)
        SetToolTip(tip);
}

void LineTable::FillWidth() {
    const int target = static_cast<int>(sorvik::TableColumn::Target);
    int others = 0;
    for (int i = 0; i < GetColumnCount(); ++i)
        if (i != target) others += GetColumnWidth(i);
    // A little short of the width, so that no horizontal scroll bar shows.
    const int width = GetClientSize().GetWidth() - others - FromDIP(4);
    SetColumnWidth(target, std::max(FromDIP(kTableWidths[target]), width));
}

void LineTable::SetRows(std::vector<sorvik::TableRow> rows) {
    m_rows = std::move(rows);
    SetItemCount(static_cast<long>(m_rows.size()));
    PlaceHint();
    Refresh();
}

void LineTable::SetRow(long row, sorvik::TableRow cells) {
    if (row < 0 || row >= Rows()) return;
    m_rows[static_cast<std::size_t>(row)] = std::move(cells);
    RefreshItem(row);
}

wxString LineTable::OnGetItemText(long item, long column) const {
    if (item < 0 || item >= Rows()) return wxString();
    const sorvik::TableRow& row = m_rows[static_cast<std::size_t>(item)];
    const std::vector<std::string>& cells = row.cells;
    if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return wxString();
    const wxString text = U(row.Shown(static_cast<sorvik::TableColumn>(column)));
    return row.alerted && column == static_cast<long>(sorvik::TableColumn::Outcome)
               ? wxString::FromUTF8("⚠ ") + text
               : text;
}

wxItemAttr* LineTable::OnGetItemAttr(long item) const {
    if (item < 0 || item >= Rows()) return nullptr;
    const sorvik::TableRow& row = m_rows[static_cast<std::size_t>(item)];
    m_attr.SetTextColour(StateColour(row.state));
    // A line with an alert not seen yet stands out.
    wxFont font = GetFont();
    if (row.alerted) font.MakeBold();
    m_attr.SetFont(font);
    return &m_attr;
}

PastChecksList::PastChecksList(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxBORDER_SUNKEN) {
    // Each column as wide as its widest text in the window's font, so that
    // a failed check's outcome shows whole.
    auto width = [this](const char* widest) {
        return GetTextExtent(U(widest)).GetWidth() + FromDIP(14);
    };
    InsertColumn(0, U("检查时间"), wxLIST_FORMAT_LEFT, width("2026-12-08 23:59"));
    InsertColumn(1, U("结果"), wxLIST_FORMAT_LEFT, width("下载失败"));
    InsertColumn(2, U("排名"), wxLIST_FORMAT_RIGHT, width("9999"));
    InsertColumn(3, U("页"), wxLIST_FORMAT_RIGHT, width("100"));
    InsertColumn(4, U("备注"), wxLIST_FORMAT_LEFT, width("改价 79→69"));
    m_failed.SetTextColour(StateColour(sorvik::LineState::Failed));
}

void PastChecksList::SetChecks(std::vector<sorvik::CheckPoint> checks) {
    // A selection would name another check once the list is filled anew.
    for (long item = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); item != -1;
         item = GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        SetItemState(item, 0, wxLIST_STATE_SELECTED);
    m_checks = std::move(checks);
    m_notes.clear();
    SetItemCount(static_cast<long>(m_checks.size()));
    Refresh();
}

void PastChecksList::SetNotes(std::vector<std::string> notes) {
    m_notes = std::move(notes);
    Refresh();
}

int PastChecksList::FittingWidth() const {
    int width = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this) + FromDIP(8);
    for (int i = 0; i < GetColumnCount(); ++i) width += GetColumnWidth(i);
    return width;
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
        case 4: {
            // A note of several lines on one line of the list.
            const std::size_t index = m_checks.size() - 1 - static_cast<std::size_t>(item);
            wxString note = index < m_notes.size() ? U(m_notes[index]) : wxString();
            note.Replace("\r\n", " ");
            note.Replace("\n", " ");
            return note;
        }
        default:
            return wxString();
    }
}

wxItemAttr* PastChecksList::OnGetItemAttr(long item) const {
    if (item < 0 || static_cast<std::size_t>(item) >= m_checks.size()) return nullptr;
    return sorvik::IsCompletedCheck(CheckAt(item).outcome) ? nullptr : &m_failed;
}

}  // namespace sorvik_tracker
