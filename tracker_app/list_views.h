// The window's two lists, as virtual list controls that draw their rows
// from the window's own data: the table of keyword list lines, and the past
// checks of the selected line. Filling them costs nothing per row, so a
// list of hundreds of lines or a year of checks shows at once.
#pragma once

#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <string>
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

    // The text in the middle of an empty table that says how to begin; null
    // while the table has rows.
    const wxStaticText* EmptyHint() const;
    // The tool tip of the row at `point` (in client coordinates): the link
    // of an item line shown by its title; empty otherwise.
    wxString RowTip(const wxPoint& point) const;

  protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

  private:
    // Widens the target column so that the columns fill the table's width.
    void FillWidth();
    // Shows the empty table's hint, centred, when there are no rows.
    void PlaceHint();
    void OnMouseMove(wxMouseEvent& event);

    std::vector<sorvik::TableRow> m_rows;
    mutable wxItemAttr m_attr;
    wxStaticText* m_hint = nullptr;
};

class PastChecksList : public wxListCtrl {
  public:
    explicit PastChecksList(wxWindow* parent);

    // Shows `checks` (in time order) newest first, without notes.
    void SetChecks(std::vector<sorvik::CheckPoint> checks);
    // The note of each check in its 备注 column (by index into the checks
    // given; empty: none).
    void SetNotes(std::vector<std::string> notes);
    // The width that shows every column whole, with room for a scroll bar.
    int FittingWidth() const;

  protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

  private:
    const sorvik::CheckPoint& CheckAt(long item) const;

    std::vector<sorvik::CheckPoint> m_checks;
    std::vector<std::string> m_notes;
    mutable wxItemAttr m_failed;
};

}  // namespace sorvik_tracker
