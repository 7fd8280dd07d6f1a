// The choice above the tracker's table of the group whose lines it shows
// (全部分组: every line), and which list line each shown row is.
#pragma once

#include <wx/choice.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch_file.h"

namespace sorvik_tracker {

class GroupFilter : public wxChoice {
  public:
    explicit GroupFilter(wxWindow* parent);

    // Offers the groups of `lines` after 全部分组 and works out the lines
    // the table shows: those of the chosen group while a line still has
    // it, else every line.
    void ShowGroupsOf(const std::vector<sorvik::BatchLine>& lines);
    // Chooses `group` (UTF-8; empty: every line) for the next ShowGroupsOf.
    void Choose(const std::string& group);
    // Chooses the group the user picked, for the next ShowGroupsOf.
    void TakeChoice();

    // The chosen group; empty when every line shows.
    const std::string& Group() const { return m_group; }
    // How many rows show, the place in the list of the line in `row`
    // (none past the rows), and the row of the line at `line` (-1 when the
    // filter hides it).
    long Rows() const { return static_cast<long>(m_shown.size()); }
    std::optional<std::size_t> LineOf(long row) const;
    long RowOf(std::size_t line) const;

  private:
    std::string m_group;
    std::vector<std::string> m_groups;  // offered after 全部分组, in order
    std::vector<std::size_t> m_shown;   // the lines shown, by their places in the list
};

}  // namespace sorvik_tracker
