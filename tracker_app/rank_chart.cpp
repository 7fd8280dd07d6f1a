#include "rank_chart.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

const wxColour kBackground(255, 255, 255);
const wxColour kGrid(232, 234, 237);
const wxColour kAxis(128, 134, 139);
const wxColour kLabel(95, 99, 104);
const wxColour kLine(26, 115, 232);
const wxColour kNotRanked(154, 160, 166);
const wxColour kFailed(217, 48, 37);
const wxColour kBest(30, 142, 62);
const wxColour kLabelBacking(255, 255, 255, 210);
const wxColour kHoverBox(32, 33, 36, 235);
const wxColour kHoverText(255, 255, 255);
const wxColour kChosen(251, 188, 4);

// How far from a mark, along the time axis, the mouse still points at it.
constexpr double kHoverRadius = 12;

// The chart's text: the panel's font at the size the layout's margins
// leave room for.
wxFont ChartFont(const wxWindow& window) {
    wxFont font = window.GetFont();
    font.SetPointSize(9);
    return font;
}

wxGraphicsPen Pen(wxGraphicsContext& gc, const wxColour& colour, double width,
                  wxPenStyle style = wxPENSTYLE_SOLID) {
    return gc.CreatePen(wxGraphicsPenInfo(colour, width, style));
}

// The radius of a point: smaller as the checks crowd together, so that a
// year of them stays a line and not a smear.
double PointRadius(const sorvik::ChartLayout& layout) {
    const double spacing = (layout.right - layout.left) /
                           static_cast<double>(std::max<std::size_t>(1, layout.marks.size()));
    return std::clamp(spacing * 0.35, 1.5, 3.5);
}

}  // namespace

RankChart::RankChart(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize,
              wxFULL_REPAINT_ON_RESIZE | wxTAB_TRAVERSAL) {
    // The whole chart is painted, through a buffer: no flicker on redraw.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &RankChart::OnPaint, this);
    Bind(wxEVT_SIZE, &RankChart::OnSize, this);
    Bind(wxEVT_MOTION, &RankChart::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &RankChart::OnLeave, this);
    Bind(wxEVT_LEFT_DOWN, &RankChart::OnClick, this);
    Bind(wxEVT_RIGHT_DOWN, &RankChart::OnRightClick, this);
    Relayout();
}

void RankChart::SetChecks(std::vector<sorvik::CheckPoint> checks, Hint whenEmpty,
                          sorvik::ChartValue value) {
    m_checks = std::move(checks);
    m_hint = whenEmpty;
    m_value = value;
    m_hovered.reset();
    m_chosen.reset();
    m_notes.clear();
    m_hoveredNote.reset();
    UnsetToolTip();
    Relayout();
    Refresh();
}

void RankChart::SetChosenCheck(std::optional<std::size_t> check) {
    if (check && *check >= m_checks.size()) check.reset();
    if (check == m_chosen) return;
    m_chosen = check;
    Refresh();
}

wxString RankChart::HintText() const {
    if (!m_checks.empty()) return wxString();
    switch (m_hint) {
        case Hint::NoChecksYet:
            return U("还没有检查记录");
        case Hint::NoLines:
            return U("列表还是空的：点“添加”（Ctrl+N）加入关键词，或用“文件 → 导入列表”导入。");
        case Hint::SelectLine:
            break;
    }
    return U("选择一行查看排名变化");
}

void RankChart::Relayout() {
    m_layoutSize = GetClientSize();
    m_layout = sorvik::LayoutChart(m_checks, m_layoutSize.x, m_layoutSize.y, m_value);
}

void RankChart::DrawTo(wxGraphicsContext& gc, wxSize size) const {
    gc.SetAntialiasMode(wxANTIALIAS_DEFAULT);
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(kBackground));
    gc.DrawRectangle(0, 0, size.x, size.y);

    if (m_checks.empty()) {
        wxFont font = ChartFont(*this);
        font.SetPointSize(10);
        gc.SetFont(font, kLabel);
        const wxString hint = HintText();
        wxDouble width = 0, height = 0;
        gc.GetTextExtent(hint, &width, &height);
        gc.DrawText(hint, (size.x - width) / 2, (size.y - height) / 2);
        return;
    }
    gc.SetFont(ChartFont(*this), kLabel);

    // The panel's own layout, unless asked for another size.
    sorvik::ChartLayout other;
    if (size != m_layoutSize) other = sorvik::LayoutChart(m_checks, size.x, size.y, m_value);
    const sorvik::ChartLayout& layout = size == m_layoutSize ? m_layout : other;
    DrawChart(gc, layout);
    DrawNotes(gc, layout);
    DrawHover(gc, layout, size);
}

void RankChart::DrawChart(wxGraphicsContext& gc, const sorvik::ChartLayout& layout) const {
    using sorvik::MarkKind;
    wxDouble width = 0, height = 0;
    // A label right-aligned to the left of the rank axis, centred on `y`.
    auto leftLabel = [&](const wxString& text, double y) {
        gc.GetTextExtent(text, &width, &height);
        gc.DrawText(text, layout.left - 8 - width, y - height / 2);
    };

    // Rank grid and labels.
    gc.SetPen(Pen(gc, kGrid, 1));
    for (const sorvik::ChartTick& tick : layout.rankTicks) {
        gc.StrokeLine(layout.left, tick.position, layout.right, tick.position);
        leftLabel(U(tick.label), tick.position);
    }
    // The band of checks that ran to their end without a rank.
    gc.SetPen(Pen(gc, kGrid, 1, wxPENSTYLE_SHORT_DASH));
    gc.StrokeLine(layout.left, layout.notRankedY, layout.right, layout.notRankedY);
    leftLabel(U(layout.notRankedLabel), layout.notRankedY);
    // What the value axis counts, above it (ranks need no caption).
    if (!layout.axisCaption.empty()) {
        gc.GetTextExtent(U(layout.axisCaption), &width, &height);
        gc.DrawText(U(layout.axisCaption), layout.left + 4, std::max(0.0, layout.top - height - 1));
    }

    // Axes, and the time labels below the time axis.
    gc.SetPen(Pen(gc, kAxis, 1));
    gc.StrokeLine(layout.left, layout.top, layout.left, layout.axisY);
    gc.StrokeLine(layout.left, layout.axisY, layout.right, layout.axisY);
    const double textRight = layout.right + 16;  // labels may reach into the margin
    for (const sorvik::ChartTick& tick : layout.timeTicks) {
        gc.StrokeLine(tick.position, layout.axisY, tick.position, layout.axisY + 4);
        const wxString text = U(tick.label);
        gc.GetTextExtent(text, &width, &height);
        const double x = std::clamp(tick.labelPosition - width / 2, layout.left - width / 2,
                                    std::max(layout.left, textRight - width));
        gc.DrawText(text, x, layout.axisY + 6);
    }

    // The strip of checks of unknown time, apart from the time axis.
    if (layout.unknownTimeX) {
        gc.SetPen(Pen(gc, kAxis, 1, wxPENSTYLE_DOT));
        gc.StrokeLine(*layout.unknownTimeX, layout.top, *layout.unknownTimeX, layout.axisY);
    }

    // The best rank: a dashed line, labelled at the right above it.
    if (layout.bestRank) {
        gc.SetPen(Pen(gc, kBest, 1, wxPENSTYLE_LONG_DASH));
        gc.StrokeLine(layout.left, layout.bestY, layout.right, layout.bestY);
        gc.SetFont(ChartFont(*this), kBest);
        const wxString text = U("最佳 " + std::to_string(*layout.bestRank));
        gc.GetTextExtent(text, &width, &height);
        // On a backing of its own, readable over the points under it.
        const double x = layout.right - width, y = layout.bestY - height - 1;
        gc.SetPen(*wxTRANSPARENT_PEN);
        gc.SetBrush(wxBrush(kLabelBacking));
        gc.DrawRectangle(x - 3, y, width + 6, height);
        gc.DrawText(text, x, y);
    }

    // The chosen check: a line across the plot at its time.
    for (const sorvik::ChartMark& mark : layout.marks) {
        if (!m_chosen || mark.check != *m_chosen) continue;
        gc.SetPen(Pen(gc, kChosen, 2));
        gc.StrokeLine(mark.x, layout.top, mark.x, layout.axisY);
    }

    // The rank line, one path for all its segments.
    wxGraphicsPath line = gc.CreatePath();
    std::size_t end = layout.marks.size();  // the mark the path ends at
    for (const auto& [from, to] : layout.segments) {
        if (from != end) line.MoveToPoint(layout.marks[from].x, layout.marks[from].y);
        line.AddLineToPoint(layout.marks[to].x, layout.marks[to].y);
        end = to;
    }
    gc.SetPen(Pen(gc, kLine, 2));
    gc.StrokePath(line);

    // Points at ranks, rings in the band, crosses on the axis.
    const double radius = PointRadius(layout);
    const double cross = std::max(3.0, radius + 1);
    wxGraphicsPath points = gc.CreatePath();
    wxGraphicsPath rings = gc.CreatePath();
    wxGraphicsPath crosses = gc.CreatePath();
    for (const sorvik::ChartMark& mark : layout.marks) {
        switch (mark.kind) {
            case MarkKind::Rank:
                points.AddCircle(mark.x, mark.y, radius);
                break;
            case MarkKind::NotRanked:
                rings.AddCircle(mark.x, mark.y, radius);
                break;
            case MarkKind::Failed:
                crosses.MoveToPoint(mark.x - cross, mark.y - cross);
                crosses.AddLineToPoint(mark.x + cross, mark.y + cross);
                crosses.MoveToPoint(mark.x - cross, mark.y + cross);
                crosses.AddLineToPoint(mark.x + cross, mark.y - cross);
                break;
        }
    }
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(kLine));
    gc.FillPath(points);
    gc.SetPen(Pen(gc, kNotRanked, 1.5));
    gc.StrokePath(rings);
    gc.SetPen(Pen(gc, kFailed, 1.5));
    gc.StrokePath(crosses);
}

void RankChart::DrawHover(wxGraphicsContext& gc, const sorvik::ChartLayout& layout,
                          wxSize size) const {
    if (!m_hovered) return;
    const auto mark =
        std::find_if(layout.marks.begin(), layout.marks.end(),
                     [&](const sorvik::ChartMark& m) { return m.check == *m_hovered; });
    if (mark == layout.marks.end()) return;

    // A guide down to the time axis and a ring around the mark.
    gc.SetPen(Pen(gc, kAxis, 1, wxPENSTYLE_DOT));
    gc.StrokeLine(mark->x, layout.top, mark->x, layout.axisY);
    const wxColour colour = mark->kind == sorvik::MarkKind::Rank        ? kLine
                            : mark->kind == sorvik::MarkKind::NotRanked ? kNotRanked
                                                                        : kFailed;
    gc.SetPen(Pen(gc, colour, 2));
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
    const double ring = PointRadius(layout) + 3;
    gc.DrawEllipse(mark->x - ring, mark->y - ring, 2 * ring, 2 * ring);

    // The label box: above and to the right of the mark, below it when there
    // is no room above, to its left when there is none at the right.
    gc.SetFont(ChartFont(*this), kHoverText);
    const wxString text = U(sorvik::DescribeCheck(m_checks[*m_hovered], m_value));
    wxDouble width = 0, height = 0;
    gc.GetTextExtent(text, &width, &height);
    const double padX = 8, padY = 4;
    const double boxWidth = width + 2 * padX, boxHeight = height + 2 * padY;
    double x = mark->x + 10;
    if (x + boxWidth > size.x - 2) x = mark->x - 10 - boxWidth;
    x = std::max(2.0, x);
    double y = mark->y - boxHeight - 8;
    if (y < 2) y = mark->y + 10;
    y = std::max(2.0, std::min(y, size.y - boxHeight - 2));
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(kHoverBox));
    gc.DrawRoundedRectangle(x, y, boxWidth, boxHeight, 4);
    gc.DrawText(text, x + padX, y + padY);
}

void RankChart::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (gc) DrawTo(*gc, GetClientSize());
}

void RankChart::OnSize(wxSizeEvent& event) {
    Relayout();
    Refresh();
    event.Skip();
}

void RankChart::OnMotion(wxMouseEvent& event) {
    ShowNoteTip(event.GetX(), event.GetY());
    const std::optional<std::size_t> hovered =
        sorvik::MarkNear(m_layout, event.GetX(), event.GetY(), kHoverRadius);
    if (hovered != m_hovered) {
        m_hovered = hovered;
        Refresh();
    }
    event.Skip();
}

void RankChart::OnRightClick(wxMouseEvent& event) {
    // Anywhere above or below a check: the flag of its note is at the top,
    // its mark may be anywhere down the plot.
    std::optional<std::size_t> check;
    double distance = kHoverRadius;
    if (event.GetY() <= m_layout.axisY + kHoverRadius)
        for (const sorvik::ChartMark& mark : m_layout.marks)
            if (std::abs(mark.x - event.GetX()) <= distance) {
                distance = std::abs(mark.x - event.GetX());
                check = mark.check;
            }
    if (check) {
        if (m_clicked) m_clicked(*check);
        if (m_menu) m_menu(*check);
    }
    event.Skip();
}

void RankChart::OnLeave(wxMouseEvent& event) {
    if (m_hoveredNote) {
        m_hoveredNote.reset();
        UnsetToolTip();
    }
    if (m_hovered) {
        m_hovered.reset();
        Refresh();
    }
    event.Skip();
}

void RankChart::OnClick(wxMouseEvent& event) {
    const std::optional<std::size_t> check =
        sorvik::MarkNear(m_layout, event.GetX(), event.GetY(), kHoverRadius);
    if (check && m_clicked) m_clicked(*check);
    event.Skip();
}

}  // namespace sorvik_tracker
