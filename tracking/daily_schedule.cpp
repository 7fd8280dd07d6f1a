#include "daily_schedule.h"

#include <cstdio>
#include <cstdlib>

#include "local_time.h"
#include "tracker_files.h"
#include "utf8.h"

namespace sorvik {

const char* const kDailyTaskName = "Sorvik\\每日排名检查";
const char* const kDailyServiceName = "sorvik-daily.service";
const char* const kDailyTimerName = "sorvik-daily.timer";

namespace {

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// `text` for an XML element's content or attribute.
std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// `text` in single quotes for a POSIX shell.
std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A unit setting's value taken whole (a path): only systemd's specifiers
// need escaping there.
std::string SystemdPlainValue(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '%' ? std::string("%%") : std::string(1, c);
    return out;
}

}  // namespace

std::optional<DailyTime> ParseDailyTime(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() - colon != 3)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != colon && (text[i] < '0' || text[i] > '9')) return std::nullopt;
    }
    // Digits only, checked above.
    const auto number = [&text](std::size_t from, std::size_t to) {
        int value = 0;
        for (std::size_t i = from; i < to; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    DailyTime time;
    time.hour = number(0, colon);
    time.minute = number(colon + 1, text.size());
    if (time.hour > 23 || time.minute > 59) return std::nullopt;
    return time;
}

std::string FormatDailyTime(DailyTime time) {
    return TwoDigits(time.hour) + ":" + TwoDigits(time.minute);
}

std::time_t NextDailyRun(std::time_t now, DailyTime time) {
    std::tm local{};
    if (!ToLocalTime(now, local)) return now;
    for (int day = 0; day < 3; ++day) {
        std::tm at = local;
        at.tm_mday += day;
        at.tm_hour = time.hour;
        at.tm_min = time.minute;
        at.tm_sec = 0;
        at.tm_isdst = -1;  // the zone's rule for that day
        const std::time_t when = std::mktime(&at);
        if (when != static_cast<std::time_t>(-1) && when > now) return when;
    }
    return now;
}

std::vector<std::string> DailyCheckArguments(const DailyCheck& check) {
    const TrackerFiles files(check.dataFolder);
    std::vector<std::string> args = {
        "--batch", files.ListFile(),  "--history",   files.HistoryFile(),
        "--store", files.StoreFile(), "--max-pages", std::to_string(check.maxPages)};
    if (kDailyCheckAlerts) {
        args.insert(args.end(), {"--alerts", check.dataFolder + "/alerts.jsonl", "--notify"});
    }
    args.push_back("--scheduled");
    return args;
}

std::string WindowsPath(std::string text) {
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

std::string QuoteWindowsArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    // Backslashes count only before a quote: there they are doubled, and
    // so are those before the closing quote.
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

std::string DailyTaskXml(const DailyCheck& check, std::time_t today) {
    std::tm date{};
    if (!ToLocalTime(today, date)) date.tm_year = 2026 - 1900, date.tm_mon = 0, date.tm_mday = 1;
    const std::string start = std::to_string(date.tm_year + 1900) + "-" +
                              TwoDigits(date.tm_mon + 1) + "-" + TwoDigits(date.tm_mday) + "T" +
                              FormatDailyTime(check.time) + ":00";
    std::string arguments;
    for (const std::string& arg : DailyCheckArguments(check)) {
        if (!arguments.empty()) arguments += ' ';
        arguments += QuoteWindowsArgument(WindowsPath(arg));
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           "<Task version=\"1.2\" "
           "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <RegistrationInfo>\n"
           "    <Description>Sorvik 每天检查排名跟踪的关键词列表</Description>\n"
           "  </RegistrationInfo>\n"
           "  <Triggers>\n"
           "    <CalendarTrigger>\n"
           "      <StartBoundary>" +
           start +
           "</StartBoundary>\n"
           "      <Enabled>true</Enabled>\n"
           "      <ScheduleByDay>\n"
           "        <DaysInterval>1</DaysInterval>\n"
           "      </ScheduleByDay>\n"
           "    </CalendarTrigger>\n"
           "  </Triggers>\n"
           "  <Principals>\n"
           "    <Principal id=\"Author\">\n"
           "      <LogonType>InteractiveToken</LogonType>\n"
           "      <RunLevel>LeastPrivilege</RunLevel>\n"
           "    </Principal>\n"
           "  </Principals>\n"
           "  <Settings>\n"
           "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
           "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
           "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
           "    <StartWhenAvailable>true</StartWhenAvailable>\n"
           "    <Hidden>true</Hidden>\n"
           "    <ExecutionTimeLimit>PT12H</ExecutionTimeLimit>\n"
           "    <Enabled>true</Enabled>\n"
           "  </Settings>\n"
           "  <Actions Context=\"Author\">\n"
           "    <Exec>\n"
           "      <Command>" +
           XmlEscaped(WindowsPath(check.program)) +
           "</Command>\n"
           "      <Arguments>" +
           XmlEscaped(arguments) +
           "</Arguments>\n"
           "      <WorkingDirectory>" +
           XmlEscaped(WindowsPath(check.WorkIn())) +
           "</WorkingDirectory>\n"
           "    </Exec>\n"
           "  </Actions>\n"
           "</Task>\n";
}

std::string Utf16LeWithBom(const std::string& text) {
    std::string out = "\xFF\xFE";
    auto unit = [&out](unsigned value) {
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>(value >> 8);
    };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8CharLength(text, at);
        if (length == 0) {  // not UTF-8: the replacement character
            unit(0xFFFD);
            ++at;
            continue;
        }
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
        unsigned code = length == 1   ? byte(0)
                        : length == 2 ? (byte(0) & 0x1Fu) << 6
                        : length == 3 ? (byte(0) & 0x0Fu) << 12
                                      : (byte(0) & 0x07u) << 18;
        for (std::size_t i = 1; i < length; ++i)
            code |= (byte(i) & 0x3Fu) << (6 * (length - 1 - i));
        if (code >= 0x10000) {
            code -= 0x10000;
            unit(0xD800 + (code >> 10));
            unit(0xDC00 + (code & 0x3FF));
        } else {
            unit(code);
        }
        at += length;
    }
    return out;
}

std::vector<std::string> CreateTaskCommand(const std::string& xmlFile) {
    return {"schtasks", "/Create", "/TN", kDailyTaskName, "/XML", WindowsPath(xmlFile), "/F"};
}

std::vector<std::string> DeleteTaskCommand() {
    return {"schtasks", "/Delete", "/TN", kDailyTaskName, "/F"};
}

std::string TypedCommand(const std::vector<std::string>& command) {
    std::string line;
    for (const std::string& word : command) {
        if (!line.empty()) line += ' ';
        line += QuoteWindowsArgument(word);
    }
    return line;
}

std::string QuoteSystemdWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\n\"'\\$%;") == std::string::npos) return word;
    std::string out = "\"";
    for (char c : word) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '$':
                out += "$$";
                break;
            case '%':
                out += "%%";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

std::string DailyServiceUnit(const DailyCheck& check) {
    std::string exec = QuoteSystemdWord(check.program);
    for (const std::string& arg : DailyCheckArguments(check)) exec += " " + QuoteSystemdWord(arg);
    return "[Unit]\n"
           "Description=Sorvik: the daily check of the tracker's keyword list\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "WorkingDirectory=" +
           SystemdPlainValue(check.WorkIn()) +
           "\n"
           "ExecStart=" +
           exec + "\n";
}

std::string DailyTimerUnit(const DailyCheck& check) {
    return "[Unit]\n"
           "Description=Sorvik: the tracker's keyword list checked every day at " +
           FormatDailyTime(check.time) +
           "\n"
           "\n"
           "[Timer]\n"
           "OnCalendar=*-*-* " +
           FormatDailyTime(check.time) +
           ":00\n"
           "Persistent=true\n"
           "\n"
           "[Install]\n"
           "WantedBy=timers.target\n";
}

std::string SystemdUserUnitFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') return std::string(config) + "/systemd/user";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config/systemd/user";
    return std::string();
}

std::string DailyCrontabLine(const DailyCheck& check) {
    std::string command = "cd " + ShellQuoted(check.WorkIn()) + " && " + ShellQuoted(check.program);
    for (const std::string& arg : DailyCheckArguments(check)) command += " " + ShellQuoted(arg);
    // cron reads an unescaped % as the end of the command.
    std::string escaped;
    for (char c : command) escaped += c == '%' ? std::string("\\%") : std::string(1, c);
    return std::to_string(check.time.minute) + " " + std::to_string(check.time.hour) + " * * * " +
           escaped;
}

}  // namespace sorvik
