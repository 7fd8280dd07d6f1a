// The history file: every summary appended as one JSON line, and what the
// earlier lines say about the same keyword and target.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "output_format.h"

namespace sorvik {

class RankHistory {
  public:
    explicit RankHistory(FILE* warnings) : m_warnings(warnings) {}
    ~RankHistory();
    RankHistory(const RankHistory&) = delete;
    RankHistory& operator=(const RankHistory&) = delete;

    // Reads the earlier records of `path`; a missing file has none. A line
    // that is no record (damaged, or half written by a run that was cut
    // off) is skipped with a warning. False, with `error` set, when the file
    // is a directory or cannot be read.
    bool Load(const std::string& path, std::string& error);

    // Opens the file for appending, creating it when missing. False, with
    // `error` set, when it cannot be written.
    bool OpenForAppend(std::string& error);

    // Fills in the history fields of `summary` from the earlier records of
    // its keyword and target, appends it to the file as one line in one
    // write, and counts it among the earlier records from then on.
    void Record(SummaryRecord& summary);

  private:
    using Key = std::pair<std::string, std::optional<std::string>>;  // keyword, target
    struct Track {
        std::optional<int> lastRank;  // of the latest check that ran to its end
        std::optional<int> bestRank;
    };

    void Remember(const Key& key, const std::string& outcome, std::optional<int> rank);

    FILE* m_warnings;
    std::string m_path;
    FILE* m_file = nullptr;
    bool m_endsWithLineFeed = true;  // false: the next record starts with a line feed
    bool m_writeFailed = false;
    std::map<Key, Track> m_tracks;
};

}  // namespace sorvik
