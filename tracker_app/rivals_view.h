// 对手: the sellers whose items ranked above the user's most often across
// every line in the last 7 or 30 days, from the rows the store kept, with a
// CSV export of the table.
#pragma once

#include <wx/dialog.h>

#include <memory>
#include <string>
#include <vector>

#include "competition.h"
#include "row_store.h"
#include "tracker_seams.h"

class wxChoice;
class wxListCtrl;
class wxStaticText;

namespace sorvik_tracker {

class RivalsDialog : public wxDialog {
  public:
    // Reads `store` (never null) again each time the period is changed.
    RivalsDialog(wxWindow* parent, std::shared_ptr<sorvik::RowStore> store, TrackerSeams seams);

    // Reads the rivals of the chosen period again: after a check has ended.
    void Reload();

    // For tests: the period choice (0: 7 days, 1: 30 days), the table, the
    // line under it and the export.
    wxChoice* Period() { return m_period; }
    wxListCtrl* Table() { return m_table; }
    wxString Note() const;
    void Export();

  private:
    int PeriodDays() const;

    std::shared_ptr<sorvik::RowStore> m_store;
    TrackerSeams m_seams;
    std::vector<std::vector<std::string>> m_cells;  // the table's texts, for the export
    wxChoice* m_period = nullptr;
    wxListCtrl* m_table = nullptr;
    wxStaticText* m_note = nullptr;
};

}  // namespace sorvik_tracker
