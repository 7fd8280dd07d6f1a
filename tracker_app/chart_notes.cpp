// The notes on the chart's checks: a flag for each at the top of the plot,
// over its check, and its text as the tooltip while the mouse is on it.
#include <wx/brush.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "rank_chart.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

const wxColour kNote(142, 36, 170);

// The flag of a note: a triangle hanging from the top of the plot.
constexpr double kFlagHalfWidth = 5;
constexpr double kFlagHeight = 9;

}  // namespace

void RankChart::SetNotes(std::vector<std::pair<std::size_t, std::string>> notes) {
    m_notes = std::move(notes);
    m_hoveredNote.reset();
    UnsetToolTip();
    Refresh();
}

std::vector<RankChart::NoteMark> RankChart::NoteMarksOf(const sorvik::ChartLayout& layout) const {
    std::vector<NoteMark> marks;
    for (const auto& [check, text] : m_notes) {
        const auto mark =
            std::find_if(layout.marks.begin(), layout.marks.end(),
                         [check = check](const sorvik::ChartMark& m) { return m.check == check; });
        if (mark != layout.marks.end()) marks.push_back({check, mark->x, text});
    }
    return marks;
}

void RankChart::DrawNotes(wxGraphicsContext& gc, const sorvik::ChartLayout& layout) const {
    const std::vector<NoteMark> notes = NoteMarksOf(layout);
    if (notes.empty()) return;
    // A faint line from each flag down to its check, then the flags on top.
    gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(wxColour(kNote.Red(), kNote.Green(), kNote.Blue(), 90),
                                             1, wxPENSTYLE_DOT)));
    for (const NoteMark& note : notes)
        gc.StrokeLine(note.x, layout.top + kFlagHeight, note.x, layout.axisY);
    wxGraphicsPath flags = gc.CreatePath();
    for (const NoteMark& note : notes) {
        flags.MoveToPoint(note.x - kFlagHalfWidth, layout.top);
        flags.AddLineToPoint(note.x + kFlagHalfWidth, layout.top);
        flags.AddLineToPoint(note.x, layout.top + kFlagHeight);
        flags.CloseSubpath();
    }
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(kNote));
    gc.FillPath(flags);
}

void RankChart::ShowNoteTip(double x, double y) {
    // The flag under the mouse: within its width, and from a little above
    // the plot to a little below the flag.
    std::optional<std::size_t> hovered;
    const std::vector<NoteMark> notes = NoteMarks();
    if (y >= m_layout.top - 6 && y <= m_layout.top + kFlagHeight + 4)
        for (std::size_t i = 0; i < notes.size(); ++i)
            if (std::abs(notes[i].x - x) <= kFlagHalfWidth + 2) hovered = i;
    if (hovered == m_hoveredNote) return;
    m_hoveredNote = hovered;
    if (hovered)
        SetToolTip(U(notes[*hovered].text));
    else
        UnsetToolTip();
}

}  // namespace sorvik_tracker
