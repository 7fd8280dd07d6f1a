#include "daily_schedule_setup.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "file_names.h"
#include "tracker_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace sorvik {
namespace {

bool DryRun() {
    const char* dry = std::getenv("SORVIK_SCHEDULE_DRY_RUN");
    return dry && std::string(dry) == "1";
}

// A scheduler command's failure in its own words.
std::string FailureText(std::string text, const CommandResult& result) {
    if (!result.started) return text + ": cannot be run";
    text += ": exit status " + std::to_string(result.exitCode);
    if (!result.output.empty()) text += ": " + result.output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

#ifdef _WIN32

ScheduleChange SwitchOnWindows(const DailyCheck& check) {
    ScheduleChange change;
    const std::string xmlFile = DailyTaskXmlFile(check.dataFolder);
    const std::vector<std::string> create = CreateTaskCommand(xmlFile);
    change.instead = TypedCommand(create);
    std::string error;
    if (!WriteFileWhole(xmlFile, Utf16LeWithBom(DailyTaskXml(check, std::time(nullptr))), error)) {
        change.detail = error;
        return change;
    }
    if (DryRun()) {
        change.state = ScheduleState::On;
        return change;
    }
    const CommandResult result = RunCommand(create);
    if (!result.started) {
        change.state = ScheduleState::NoScheduler;
        change.detail = FailureText("schtasks /Create", result);
    } else if (result.exitCode != 0) {
        change.detail = FailureText("schtasks /Create", result);
    } else {
        change.state = ScheduleState::On;
    }
    return change;
}

ScheduleChange SwitchOffWindows() {
    ScheduleChange change;
    const std::vector<std::string> remove = DeleteTaskCommand();
    change.instead = TypedCommand(remove);
    if (DryRun()) {
        change.state = ScheduleState::Off;
        return change;
    }
    const CommandResult result = RunCommand(remove);
    // schtasks fails on a task that is not there too; a second query
    // tells that apart from a refusal.
    if (result.started && result.exitCode != 0) {
        const CommandResult query = RunCommand({"schtasks", "/Query", "/TN", kDailyTaskName});
        if (query.started && query.exitCode != 0) {
            change.state = ScheduleState::Off;
            return change;
        }
    }
    if (!result.started || result.exitCode != 0) {
        change.detail = FailureText("schtasks /Delete", result);
        return change;
    }
    change.state = ScheduleState::Off;
    return change;
}

#else

// systemctl --user with `args`; the dry run runs nothing.
CommandResult Systemctl(const std::vector<std::string>& args) {
    if (DryRun()) return {true, 0, std::string()};
    std::vector<std::string> command = {"systemctl", "--user"};
    command.insert(command.end(), args.begin(), args.end());
    return RunCommand(command);
}

std::string SystemctlFailure(const std::vector<std::string>& args, const CommandResult& result) {
    return FailureText("systemctl --user " + args[0], result);
}

void RemoveUnits(const std::string& folder) {
    std::error_code ec;
    std::filesystem::remove(PathFromUtf8(folder + "/" + kDailyServiceName), ec);
    std::filesystem::remove(PathFromUtf8(folder + "/" + kDailyTimerName), ec);
}

ScheduleChange SwitchOnLinux(const DailyCheck& check) {
    ScheduleChange change;
    change.instead = DailyCrontabLine(check);
    const std::string folder = SystemdUserUnitFolder();
    if (folder.empty()) {
        change.state = ScheduleState::NoScheduler;
        change.detail = "neither HOME nor XDG_CONFIG_HOME is set";
        return change;
    }
    std::error_code ec;
    std::filesystem::create_directories(PathFromUtf8(folder), ec);
    std::string error;
    if (ec) {
        change.detail = "cannot create the folder " + folder + ": " + ec.message();
        return change;
    }
    if (!WriteFileWhole(folder + "/" + kDailyServiceName, DailyServiceUnit(check), error) ||
        !WriteFileWhole(folder + "/" + kDailyTimerName, DailyTimerUnit(check), error)) {
        change.detail = error;
        return change;
    }
    // Without a user service manager the units would never run: they are
    // taken away again and the crontab line offered instead.
    const std::vector<std::string> reload = {"daemon-reload"};
    const CommandResult reloaded = Systemctl(reload);
    if (!reloaded.started || reloaded.exitCode != 0) {
        RemoveUnits(folder);
        change.state = ScheduleState::NoScheduler;
        change.detail = SystemctlFailure(reload, reloaded);
        return change;
    }
    // enable --now leaves a timer that runs already at its old time:
    // restarting it takes the new time.
    const std::vector<std::string> enable = {"enable", "--now", kDailyTimerName};
    const std::vector<std::string> restart = {"restart", kDailyTimerName};
    for (const auto* args : {&enable, &restart}) {
        const CommandResult result = Systemctl(*args);
        if (!result.started || result.exitCode != 0) {
            change.detail = SystemctlFailure(*args, result);
            return change;
        }
    }
    change.state = ScheduleState::On;
    return change;
}

ScheduleChange SwitchOffLinux() {
    ScheduleChange change;
    const std::string folder = SystemdUserUnitFolder();
    change.instead = "systemctl --user disable --now " + std::string(kDailyTimerName) +
                     "; rm ~/.config/systemd/user/sorvik-daily.*";
    if (folder.empty()) {
        change.state = ScheduleState::Off;
        return change;
    }
    std::error_code ec;
    const bool present =
        std::filesystem::exists(PathFromUtf8(folder + "/" + kDailyTimerName), ec) ||
        std::filesystem::exists(PathFromUtf8(folder + "/" + kDailyServiceName), ec);
    if (present) {
        const std::vector<std::string> disable = {"disable", "--now", kDailyTimerName};
        const CommandResult result = Systemctl(disable);
        RemoveUnits(folder);
        if (!result.started || result.exitCode != 0) {
            // No user service manager: nothing runs the removed units.
            const CommandResult probe = Systemctl({"daemon-reload"});
            if (probe.started && probe.exitCode == 0) {
                change.detail = SystemctlFailure(disable, result);
                return change;
            }
        } else {
            Systemctl({"daemon-reload"});
        }
    }
    change.state = ScheduleState::Off;
    return change;
}

#endif

}  // namespace

std::string DailyTaskXmlFile(const std::string& dataFolder) {
    return dataFolder + "/sorvik-daily-task.xml";
}

#ifdef _WIN32

CommandResult RunCommand(const std::vector<std::string>& command) {
    CommandResult result;
    std::wstring line;
    for (const std::string& word : command) {
        if (!line.empty()) line += L' ';
        line += PathFromUtf8(QuoteWindowsArgument(word)).wstring();
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return result;
    result.started = true;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

ScheduleChange SwitchOnDailyCheck(const DailyCheck& check) {
    return SwitchOnWindows(check);
}

ScheduleChange SwitchOffDailyCheck(const std::string& dataFolder) {
    ScheduleChange change = SwitchOffWindows();
    if (change.state == ScheduleState::Off) {
        std::error_code ec;
        std::filesystem::remove(PathFromUtf8(DailyTaskXmlFile(dataFolder)), ec);
    }
    return change;
}

#else

CommandResult RunCommand(const std::vector<std::string>& command) {
    CommandResult result;
    int pipeEnds[2];
    if (command.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0) return result;
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return result;
    }
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        dup2(pipeEnds[1], STDERR_FILENO);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, STDIN_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0) {
            if (result.output.size() < std::size_t{64} * 1024) result.output.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // 127 from the child itself: the program was not found.
    result.started = !(WIFEXITED(status) && WEXITSTATUS(status) == 127 && result.output.empty());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

ScheduleChange SwitchOnDailyCheck(const DailyCheck& check) {
    return SwitchOnLinux(check);
}

ScheduleChange SwitchOffDailyCheck(const std::string&) {
    return SwitchOffLinux();
}

#endif

}  // namespace sorvik
