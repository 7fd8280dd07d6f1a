// The window's two lists, as virtual list controls that draw their rows
// from the window's own data: the table of keyword list lines, and the past
// checks of the selected line. Filling them costs nothing per row, so a
// list of hundreds of lines or a year of checks shows at once.
#pragma once

#include <wx/listctrl.h>

#include <vector>

#include "rank_history.h"
#include "tracker_table.h"

namespace sorvik_tracker {

// The colour of a row's text by its latest check.
wxColour StateColour(sorvik::LineState state);

class LineTable : public wxListCtrl {
  public:
    explicit LineTable(wxWindow* parent);

    void SetRows(std::vector<sorvik::TableRow> rows);
    void SetRow(long row, sorvik::TableRow cells);
    const sorvik::TableRow& Row(long row) const { return m_rows[static_cast<std::size_t>(row)]; }
    long Rows() const { return static_cast<long>(m_rows.size()); }

  protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

  private:
    // Widens the target column so that the columns fill the table's width.
    void FillWidth();

    std::vector<sorvik::TableRow> m_rows;
    mutable wxItemAttr m_attr;
};

class PastChecksList : public wxListCtrl {
  public:
    explicit PastChecksList(wxWindow* parent);

    // Shows `checks` (in time order) newest first.
    void SetChecks(std::vector<sorvik::CheckPoint> checks);
    // The width that shows every column whole, with room for a scroll bar.
    int FittingWidth() const;

  protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

  private:
    const sorvik::CheckPoint& CheckAt(long item) const;

    std::vector<sorvik::CheckPoint> m_checks;
    mutable wxItemAttr m_failed;
};

}  // namespace sorvik_tracker
