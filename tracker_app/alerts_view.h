// 提醒: the alerts the checks raised, newest first, read from the alerts
// file at start (the scheduled runs' alerts too) and added to after each
// check of the window.
#pragma once

#include <wx/dialog.h>

#include <vector>

#include "alerts.h"

class wxListCtrl;

namespace sorvik_tracker {

class AlertsDialog : public wxDialog {
  public:
    // `topN` names the places of 跌出前N名.
    AlertsDialog(wxWindow* parent, int topN);

    // Shows `alerts` (in file order) instead of those shown.
    void SetAlerts(const std::vector<sorvik::Alert>& alerts);
    // Adds `alerts`, raised by one check, above those shown.
    void Add(const std::vector<sorvik::Alert>& alerts);
    void SetTopN(int topN) { m_topN = topN; }
    std::size_t Count() const { return m_alerts.size(); }
    const std::vector<sorvik::Alert>& Alerts() const { return m_alerts; }

    // For tests: the list.
    wxListCtrl* List() { return m_list; }

  private:
    void Fill();

    int m_topN;
    std::vector<sorvik::Alert> m_alerts;  // in file order; shown newest first
    wxListCtrl* m_list = nullptr;
};

}  // namespace sorvik_tracker
