// The chart below the tracker window's table: the rank of the selected line
// over the time of its checks, with the check under the mouse described.
#pragma once

#include <wx/panel.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "chart_layout.h"
#include "rank_history.h"

class wxGraphicsContext;
class wxMouseEvent;
class wxPaintEvent;
class wxSizeEvent;

namespace sorvik_tracker {

class RankChart : public wxPanel {
  public:
    // What the chart says when it has no checks to draw.
    enum class Hint {
        SelectLine,   // "选择一行查看排名变化": no line is selected
        NoChecksYet,  // "还没有检查记录": the selected line was never checked
        NoLines,      // how to begin: the list has no lines
    };

    explicit RankChart(wxWindow* parent, wxWindowID id = wxID_ANY);

    // Shows `checks` (of one line, in any order); with none, the hint
    // `whenEmpty`. Forgets the check under the mouse.
    void SetChecks(std::vector<sorvik::CheckPoint> checks, Hint whenEmpty = Hint::SelectLine);

    // What the chart shows now: the layout at its client size, the check
    // under the mouse (an index into the checks given), and the hint drawn
    // instead of a chart (empty while there are checks).
    const sorvik::ChartLayout& CurrentLayout() const { return m_layout; }
    std::optional<std::size_t> HoveredCheck() const { return m_hovered; }

    // The check whose competition shows beside the chart (an index into the
    // checks given), marked by a line across the plot; none: no mark.
    void SetChosenCheck(std::optional<std::size_t> check);
    std::optional<std::size_t> ChosenCheck() const { return m_chosen; }
    // Called with the check a click lands on.
    void OnCheckClicked(std::function<void(std::size_t check)> handler) {
        m_clicked = std::move(handler);
    }
    wxString HintText() const;

    // Draws the chart as it is now on `gc`, sized `size`: the panel's paint
    // handler, and a way to draw it into a bitmap.
    void DrawTo(wxGraphicsContext& gc, wxSize size) const;

  private:
    void Relayout();
    void DrawChart(wxGraphicsContext& gc, const sorvik::ChartLayout& layout) const;
    void DrawHover(wxGraphicsContext& gc, const sorvik::ChartLayout& layout, wxSize size) const;

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnClick(wxMouseEvent& event);

    std::vector<sorvik::CheckPoint> m_checks;
    Hint m_hint = Hint::SelectLine;
    sorvik::ChartLayout m_layout;  // of m_checks at m_layoutSize
    wxSize m_layoutSize;
    std::optional<std::size_t> m_hovered;
    std::optional<std::size_t> m_chosen;
    std::function<void(std::size_t)> m_clicked;
};

}  // namespace sorvik_tracker
