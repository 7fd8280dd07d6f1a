#include "rank_history.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "file_names.h"
#include "flat_json.h"
#include "local_time.h"
#include "read_file.h"
#include "search_mode.h"

namespace sorvik {
namespace {

using Json = nlohmann::json;

// The fields of a record line that the history reads. Filled from the fast
// reader, or from a full JSON parse of a line that reader leaves alone.
struct RecordFields {
    std::optional<std::string> keyword;
    std::optional<std::string> outcome;
    bool targetOk = true;  // absent, null or a string
    std::optional<std::string> target;
    bool rankOk = true;  // absent, null or a whole number from 1 to INT_MAX
    std::optional<int> rank;
    std::optional<int> mode, total, page, pagesRead;
    std::string checkedAt;
};

bool Positive(long long number) {
    return number >= 1 && number <= INT_MAX;
}

std::optional<int> IntField(const FlatValue* value) {
    if (!value || value->kind != FlatValue::Kind::Integer || value->integer < INT_MIN ||
        value->integer > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value->integer);
}

void FromFlat(const FlatObject& fields, RecordFields& record) {
    auto text = [&](const char* key) -> std::optional<std::string> {
        const FlatValue* value = fields.Find(key);
        if (!value || value->kind != FlatValue::Kind::Text) return std::nullopt;
        return std::string(value->text);
    };
    record.keyword = text("keyword");
    record.outcome = text("outcome");
    if (const FlatValue* target = fields.Find("target")) {
        if (target->kind == FlatValue::Kind::Text)
            record.target = std::string(target->text);
        else
            record.targetOk = target->kind == FlatValue::Kind::Null;
    }
    if (const FlatValue* rank = fields.Find("rank")) {
        if (rank->kind == FlatValue::Kind::Integer && Positive(rank->integer))
            record.rank = static_cast<int>(rank->integer);
        else
            record.rankOk = rank->kind == FlatValue::Kind::Null;
    }
    record.mode = IntField(fields.Find("mode"));
    record.total = IntField(fields.Find("total"));
    record.page = IntField(fields.Find("page"));
    record.pagesRead = IntField(fields.Find("pages_read"));
    record.checkedAt = text("checked_at").value_or(std::string());
}

std::optional<int> IntJson(const Json& object, const char* key) {
    if (!object.contains(key) || !object[key].is_number_integer()) return std::nullopt;
    const auto number = object[key].get<long long>();
    if (number < INT_MIN || number > INT_MAX) return std::nullopt;
    return static_cast<int>(number);
}

bool FromJson(std::string_view line, RecordFields& record) {
    const Json object = Json::parse(line, nullptr, false);
    if (object.is_discarded() || !object.is_object()) return false;
    auto text = [&](const char* key) -> std::optional<std::string> {
        if (!object.contains(key) || !object[key].is_string()) return std::nullopt;
        return object[key].get<std::string>();
    };
    record.keyword = text("keyword");
    record.outcome = text("outcome");
    if (object.contains("target")) {
        if (object["target"].is_string())
            record.target = object["target"].get<std::string>();
        else
            record.targetOk = object["target"].is_null();
    }
    if (object.contains("rank")) {
        const Json& rank = object["rank"];
        if (rank.is_number_integer() && Positive(rank.get<long long>()))
            record.rank = static_cast<int>(rank.get<long long>());
        else
            record.rankOk = rank.is_null();
    }
    record.mode = IntJson(object, "mode");
    record.total = IntJson(object, "total");
    record.page = IntJson(object, "page");
    record.pagesRead = IntJson(object, "pages_read");
    record.checkedAt = text("checked_at").value_or(std::string());
    return true;
}

}  // namespace

namespace {

// The map key of a keyword and target, in `text`: the keyword, then a byte
// no UTF-8 text holds, then the target or a second such byte for none.
void KeyText(const std::string& keyword, const std::optional<std::string>& target,
             std::string& text) {
    text.assign(keyword);
    text += '\xFF';
    if (target)
        text += *target;
    else
        text += '\xFE';
}

}  // namespace

TrackKey KeyOf(const BatchLine& line) {
    if (line.Mode() == kModeKeyword) return {line.keyword, std::nullopt};
    return {line.keyword, line.target};
}

TrackKey KeyOf(const SummaryRecord& summary) {
    return {summary.keyword, summary.target};
}

RankHistory::RankHistory(Warn warn, bool keepChecks)
    : m_warn(std::move(warn)), m_keepChecks(keepChecks) {}

RankHistory::~RankHistory() = default;

namespace {

// A record that can be placed among the checks: an outcome this program
// knows and a time it can read, at most a day ahead of now (a clock set
// wrong, or a record made up, would otherwise stand as the latest or best).
bool PlacedInTime(const SummaryRecord& summary, std::time_t now) {
    constexpr std::int64_t kDay = 86400;  // seconds
    if (summary.outcome == CheckOutcome::Other) return false;
    const std::optional<std::int64_t> when = ParseTimestamp(summary.checkedAt);
    return when && *when <= static_cast<std::int64_t>(now) + kDay;
}

}  // namespace

bool RankHistory::ReadRecord(std::string_view line, SummaryRecord& summary) {
    RecordFields record;
    if (m_line.Read(line)) {
        FromFlat(m_line, record);
    } else if (!FromJson(line, record)) {
        return false;
    }
    if (!record.keyword || !record.outcome || !record.targetOk || !record.rankOk) return false;
    summary.keyword = std::move(*record.keyword);
    summary.target = std::move(record.target);
    summary.mode = record.mode.value_or(summary.target ? 2 : 1);
    summary.outcome = CheckOutcomeNamed(*record.outcome);
    summary.rank = record.rank;
    summary.total = record.total;
    summary.page = record.page;
    summary.pagesRead = record.pagesRead.value_or(0);
    summary.checkedAt = std::move(record.checkedAt);
    return true;
}

bool RankHistory::Load(const std::string& path, std::string& error) {
    m_path = path;
    std::error_code ec;
    const std::filesystem::path file = PathFromUtf8(path);
    if (!std::filesystem::exists(file, ec) && !std::filesystem::is_symlink(file, ec)) return true;

    const std::time_t now = std::time(nullptr);
    int number = 0;
    bool ended = true;  // the file so far ends with a line feed
    const bool read = ReadInputLines(path, error, [&](const InputLine& input) {
        const std::string_view line = input.text;
        const bool complete = input.complete;
        ++number;
        ended = complete;
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) return;
        SummaryRecord summary;
        if (ReadRecord(line, summary)) {
            if (!PlacedInTime(summary, now)) {
                ++m_skippedRecords;
                return;
            }
            Track& track = Remember(summary);
            if (m_keepChecks) track.latest = std::move(summary);
            return;
        }
        ++m_skipped;
        m_warn("history file " + path + ", line " + std::to_string(number) + ": " +
               (complete ? "no record" : "half written") + ", skipped");
    });
    m_endsWithLineFeed = ended;
    if (m_skippedRecords > 0)
        m_warn("history file " + path + ": " + std::to_string(m_skippedRecords) + " record" +
               (m_skippedRecords == 1 ? "" : "s") +
               " skipped: unknown outcome, or a checked_at that can't be read or is more than "
               "a day ahead");
    if (!read) {
        error = "history file: " + error;
        return false;
    }
    return true;
}

bool RankHistory::OpenForAppend(std::string& error) {
    m_file.reset(OpenUtf8(m_path, "ab"));
    if (!m_file) {
        error = "cannot write the history file " + m_path + ": " + std::strerror(errno);
        return false;
    }
    // Unbuffered: each record goes out in the one write that appends it.
    std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
    return true;
}

bool RankHistory::Record(SummaryRecord& summary) {
    Track& track = Remember(summary);
    if (m_keepChecks) track.latest = summary;

    std::string line = FormatSummary(OutputFormat::Json, summary);
    if (!m_endsWithLineFeed) line.insert(0, "\n");
    const long long before = m_file ? FileSizeOf(m_file.get()) : -1;
    if (m_file && std::fwrite(line.data(), 1, line.size(), m_file.get()) == line.size()) {
        m_endsWithLineFeed = true;
        // A record that is written stays written, power cut or not.
        FlushToDisk(m_file.get());
        return true;
    }
    // No half line stays: the file is cut back to what it held. Only when
    // that fails does the next record start on a line of its own.
    if (before < 0 || !m_file || !TruncateFile(m_file.get(), before)) m_endsWithLineFeed = false;
    if (!m_writeFailed) m_warn("cannot write the history file " + m_path);
    m_writeFailed = true;
    return false;
}

RankHistory::Track& RankHistory::Remember(SummaryRecord& summary) {
    KeyText(summary.keyword, summary.target, m_keyText);
    auto found = m_tracks.find(m_keyText);
    if (found == m_tracks.end()) found = m_tracks.emplace(m_keyText, Track()).first;
    Track& track = found->second;
    summary.withHistory = true;
    summary.previousRank = track.lastRank;
    summary.bestRank = track.bestRank;
    summary.change.reset();
    const CheckOutcome outcome = summary.outcome;
    // A failed check says nothing of the rank, and never has one.
    if (!IsCompletedCheck(outcome)) summary.rank.reset();
    if (summary.rank) {
        if (summary.previousRank) summary.change = *summary.previousRank - *summary.rank;
        if (!summary.bestRank || *summary.rank < *summary.bestRank) summary.bestRank = summary.rank;
    }
    if (IsCompletedCheck(outcome)) {
        track.lastRank = summary.rank;
        track.bestRank = summary.bestRank;
    }
    ++m_records;
    if (m_hook) m_hook(summary);
    if (m_keepChecks) {
        CheckPoint point;
        point.when = ParseTimestamp(summary.checkedAt).value_or(0);
        point.rank = summary.rank.value_or(0);
        point.page = summary.page.value_or(0);
        point.outcome = outcome;
        point.total = summary.total.value_or(-1);
        point.pagesRead = summary.pagesRead;
        track.checks.push_back(point);
    }
    return track;
}

const RankHistory::Track* RankHistory::Find(const Key& key) const {
    std::string text;
    KeyText(key.keyword, key.target, text);
    const auto it = m_tracks.find(text);
    return it == m_tracks.end() ? nullptr : &it->second;
}

const std::vector<CheckPoint>* RankHistory::Checks(const Key& key) const {
    const Track* track = Find(key);
    return track ? &track->checks : nullptr;
}

const SummaryRecord* RankHistory::Latest(const Key& key) const {
    const Track* track = Find(key);
    return track && track->latest ? &*track->latest : nullptr;
}

}  // namespace sorvik
