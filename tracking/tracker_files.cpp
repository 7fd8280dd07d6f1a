#include "tracker_files.h"

#include <filesystem>
#include <system_error>

#include "file_names.h"
#include "output_file.h"
#include "read_file.h"
#include "working_folder.h"

namespace sorvik {
namespace {

constexpr const char* kPagesKey = "pages_per_check=";
constexpr const char* kTableKey = "table_height_percent=";

// The whole number after `key` at the start of `line`, when it is one of
// at most three digits from `least` to `most`.
std::optional<int> SettingValue(const std::string& line, const char* key, int least, int most) {
    if (line.rfind(key, 0) != 0) return std::nullopt;
    const std::string value = line.substr(std::char_traits<char>::length(key));
    if (value.empty() || value.size() > 3 ||
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
    }
    return settings;
}

bool TrackerFiles::WriteSettings(const TrackerSettings& settings, std::string& error) const {
    return WriteFileWhole(SettingsFile(),
                          "[tracker]\n" + std::string(kPagesKey) +
                              std::to_string(settings.pagesPerCheck) + "\n" + kTableKey +
                              std::to_string(settings.tablePercent) + "\n",
                          error);
}

}  // namespace sorvik
