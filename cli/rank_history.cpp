#include "rank_history.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "console.h"
#include "read_file.h"
#include "summary.h"

namespace sorvik {
namespace {

using Json = nlohmann::json;

// The rank of a record: null, or a whole number in the int range.
bool ReadRank(const Json& value, std::optional<int>& rank) {
    if (value.is_null()) return true;
    if (!value.is_number_integer()) return false;
    const auto number = value.get<long long>();
    if (number < 1 || number > INT_MAX) return false;
    rank = static_cast<int>(number);
    return true;
}

}  // namespace

RankHistory::~RankHistory() {
    if (m_file) std::fclose(m_file);
}

bool RankHistory::Load(const std::string& path, std::string& error) {
    m_path = path;
    std::error_code ec;
    const std::filesystem::path file = PathFromUtf8(path);
    if (!std::filesystem::exists(file, ec) && !std::filesystem::is_symlink(file, ec)) return true;
    std::optional<std::string> text = ReadInputFile(path, error);
    if (!text) {
        error = "history file: " + error;
        return false;
    }
    m_endsWithLineFeed = text->empty() || text->back() == '\n';

    int number = 0;
    for (std::size_t start = 0; start < text->size();) {
        std::size_t end = std::min(text->find('\n', start), text->size());
        const std::string line = text->substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;

        const Json record = Json::parse(line, nullptr, false);
        std::optional<int> rank;
        if (!record.is_discarded() && record.is_object() && record.contains("keyword") &&
            record["keyword"].is_string() && record.contains("outcome") &&
            record["outcome"].is_string() &&
            (!record.contains("target") || record["target"].is_null() ||
             record["target"].is_string()) &&
            (!record.contains("rank") || ReadRank(record["rank"], rank))) {
            Key key{record["keyword"].get<std::string>(), std::nullopt};
            if (record.contains("target") && record["target"].is_string())
                key.second = record["target"].get<std::string>();
            Remember(key, record["outcome"].get<std::string>(), rank);
            continue;
        }
        std::fprintf(m_warnings, "sorvik-cli: warning: history file %s, line %d: %s, skipped\n",
                     path.c_str(), number,
                     end == text->size() && !m_endsWithLineFeed ? "half written" : "no record");
    }
    return true;
}

bool RankHistory::OpenForAppend(std::string& error) {
    m_file = OpenUtf8(m_path, "ab");
    if (!m_file) {
        error = "cannot write the history file " + m_path + ": " + std::strerror(errno);
        return false;
    }
    // Unbuffered: each record goes out in the one write that appends it.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    return true;
}

void RankHistory::Record(SummaryRecord& summary) {
    const Key key{summary.keyword, summary.target};
    const Track& track = m_tracks[key];
    summary.withHistory = true;
    summary.previousRank = track.lastRank;
    summary.bestRank = track.bestRank;
    if (summary.rank) {
        if (summary.previousRank) summary.change = *summary.previousRank - *summary.rank;
        if (!summary.bestRank || *summary.rank < *summary.bestRank) summary.bestRank = summary.rank;
    }
    Remember(key, summary.outcome, summary.rank);

    std::string line = FormatSummary(OutputFormat::Json, summary);
    if (!m_endsWithLineFeed) line.insert(0, "\n");
    if (std::fwrite(line.data(), 1, line.size(), m_file) == line.size()) {
        m_endsWithLineFeed = true;
    } else {
        m_endsWithLineFeed = false;
        if (!m_writeFailed)
            std::fprintf(m_warnings, "sorvik-cli: warning: cannot write the history file %s\n",
                         m_path.c_str());
        m_writeFailed = true;
    }
}

void RankHistory::Remember(const Key& key, const std::string& outcome, std::optional<int> rank) {
    if (!IsCompletedCheck(outcome)) return;  // a failed check says nothing of the rank
    Track& track = m_tracks[key];
    track.lastRank = rank;
    if (rank && (!track.bestRank || *rank < *track.bestRank)) track.bestRank = rank;
}

}  // namespace sorvik
