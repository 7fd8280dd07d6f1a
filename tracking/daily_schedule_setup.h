// Switching the daily check on and off with the system's scheduler: the
// task's XML or the systemd units written, and schtasks or systemctl run.
// With SORVIK_SCHEDULE_DRY_RUN=1 in the environment the files are written
// but no scheduler command runs, and the change counts as made.
#pragma once

#include <string>
#include <vector>

#include "daily_schedule.h"

namespace sorvik {

// How a program run ended.
struct CommandResult {
    bool started = false;  // false: the program could not be run at all
    int exitCode = -1;
    std::string output;  // what it wrote to stdout and stderr (Linux; empty on Windows)
};

// Runs `command` (the program, looked up on the PATH, and its arguments)
// without a shell and without a window, and waits for it.
CommandResult RunCommand(const std::vector<std::string>& command);

// What callers branch on after a switch.
enum class ScheduleState {
    On,           // registered: the check runs every day
    Off,          // removed (or there was none)
    NoScheduler,  // no scheduler to register with: `instead` says what to do by hand
    Failed,       // the scheduler refused: `detail` says why, `instead` what to do by hand
};

struct ScheduleChange {
    ScheduleState state = ScheduleState::Failed;
    std::string detail;   // the scheduler's own words, or the file that could not be written
    std::string instead;  // a command or line the user can use by hand
};

// Registers (or re-registers at a new time) the daily check.
ScheduleChange SwitchOnDailyCheck(const DailyCheck& check);
// Removes it; `dataFolder` holds the task XML kept on Windows.
ScheduleChange SwitchOffDailyCheck(const std::string& dataFolder);

// The task XML kept in the data folder on Windows, importable by hand.
std::string DailyTaskXmlFile(const std::string& dataFolder);

}  // namespace sorvik
