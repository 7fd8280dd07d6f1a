#include "group_filter.h"

#include <algorithm>

#include "tracker_table.h"
#include "ui_text.h"

namespace sorvik_tracker {

using sorvik_ui::U;

GroupFilter::GroupFilter(wxWindow* parent) : wxChoice(parent, wxID_ANY) {
    SetMinSize(wxSize(FromDIP(110), -1));
    Append(U("全部分组"));
    SetSelection(0);
}

void GroupFilter::Choose(const std::string& group) {
    m_group = group;
}

void GroupFilter::TakeChoice() {
    const int chosen = GetSelection();
    m_group = chosen > 0 && static_cast<std::size_t>(chosen) <= m_groups.size()
                  ? m_groups[static_cast<std::size_t>(chosen - 1)]
                  : std::string();
}

void GroupFilter::ShowGroupsOf(const std::vector<sorvik::BatchLine>& lines) {
    std::vector<std::string> groups = sorvik::GroupsInUse(lines);
    const auto chosen = std::find(groups.begin(), groups.end(), m_group);
    if (chosen == groups.end()) m_group.clear();
    if (groups != m_groups) {
        m_groups = std::move(groups);
        Freeze();
        Clear();
        Append(U("全部分组"));
        for (const std::string& group : m_groups) Append(U(group));
        Thaw();
        // Wide enough for the longest group, once the row is laid out again.
        InvalidateBestSize();
        if (GetContainingSizer()) GetParent()->Layout();
    }
    const auto place = std::find(m_groups.begin(), m_groups.end(), m_group);
    SetSelection(m_group.empty() ? 0 : static_cast<int>(place - m_groups.begin()) + 1);
    m_shown = sorvik::LinesInGroup(lines, m_group);
}

std::optional<std::size_t> GroupFilter::LineOf(long row) const {
    if (row < 0 || row >= Rows()) return std::nullopt;
    return m_shown[static_cast<std::size_t>(row)];
}

long GroupFilter::RowOf(std::size_t line) const {
    const auto place = std::lower_bound(m_shown.begin(), m_shown.end(), line);
    return place != m_shown.end() && *place == line ? static_cast<long>(place - m_shown.begin())
                                                    : -1;
}

}  // namespace sorvik_tracker
