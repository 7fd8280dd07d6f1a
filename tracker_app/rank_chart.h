// The chart below the tracker window's table: the rank of the selected line
// over the time of its checks, with the check under the mouse described.
#pragma once

#include <wx/panel.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
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
    // `value`: what the value axis shows (a keyword-only line's result count).
    void SetChecks(std::vector<sorvik::CheckPoint> checks, Hint whenEmpty = Hint::SelectLine,
                   sorvik::ChartValue value = sorvik::ChartValue::Rank);

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
    // Called with the check a right-click lands on, after the click has
    // chosen it as a left click does.
    void OnCheckMenu(std::function<void(std::size_t check)> handler) {
        m_menu = std::move(handler);
    }
    wxString HintText() const;

    // The notes on the checks shown: the check (an index into the checks
    // given) and its text. Each is drawn as a flag at the top of the plot
    // above its check, its text the flag's tooltip. SetChecks forgets them.
    void SetNotes(std::vector<std::pair<std::size_t, std::string>> notes);
    struct NoteMark {
        std::size_t check = 0;
        double x = 0;  // of the flag's tip, on the current layout
        std::string text;
    };
    // The flags as drawn now, and the one whose text the tooltip shows.
    std::vector<NoteMark> NoteMarks() const { return NoteMarksOf(m_layout); }
    std::optional<std::size_t> HoveredNote() const { return m_hoveredNote; }

    // Draws the chart as it is now on `gc`, sized `size`: the panel's paint
    // handler, and a way to draw it into a bitmap.
    void DrawTo(wxGraphicsContext& gc, wxSize size) const;

  private:
    void Relayout();
    void DrawChart(wxGraphicsContext& gc, const sorvik::ChartLayout& layout) const;
    void DrawHover(wxGraphicsContext& gc, const sorvik::ChartLayout& layout, wxSize size) const;
    std::vector<NoteMark> NoteMarksOf(const sorvik::ChartLayout& layout) const;
    void DrawNotes(wxGraphicsContext& gc, const sorvik::ChartLayout& layout) const;
    void ShowNoteTip(double x, double y);

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnClick(wxMouseEvent& event);
    void OnRightClick(wxMouseEvent& event);

    std::vector<sorvik::CheckPoint> m_checks;
    Hint m_hint = Hint::SelectLine;
    sorvik::ChartValue m_value = sorvik::ChartValue::Rank;
    sorvik::ChartLayout m_layout;  // of m_checks at m_layoutSize
    wxSize m_layoutSize;
    std::optional<std::size_t> m_hovered;
    std::optional<std::size_t> m_chosen;
    std::function<void(std::size_t)> m_clicked;
    std::function<void(std::size_t)> m_menu;
    std::vector<std::pair<std::size_t, std::string>> m_notes;
    std::optional<std::size_t> m_hoveredNote;  // an index into NoteMarks()
};

}  // namespace sorvik_tracker
