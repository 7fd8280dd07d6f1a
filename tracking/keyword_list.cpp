#include "keyword_list.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "file_names.h"
#include "tracker_files.h"
#include "tracker_table.h"

namespace sorvik {

KeywordList::Stamp KeywordList::FileStamp() const {
    Stamp stamp;
    std::error_code ec;
    const std::filesystem::path file = PathFromUtf8(m_path);
    stamp.exists = std::filesystem::exists(file, ec);
    if (!stamp.exists) return stamp;
    stamp.size = std::filesystem::file_size(file, ec);
    if (ec) stamp.size = static_cast<std::uintmax_t>(-1);
    stamp.written = std::filesystem::last_write_time(file, ec);
    return stamp;
}

bool KeywordList::Load(std::string& error) {
    m_lines.clear();
    m_stamp.reset();
    const Stamp stamp = FileStamp();
    if (stamp.exists) {
        std::optional<std::vector<BatchLine>> lines = ReadBatchFile(m_path, error);
        if (!lines) return false;
        m_lines = std::move(*lines);
    }
    m_stamp = stamp;
    return true;
}

KeywordList::Reread KeywordList::ReloadIfChanged(std::string& error) {
    const Stamp stamp = FileStamp();
    if (m_stamp && *m_stamp == stamp) return Reread::Unchanged;
    std::vector<BatchLine> lines;
    if (stamp.exists) {
        std::optional<std::vector<BatchLine>> read = ReadBatchFile(m_path, error);
        if (!read) return Reread::Failed;
        lines = std::move(*read);
    }
    m_stamp = stamp;
    // Written again as it was (or touched): nothing to show anew.
    if (FormatBatchFile(lines) == FormatBatchFile(m_lines)) return Reread::Unchanged;
    m_lines = std::move(lines);
    return Reread::ReadAgain;
}

ListChange KeywordList::Save(std::vector<BatchLine> lines, std::string& error) {
    if (!WriteFileWhole(m_path, FormatBatchFile(lines), error)) return ListChange::NotSaved;
    m_lines = std::move(lines);
    m_stamp = FileStamp();
    return ListChange::Saved;
}

ListChange KeywordList::Add(BatchLine line, std::string& error) {
    // Lines added elsewhere meanwhile are kept: the new line goes after them.
    if (ReloadIfChanged(error) == Reread::Failed) return ListChange::NotSaved;
    std::vector<BatchLine> lines = m_lines;
    line.number = 0;
    lines.push_back(std::move(line));
    return Save(std::move(lines), error);
}

std::optional<ListChange> KeywordList::StaleOrUnreadable(std::string& error) {
    switch (ReloadIfChanged(error)) {
        case Reread::Failed:
            return ListChange::NotSaved;
        case Reread::ReadAgain:
            return ListChange::ReadAgain;
        case Reread::Unchanged:
            break;
    }
    return std::nullopt;
}

ListChange KeywordList::Replace(std::size_t index, BatchLine line, std::string& error) {
    if (const std::optional<ListChange> stale = StaleOrUnreadable(error)) return *stale;
    if (index >= m_lines.size()) return ListChange::ReadAgain;
    std::vector<BatchLine> lines = m_lines;
    line.number = lines[index].number;
    lines[index] = std::move(line);
    return Save(std::move(lines), error);
}

ListChange KeywordList::Remove(std::vector<std::size_t> indices, std::string& error) {
    if (const std::optional<ListChange> stale = StaleOrUnreadable(error)) return *stale;
    // From the highest down, so that each removal leaves the places of the
    // lines still to be removed as they were.
    std::sort(indices.rbegin(), indices.rend());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    if (!indices.empty() && indices.front() >= m_lines.size()) return ListChange::ReadAgain;
    std::vector<BatchLine> lines = m_lines;
    for (std::size_t index : indices)
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
    return Save(std::move(lines), error);
}

ImportReport KeywordList::Import(const std::vector<BatchLine>& read, std::string& error) {
    ImportReport report;
    if (ReloadIfChanged(error) == Reread::Failed) {
        report.change = ListChange::NotSaved;
        return report;
    }
    std::vector<BatchLine> lines = m_lines;
    for (const BatchLine& line : read) {
        std::optional<std::string> problem;
        if (!line.problem.empty())
            problem = line.problem;
        else
            problem = LineProblem(line.Mode(), line.keyword, line.target, lines);
        if (!problem) problem = GroupProblem(line.group);
        if (problem) {
            report.skipped.emplace_back(line.number, *problem);
            continue;
        }
        BatchLine kept = line;
        kept.number = 0;
        lines.push_back(std::move(kept));
        ++report.added;
    }
    if (report.added > 0) report.change = Save(std::move(lines), error);
    return report;
}

}  // namespace sorvik
