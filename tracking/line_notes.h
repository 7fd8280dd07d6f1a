// Notes a seller puts on a line's checks ("改价 79→69", "换主图"), kept in
// the data folder's notes.jsonl, one note per line as a JSON object:
//
//   {"keyword":"连衣裙","target":"某店","day":"2026-12-08",
//    "checked_at":"2026-12-08T15:04:05+08:00","text":"换主图",
//    "created_at":"2026-12-09T10:00:00+08:00"}
//
// keyword and target (null in keyword-only mode) name the line, checked_at
// the check the note is on, day its local date (for people reading the
// file). The file is written whole on every change; a line that can't be
// read is kept as it is, so that a change never loses it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rank_history.h"

namespace sorvik {

struct LineNote {
    TrackKey key;
    std::int64_t when = 0;  // the check's time, seconds since 1970-01-01 UTC
    std::string text;
    std::int64_t created = 0;  // when the note was written or last changed
};

// The notes file of the data folder `folder`.
std::string NotesFile(const std::string& folder);

// One note as a line of the file, without its line feed.
std::string NoteLine(const LineNote& note);

class LineNotes {
  public:
    explicit LineNotes(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }

    // Reads the file; a missing file has no notes. Lines that are no note
    // are skipped (and kept for the next write). False, with `error` set,
    // when the file can't be read; the notes are then none, and no change
    // is written over the file.
    bool Load(std::string& error);

    const std::vector<LineNote>& All() const { return m_notes; }
    int SkippedLines() const { return static_cast<int>(m_damaged.size()); }
    // The note of `key` on the check at `when`; null when it has none.
    const LineNote* Find(const TrackKey& key, std::int64_t when) const;

    // Gives the check at `when` of `key` the note `text` (written at `now`),
    // adding it or replacing the text it had; an empty text removes it.
    // The file is written whole; false, with `error` set and the notes as
    // they were, when that fails.
    bool Set(const TrackKey& key, std::int64_t when, const std::string& text, std::int64_t now,
             std::string& error);
    bool Remove(const TrackKey& key, std::int64_t when, std::string& error) {
        return Set(key, when, std::string(), 0, error);
    }

  private:
    bool Write(const std::vector<LineNote>& notes, std::string& error) const;

    std::string m_path;
    std::vector<LineNote> m_notes;
    std::vector<std::string> m_damaged;  // lines that were no note, as read
    bool m_unread = false;               // the file could not be read
};

}  // namespace sorvik
