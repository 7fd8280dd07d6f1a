// Beside the chart: the items that ranked above the user's in the chosen
// check of the selected line, each with what changed since the check
// before, or one line that says why there is nothing to show.
#pragma once

#include <wx/listctrl.h>
#include <wx/panel.h>

#include <array>
#include <functional>
#include <vector>

#include "competition.h"

class wxStaticText;

namespace sorvik_tracker {

// The rows of the competition, drawn from the view's own data.
class CompetitionList : public wxListCtrl {
  public:
    explicit CompetitionList(wxWindow* parent);

    void SetRows(std::vector<sorvik::CompetitorRow> rows);
    // The width at which the usual numbers and changes show whole.
    int MinimumWidth() const;
    const sorvik::CompetitorRow& Row(long item) const {
        return m_rows[static_cast<std::size_t>(item)];
    }

  protected:
    wxString OnGetItemText(long item, long column) const override;

  private:
    enum Column : long { kRank, kTitle, kSeller, kPrice, kSales, kChange, kColumnCount };
    // Works out each column's width for its widest text.
    void MeasureColumns();
    // Sets the widths so that the columns fill the list's width.
    void FitColumns();

    std::vector<sorvik::CompetitorRow> m_rows;
    std::array<int, kColumnCount> m_fitting{};  // widest text and padding, per column
};

class CompetitionView : public wxPanel {
  public:
    // `openLink` receives the link of an item double-clicked in the list.
    CompetitionView(wxWindow* parent, std::function<void(const wxString& link)> openLink);

    // Shows `rows` under `heading`.
    void ShowRows(std::vector<sorvik::CompetitorRow> rows, const wxString& heading);
    // Shows no rows, only `note`: why there is nothing to compare.
    void ShowNote(const wxString& note);

    // For tests: the list and the line above it.
    CompetitionList* List() { return m_list; }
    wxString Heading() const;

  private:
    void OnItemActivated(wxListEvent& event);

    std::function<void(const wxString&)> m_openLink;
    wxStaticText* m_heading = nullptr;
    CompetitionList* m_list = nullptr;
};

}  // namespace sorvik_tracker
