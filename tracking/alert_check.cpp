#include "alert_check.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace sorvik {

std::vector<Alert> AlertsOfCheck(const RankHistory& history, const SummaryRecord& summary,
                                 const StoredCheck* stored, const StoredCheck* previousStored,
                                 int topN) {
    static const std::vector<CheckPoint> kNone;
    const std::vector<CheckPoint>* before = history.Checks(KeyOf(summary));
    return AlertsOf(summary, before ? *before : kNone, stored, previousStored, topN);
}

bool AlertFile::Open(const std::string& path, std::string& error) {
    // A FIFO would hold the run up until someone reads it; a folder or a
    // device is no file to keep alerts in.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(PathFromUtf8(path), ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        error = "the alerts file " + path + " is no regular file";
        return false;
    }
    // A run cut off in the middle of a line left it unfinished: the next
    // alert starts on a line of its own.
    if (UniqueFile existing{OpenUtf8(path, "rb")}) {
        if (std::fseek(existing.get(), -1, SEEK_END) == 0)
            m_startLine = std::fgetc(existing.get()) != '\n';
    }
    m_file.reset(OpenUtf8(path, "ab"));
    if (!m_file) {
        error = "cannot write the alerts file " + path + ": " + std::strerror(errno);
        return false;
    }
    // Unbuffered: the alerts of a check go out in the one write.
    std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
    return true;
}

bool AlertFile::Append(const std::vector<Alert>& alerts) {
    if (alerts.empty()) return true;
    if (!m_file) return false;
    std::string text = m_startLine ? "\n" : "";
    for (const Alert& alert : alerts) text += FormatAlert(alert);
    const long long before = FileSizeOf(m_file.get());
    if (std::fwrite(text.data(), 1, text.size(), m_file.get()) == text.size()) {
        m_startLine = false;
        FlushToDisk(m_file.get());
        return true;
    }
    if (before < 0 || !TruncateFile(m_file.get(), before)) m_startLine = true;
    return false;
}

std::optional<RobotAddress> SettingsRobot(const TrackerSettings& settings, std::string& problem) {
    if (settings.webhook.empty()) {
        problem = "no webhook is set in the tracker's settings (webhook= in tracker.ini)";
        return std::nullopt;
    }
    return RobotAddressOf(settings.webhook, problem);
}

}  // namespace sorvik
