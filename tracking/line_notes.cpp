#include "line_notes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "file_names.h"
#include "flat_json.h"
#include "local_time.h"
#include "read_file.h"
#include "tracker_files.h"

namespace sorvik {
namespace {

// The longest line read as a note: far beyond any note typed by hand.
constexpr std::size_t kMaxLine = 1 << 20;

// `text` as a JSON string; control characters (a note's line breaks among
// them) escaped, bytes that are no UTF-8 replaced by U+FFFD.
std::string JsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string LocalDay(std::int64_t when) {
    std::tm local{};
    char day[16] = "";
    if (ToLocalTime(static_cast<std::time_t>(when), local))
        std::strftime(day, sizeof day, "%Y-%m-%d", &local);
    return day;
}

// The note on `line`; none when the line is not one.
std::optional<LineNote> ReadNote(FlatObject& object, std::string_view line) {
    if (!object.Read(line)) return std::nullopt;
    const FlatValue* keyword = object.Find("keyword");
    const FlatValue* target = object.Find("target");
    const FlatValue* checkedAt = object.Find("checked_at");
    const FlatValue* text = object.Find("text");
    const FlatValue* created = object.Find("created_at");
    using Kind = FlatValue::Kind;
    if (!keyword || keyword->kind != Kind::Text || keyword->text.empty()) return std::nullopt;
    if (target && target->kind != Kind::Text && target->kind != Kind::Null) return std::nullopt;
    if (!checkedAt || checkedAt->kind != Kind::Text || !text || text->kind != Kind::Text ||
        text->text.empty())
        return std::nullopt;
    const std::optional<std::int64_t> when = ParseTimestamp(std::string(checkedAt->text));
    if (!when) return std::nullopt;
    LineNote note;
    note.key.keyword = std::string(keyword->text);
    if (target && target->kind == Kind::Text) note.key.target = std::string(target->text);
    note.when = *when;
    note.text = std::string(text->text);
    if (created && created->kind == Kind::Text)
        note.created = ParseTimestamp(std::string(created->text)).value_or(0);
    return note;
}

}  // namespace

std::string NotesFile(const std::string& folder) {
    return folder + "/notes.jsonl";
}

std::string NoteLine(const LineNote& note) {
    const auto when = static_cast<std::time_t>(note.when);
    std::string line = "{\"keyword\":" + JsonString(note.key.keyword) +
                       ",\"target\":" + (note.key.target ? JsonString(*note.key.target) : "null") +
                       ",\"day\":" + JsonString(LocalDay(note.when)) +
                       ",\"checked_at\":" + JsonString(LocalTimestamp(when)) +
                       ",\"text\":" + JsonString(note.text);
    if (note.created)
        line +=
            ",\"created_at\":" + JsonString(LocalTimestamp(static_cast<std::time_t>(note.created)));
    return line + "}";
}

bool LineNotes::Load(std::string& error) {
    m_notes.clear();
    m_damaged.clear();
    m_unread = false;
    // A missing file is a folder without notes yet.
    std::error_code missing;
    if (!std::filesystem::exists(PathFromUtf8(m_path), missing) && !missing) return true;
    FlatObject object;
    std::vector<LineNote> notes;
    std::vector<std::string> damaged;
    const bool read = ReadInputLines(
        m_path, error,
        [&](const InputLine& line) {
            std::string_view text = line.text;
            if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
            if (text.find_first_not_of(" \t") == std::string_view::npos) return;
            std::optional<LineNote> note;
            if (!line.tooLong) note = ReadNote(object, text);
            if (note)
                notes.push_back(std::move(*note));
            else if (!line.tooLong)
                damaged.emplace_back(text);
        },
        kMaxLine);
    if (!read) {
        m_unread = true;
        return false;
    }
    m_notes = std::move(notes);
    m_damaged = std::move(damaged);
    return true;
}

const LineNote* LineNotes::Find(const TrackKey& key, std::int64_t when) const {
    const auto note = std::find_if(m_notes.begin(), m_notes.end(), [&](const LineNote& n) {
        return n.when == when && n.key == key;
    });
    return note == m_notes.end() ? nullptr : &*note;
}

bool LineNotes::Set(const TrackKey& key, std::int64_t when, const std::string& text,
                    std::int64_t now, std::string& error) {
    if (m_unread) {
        error = m_path + " 无法读取，为了不覆盖它，备注没有修改。";
        return false;
    }
    std::vector<LineNote> notes = m_notes;
    const auto found = std::find_if(notes.begin(), notes.end(), [&](const LineNote& n) {
        return n.when == when && n.key == key;
    });
    if (text.empty()) {
        if (found == notes.end()) return true;
        notes.erase(found);
    } else if (found != notes.end()) {
        found->text = text;
        found->created = now;
    } else {
        notes.push_back(LineNote{key, when, text, now});
    }
    if (!Write(notes, error)) return false;
    m_notes = std::move(notes);
    return true;
}

bool LineNotes::Write(const std::vector<LineNote>& notes, std::string& error) const {
    std::string text;
    for (const LineNote& note : notes) text += NoteLine(note) + "\n";
    for (const std::string& line : m_damaged) text += line + "\n";
    return WriteFileWhole(m_path, text, error);
}

}  // namespace sorvik
