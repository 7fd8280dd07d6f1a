#include "tracker_files.h"

#include <filesystem>
#include <system_error>

#include "daily_schedule.h"
#include "file_names.h"
#include "local_time.h"
#include "output_file.h"
#include "read_file.h"
#include "working_folder.h"

namespace sorvik {
namespace {

constexpr const char* kPagesKey = "pages_per_check=";
constexpr const char* kTableKey = "table_height_percent=";
constexpr const char* kStoreDaysKey = "store_days=";
constexpr const char* kAlertTopKey = "alert_top_n=";
constexpr const char* kWebhookKey = "webhook=";
constexpr const char* kWebhookSecretKey = "webhook_secret=";
constexpr const char* kDailyCheckKey = "daily_check=";
constexpr const char* kDailyTimeKey = "daily_time=";
constexpr const char* kAlertsSeenKey = "alerts_seen_until=";

// The text after `key` at the start of `line`, blanks around it dropped.
std::optional<std::string> SettingText(const std::string& line, const char* key) {
    if (line.rfind(key, 0) != 0) return std::nullopt;
    std::string value = line.substr(std::char_traits<char>::length(key));
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    value = value.substr(first, value.find_last_not_of(" \t") - first + 1);
    return value;
}

// `text` without line ends, which would start a setting of their own.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// The whole number after `key` at the start of `line`, when it is one of
// at most four digits from `least` to `most`.
std::optional<int> SettingValue(const std::string& line, const char* key, int least, int most) {
    if (line.rfind(key, 0) != 0) return std::nullopt;
    const std::string value = line.substr(std::char_traits<char>::length(key));
    if (value.empty() || value.size() > 4 ||
        value.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int number = std::stoi(value);
    if (number < least || number > most) return std::nullopt;
    return number;
}

}  // namespace

bool WriteFileWhole(const std::string& path, const std::string& text, std::string& error) {
    OutputFile file;
    if (!file.Open(path, error)) return false;
    file.Write(text);
    return file.Finish(error);
}

bool TrackerFiles::Prepare(std::string& error) const {
    std::error_code ec;
    std::filesystem::create_directories(PathFromUtf8(m_folder), ec);
    if (ec) {
        error = "cannot create the folder " + m_folder + ": " + ec.message();
        return false;
    }
    if (std::optional<std::string> reason = CannotCreateFilesIn(m_folder)) {
        error = "cannot write in the folder " + m_folder + ": " + *reason;
        return false;
    }
    return true;
}

std::optional<std::vector<BatchLine>> TrackerFiles::ReadList(std::string& error) const {
    std::error_code ec;
    if (!std::filesystem::exists(PathFromUtf8(ListFile()), ec)) return std::vector<BatchLine>();
    return ReadBatchFile(ListFile(), error);
}

bool TrackerFiles::WriteList(const std::vector<BatchLine>& lines, std::string& error) const {
    return WriteFileWhole(ListFile(), FormatBatchFile(lines), error);
}

TrackerSettings TrackerFiles::ReadSettings() const {
    TrackerSettings settings;
    std::string ignored;
    const std::optional<std::string> text = ReadInputFile(SettingsFile(), ignored);
    if (!text) return settings;
    for (std::size_t start = 0; start < text->size();) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        std::string line = text->substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const auto pages = SettingValue(line, kPagesKey, 1, kMaxPagesPerCheck))
            settings.pagesPerCheck = *pages;
        if (const auto percent = SettingValue(line, kTableKey, 20, 60))
            settings.tablePercent = *percent;
        if (const auto days = SettingValue(line, kStoreDaysKey, 1, kMaxStoreDays))
            settings.storeDays = *days;
        if (const auto top = SettingValue(line, kAlertTopKey, 1, kMaxAlertTopN))
            settings.alertTopN = *top;
        if (auto webhook = SettingText(line, kWebhookKey)) settings.webhook = std::move(*webhook);
        if (auto secret = SettingText(line, kWebhookSecretKey))
            settings.webhookSecret = std::move(*secret);
        if (const auto daily = SettingText(line, kDailyCheckKey))
            settings.dailyCheck = *daily == "on";
        if (const auto time = SettingText(line, kDailyTimeKey); time && ParseDailyTime(*time))
            settings.dailyTime = FormatDailyTime(*ParseDailyTime(*time));
        if (auto seen = SettingText(line, kAlertsSeenKey); seen && ParseTimestamp(*seen))
            settings.alertsSeenUntil = std::move(*seen);
    }
    return settings;
}

bool TrackerFiles::WriteSettings(const TrackerSettings& settings, std::string& error) const {
    return WriteFileWhole(
        SettingsFile(),
        "[tracker]\n" + std::string(kPagesKey) + std::to_string(settings.pagesPerCheck) + "\n" +
            kTableKey + std::to_string(settings.tablePercent) + "\n" + kStoreDaysKey +
            std::to_string(settings.storeDays) + "\n" + kAlertTopKey +
            std::to_string(settings.alertTopN) + "\n" + kWebhookKey + OneLine(settings.webhook) +
            "\n" + kWebhookSecretKey + OneLine(settings.webhookSecret) + "\n" + kDailyCheckKey +
            (settings.dailyCheck ? "on" : "off") + "\n" + kDailyTimeKey +
            OneLine(settings.dailyTime) + "\n" + kAlertsSeenKey +
            OneLine(settings.alertsSeenUntil) + "\n",
        error);
}

}  // namespace sorvik
