// The group filter above the table: the table shows the lines of the chosen
// group, and each of its rows stands for the list line GroupFilter names.
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "group_filter.h"
#include "list_views.h"
#include "tracker_frame.h"
#include "ui_text.h"

namespace sorvik_tracker {

using sorvik_ui::U;

void TrackerFrame::AddGroupFilter(wxWindow* parent, wxSizer* row) {
    m_groups = new GroupFilter(parent);
    row->AddSpacer(FromDIP(16));
    row->Add(new wxStaticText(parent, wxID_ANY, U("分组：")),
             wxSizerFlags().CentreVertical().Border(wxRIGHT, FromDIP(6)));
    row->Add(m_groups, 0, wxALIGN_CENTER_VERTICAL);
    m_groups->Bind(wxEVT_CHOICE, &TrackerFrame::OnGroupChosen, this);
}

void TrackerFrame::OnGroupChosen(wxCommandEvent&) {
    m_groups->TakeChoice();
    // Rows now stand for other lines: the selection starts anew, on the
    // first row, as when the window opens.
    for (long row : SelectedRows()) m_table->SetItemState(row, 0, wxLIST_STATE_SELECTED);
    FillTable();
    if (m_table->Rows() > 0)
        m_table->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                              wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    ShowSelectedHistory();
    UpdateCommands();
}

const sorvik::BatchLine& TrackerFrame::LineOfRow(long row) const {
    return m_list.Lines().at(m_groups->LineOf(row).value());
}

void TrackerFrame::SelectLine(std::size_t line) {
    FillTable();
    long row = m_groups->RowOf(line);
    if (row < 0) {
        // A line the filter hides is shown with every other line.
        m_groups->Choose(std::string());
        FillTable();
        row = m_groups->RowOf(line);
    }
    for (long other : SelectedRows()) m_table->SetItemState(other, 0, wxLIST_STATE_SELECTED);
    if (row < 0) return;
    m_table->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                          wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_table->EnsureVisible(row);
    ShowSelectedHistory();
}

}  // namespace sorvik_tracker
