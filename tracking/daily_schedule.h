// The daily check of the tracker's list without a window: what the system's
// scheduler is given to run sorvik-cli once a day at a time of day, for the
// current user. On Windows a Task Scheduler task made from a task XML; on
// Linux a systemd user timer and its service. Only texts here: running the
// scheduler's commands is daily_schedule_setup.h's.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace sorvik {

// A time of day, local time.
struct DailyTime {
    int hour = 9;
    int minute = 0;
};

// "09:00" and "9:05" read as times of day; no value for anything else.
std::optional<DailyTime> ParseDailyTime(const std::string& text);
// "09:05".
std::string FormatDailyTime(DailyTime time);

// The first moment after `now` at `time` in the local time zone: today's
// when it is still to come, else tomorrow's.
std::time_t NextDailyRun(std::time_t now, DailyTime time);

// What the daily check runs: sorvik-cli on the tracker's files.
struct DailyCheck {
    // The folder the run works in.
    const std::string& WorkIn() const { return workingFolder.empty() ? dataFolder : workingFolder; }

    std::string program;     // sorvik-cli's absolute path (UTF-8)
    std::string dataFolder;  // the tracker's data folder (UTF-8)
    // Where the run works (UTF-8): the folder holding the config.txt the
    // page cleaning reads, as the window's own checks do; empty: the data
    // folder.
    std::string workingFolder;
    int maxPages = 10;
    DailyTime time;
};

// Whether the scheduled run posts and keeps the alerts as the window does;
// sorvik-cli has the options for them.
constexpr bool kDailyCheckAlerts = true;

// sorvik-cli's arguments, without the program.
std::vector<std::string> DailyCheckArguments(const DailyCheck& check);

// Windows: the task's name (in a folder of its own) and its definition.
extern const char* const kDailyTaskName;
// `text` with every '/' turned into '\'.
std::string WindowsPath(std::string text);
// One argument as the C runtime's command-line parsing reads it back.
std::string QuoteWindowsArgument(const std::string& argument);
// The task XML (UTF-8 text declaring UTF-16): a daily calendar trigger from
// `today`'s date at the check's time, sorvik-cli run hidden in the data
// folder, one run at a time.
std::string DailyTaskXml(const DailyCheck& check, std::time_t today);
// UTF-8 `text` as UTF-16 LE with a byte-order mark, as schtasks reads XML.
std::string Utf16LeWithBom(const std::string& text);
std::vector<std::string> CreateTaskCommand(const std::string& xmlFile);
std::vector<std::string> DeleteTaskCommand();
// The command a user can type in a prompt to create the same task.
std::string TypedCommand(const std::vector<std::string>& command);

// Linux: the units' names and texts.
extern const char* const kDailyServiceName;  // sorvik-daily.service
extern const char* const kDailyTimerName;    // sorvik-daily.timer
// One word of a unit's command line, quoted as systemd reads it back.
std::string QuoteSystemdWord(const std::string& word);
std::string DailyServiceUnit(const DailyCheck& check);
std::string DailyTimerUnit(const DailyCheck& check);
// The folder of the user's systemd units: $XDG_CONFIG_HOME/systemd/user,
// else ~/.config/systemd/user; empty when neither is set.
std::string SystemdUserUnitFolder();
// A crontab line doing the same, for a system without user systemd.
std::string DailyCrontabLine(const DailyCheck& check);

}  // namespace sorvik
