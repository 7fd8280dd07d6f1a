#include "alerts_view.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include <algorithm>
#include <iterator>

#include "alert_records.h"
#include "tracker_table.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

const char* const kCaptions[] = {"时间", "关键词", "目标", "分组", "类型", "内容"};
const int kWidths[] = {130, 110, 140, 70, 90, 420};

}  // namespace

AlertsDialog::AlertsDialog(wxWindow* parent, int topN)
    : wxDialog(parent, wxID_ANY, U("提醒"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_topN(topN) {
    const int gap = FromDIP(6);
    m_list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(900, 360)),
                            wxLC_REPORT | wxLC_HRULES | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
    for (long i = 0; i < static_cast<long>(std::size(kCaptions)); ++i)
        m_list->InsertColumn(i, U(kCaptions[i]), wxLIST_FORMAT_LEFT,
                             FromDIP(kWidths[static_cast<std::size_t>(i)]));
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(m_list, wxSizerFlags(1).Expand().Border(wxALL, gap));
    top->Add(new wxButton(this, wxID_CANCEL, U("关闭")),
             wxSizerFlags().Right().Border(wxLEFT | wxRIGHT | wxBOTTOM, gap));
    SetSizerAndFit(top);
    SetEscapeId(wxID_CANCEL);
    // Closed, it is only hidden: the window keeps adding to it.
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Hide(); });
}

void AlertsDialog::SetAlerts(const std::vector<sorvik::Alert>& alerts) {
    m_alerts = alerts;
    Fill();
}

void AlertsDialog::Add(const std::vector<sorvik::Alert>& alerts) {
    m_alerts.insert(m_alerts.end(), alerts.begin(), alerts.end());
    // As many as the file gives back at the next start.
    if (m_alerts.size() > sorvik::kMaxReadAlerts)
        m_alerts.erase(m_alerts.begin(),
                       m_alerts.end() - static_cast<std::ptrdiff_t>(sorvik::kMaxReadAlerts));
    Fill();
}

void AlertsDialog::Fill() {
    m_list->Freeze();
    m_list->DeleteAllItems();
    long row = 0;
    for (auto alert = m_alerts.rbegin(); alert != m_alerts.rend(); ++alert, ++row) {
        m_list->InsertItem(row, U(sorvik::ShortTime(alert->checkedAt)));
        const std::string cells[] = {alert->keyword, alert->target, alert->group,
                                     sorvik::AlertKindWords(alert->kind, m_topN), alert->text};
        for (int column = 1; column <= static_cast<int>(std::size(cells)); ++column)
            m_list->SetItem(row, column, U(cells[static_cast<std::size_t>(column - 1)]));
    }
    m_list->Thaw();
}

}  // namespace sorvik_tracker
