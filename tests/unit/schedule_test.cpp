// The daily check's registration: the task XML and command lines for
// Windows, the systemd units for Linux, the crontab line offered without
// user systemd, the next run, the settings, and the scheduled runs' lock
// and last-run record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "daily_schedule.h"
#include "daily_schedule_setup.h"
#include "local_time.h"
#include "scheduled_run.h"
#include "test_environment.h"
#include "tracker_files.h"

namespace sorvik {
namespace {

// An environment variable set (or removed) for a test's time.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) m_old = old;
        if (value)
            SetEnv(m_name, *value);
        else
            UnsetEnv(m_name);
    }
    ~ScopedEnv() {
        if (m_old)
            SetEnv(m_name, *m_old);
        else
            UnsetEnv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string m_name;
    std::optional<std::string> m_old;
};

std::time_t At(const char* timestamp) {
    const std::optional<std::int64_t> when = ParseTimestamp(timestamp);
    EXPECT_TRUE(when) << timestamp;
    return static_cast<std::time_t>(when.value_or(0));
}

DailyCheck LinuxCheck() {
    DailyCheck check;
    check.program = "/opt/My Apps/sorvik-cli";
    check.dataFolder = "/home/li si/数据 100%";
    check.maxPages = 7;
    check.time = {6, 5};
    return check;
}

TEST(DailySchedule, TimesOfDayAndTheNextRunAroundMidnightInLocalTime) {
    EXPECT_EQ(FormatDailyTime(ParseDailyTime("9:05").value()), "09:05");
    EXPECT_EQ(FormatDailyTime(ParseDailyTime("23:59").value()), "23:59");
    for (const char* bad :
         {"", "24:00", "12:60", "1200", "ab:cd", "12:5", "123:00", ":30", "-1:30"})
        EXPECT_FALSE(ParseDailyTime(bad)) << bad;

    ScopedEnv zone("TZ", std::string("CST-8"));  // UTC+8 all year, as China keeps it
    struct Case {
        const char* now;
        DailyTime time;
        const char* next;
    };
    for (const Case& c : {
             Case{"2026-12-09T23:59:30+08:00", {0, 0}, "2026-12-10T00:00:00+08:00"},
             Case{"2026-12-09T23:59:30+08:00", {23, 59}, "2026-12-10T23:59:00+08:00"},
             Case{"2026-12-09T00:00:00+08:00", {0, 0}, "2026-12-10T00:00:00+08:00"},
             Case{"2026-12-09T08:59:59+08:00", {9, 0}, "2026-12-09T09:00:00+08:00"},
             Case{"2026-12-31T23:30:00+08:00", {0, 10}, "2027-01-01T00:10:00+08:00"},
             // Past midnight UTC, still the same local day.
             Case{"2026-12-09T01:00:00+08:00", {7, 0}, "2026-12-09T07:00:00+08:00"},
         })
        EXPECT_EQ(NextDailyRun(At(c.now), c.time), At(c.next)) << c.now << " " << c.next;
}

TEST(DailySchedule, SystemdUnitsQuoteBlanksAndSpecifiersAndRunTheWholeList) {
    const DailyCheck check = LinuxCheck();
    const std::vector<std::string> args = DailyCheckArguments(check);
    const std::vector<std::string> expected = {"--batch",     "/home/li si/数据 100%/keywords.txt",
                                               "--history",   "/home/li si/数据 100%/history.jsonl",
                                               "--store",     "/home/li si/数据 100%/rows.db",
                                               "--max-pages", "7",
                                               "--alerts",    "/home/li si/数据 100%/alerts.jsonl",
                                               "--notify",    "--scheduled"};
    EXPECT_EQ(args, expected);

    EXPECT_EQ(QuoteSystemdWord("plain"), "plain");
    EXPECT_EQ(QuoteSystemdWord(""), "\"\"");
    EXPECT_EQ(QuoteSystemdWord("a \"b\" $HOME\\x"), "\"a \\\"b\\\" $$HOME\\\\x\"");
    const std::string service = DailyServiceUnit(check);
    EXPECT_NE(service.find("\nType=oneshot\n"), std::string::npos) << service;
    EXPECT_NE(service.find("\nWorkingDirectory=/home/li si/数据 100%%\n"), std::string::npos)
        << service;
    EXPECT_NE(service.find("\nExecStart=\"/opt/My Apps/sorvik-cli\" --batch "
                           "\"/home/li si/数据 100%%/keywords.txt\" --history "
                           "\"/home/li si/数据 100%%/history.jsonl\" --store "
                           "\"/home/li si/数据 100%%/rows.db\" --max-pages 7 --alerts "
                           "\"/home/li si/数据 100%%/alerts.jsonl\" --notify --scheduled\n"),
              std::string::npos)
        << service;
    const std::string timer = DailyTimerUnit(check);
    EXPECT_NE(timer.find("\nOnCalendar=*-*-* 06:05:00\n"), std::string::npos) << timer;
    EXPECT_NE(timer.find("\nPersistent=true\n"), std::string::npos) << timer;
    EXPECT_NE(timer.find("\nWantedBy=timers.target\n"), std::string::npos) << timer;

    // cron runs it through sh, with % escaped and every path quoted.
    EXPECT_EQ(DailyCrontabLine(check),
              "5 6 * * * cd '/home/li si/数据 100\\%' && '/opt/My Apps/sorvik-cli' '--batch' "
              "'/home/li si/数据 100\\%/keywords.txt' '--history' "
              "'/home/li si/数据 100\\%/history.jsonl' '--store' '/home/li si/数据 100\\%/rows.db' "
              "'--max-pages' '7' '--alerts' '/home/li si/数据 100\\%/alerts.jsonl' '--notify' "
              "'--scheduled'");
}

TEST(DailySchedule, TaskXmlRunsTheProgramHiddenDailyWithItsArgumentsQuoted) {
    // The C runtime's rules: backslashes matter only before a quote.
    EXPECT_EQ(QuoteWindowsArgument("plain"), "plain");
    EXPECT_EQ(QuoteWindowsArgument(""), "\"\"");
    EXPECT_EQ(QuoteWindowsArgument("C:\\a b\\"), "\"C:\\a b\\\\\"");
    EXPECT_EQ(QuoteWindowsArgument("say \\\"hi\""), "\"say \\\\\\\"hi\\\"\"");
    EXPECT_EQ(QuoteWindowsArgument("C:\\no\\blank"), "C:\\no\\blank");

    ScopedEnv zone("TZ", std::string("CST-8"));
    DailyCheck check;
    check.program = "C:\\Users\\李 四\\AppData\\Local\\Programs\\Sorvik\\sorvik-cli.exe";
    check.dataFolder = "C:\\Users\\李 四\\AppData\\Roaming\\Sorvik";
    // The programs' folder, with the config.txt the window uses.
    check.workingFolder = "C:/Users/李 四/AppData/Local/Programs/Sorvik";
    check.maxPages = 10;
    check.time = {21, 30};
    const std::string xml = DailyTaskXml(check, At("2026-12-09T23:10:00+08:00"));
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-16\"?>", 0), 0u);
    for (const char* part : {
             "<CalendarTrigger>\n      <StartBoundary>2026-12-09T21:30:00</StartBoundary>",
             "<ScheduleByDay>\n        <DaysInterval>1</DaysInterval>",
             "<Hidden>true</Hidden>",
             "<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>",
             "<LogonType>InteractiveToken</LogonType>",
             "<Command>C:\\Users\\李 "
             "四\\AppData\\Local\\Programs\\Sorvik\\sorvik-cli.exe</Command>",
             "<Arguments>--batch &quot;C:\\Users\\李 "
             "四\\AppData\\Roaming\\Sorvik\\keywords.txt&quot;"
             " --history &quot;C:\\Users\\李 四\\AppData\\Roaming\\Sorvik\\history.jsonl&quot;"
             " --store &quot;C:\\Users\\李 四\\AppData\\Roaming\\Sorvik\\rows.db&quot;"
             " --max-pages 10"
             " --alerts &quot;C:\\Users\\李 四\\AppData\\Roaming\\Sorvik\\alerts.jsonl&quot;"
             " --notify --scheduled</Arguments>",
             "<WorkingDirectory>C:\\Users\\李 四\\AppData\\Local\\Programs\\Sorvik"
             "</WorkingDirectory>",
         })
        EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;

    // UTF-16 LE with its byte-order mark; a character beyond the BMP as a
    // surrogate pair.
    EXPECT_EQ(Utf16LeWithBom("a李😀"), std::string("\xFF\xFE\x61\x00\x4E\x67\x3D\xD8\x00\xDE", 10));
    const std::string utf16 = Utf16LeWithBom(xml);
    EXPECT_EQ(utf16.size() % 2, 0u);

    EXPECT_EQ(TypedCommand(CreateTaskCommand("C:/Users/李 四/task.xml")),
              "schtasks /Create /TN Sorvik\\每日排名检查 /XML \"C:\\Users\\李 四\\task.xml\" /F");
    EXPECT_EQ(TypedCommand(DeleteTaskCommand()), "schtasks /Delete /TN Sorvik\\每日排名检查 /F");
}

#ifndef _WIN32
TEST(DailySchedule, SwitchingOnWithoutUserSystemdOffersCrontabAndDryRunWritesTheUnits) {
    const std::filesystem::path home = MakeTempDirectory("sorvik-schedule-home");
    ScopedEnv homeVar("HOME", home.string());
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    // No session bus: systemctl --user can't reach any user's manager.
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    ScopedEnv dry("SORVIK_SCHEDULE_DRY_RUN", std::nullopt);
    const std::filesystem::path units = home / ".config/systemd/user";
    EXPECT_EQ(SystemdUserUnitFolder(), units.string());

    const DailyCheck check = LinuxCheck();
    const ScheduleChange none = SwitchOnDailyCheck(check);
    EXPECT_EQ(none.state, ScheduleState::NoScheduler) << none.detail;
    EXPECT_NE(none.detail.find("systemctl --user daemon-reload"), std::string::npos) << none.detail;
    EXPECT_EQ(none.instead, DailyCrontabLine(check));
    EXPECT_FALSE(std::filesystem::exists(units / kDailyServiceName));
    EXPECT_FALSE(std::filesystem::exists(units / kDailyTimerName));
    EXPECT_EQ(SwitchOffDailyCheck(check.dataFolder).state, ScheduleState::Off);

    {
        ScopedEnv dryRun("SORVIK_SCHEDULE_DRY_RUN", std::string("1"));
        ScopedEnv elsewhere("XDG_CONFIG_HOME", (home / "xdg").string());
        const ScheduleChange on = SwitchOnDailyCheck(check);
        EXPECT_EQ(on.state, ScheduleState::On) << on.detail;
        const std::filesystem::path xdgUnits = home / "xdg/systemd/user";
        EXPECT_EQ(FileText(xdgUnits / kDailyServiceName), DailyServiceUnit(check));
        EXPECT_EQ(FileText(xdgUnits / kDailyTimerName), DailyTimerUnit(check));
        EXPECT_EQ(SwitchOffDailyCheck(check.dataFolder).state, ScheduleState::Off);
        EXPECT_FALSE(std::filesystem::exists(xdgUnits / kDailyServiceName));
        EXPECT_FALSE(std::filesystem::exists(xdgUnits / kDailyTimerName));
    }

    const CommandResult missing = RunCommand({"sorvik-no-such-program"});
    EXPECT_FALSE(missing.started);
    const CommandResult said = RunCommand({"sh", "-c", "echo out; echo err >&2; exit 3"});
    EXPECT_TRUE(said.started);
    EXPECT_EQ(said.exitCode, 3);
    EXPECT_EQ(said.output, "out\nerr\n");
    std::filesystem::remove_all(home);
}
#endif

TEST(DailySchedule, SettingsLockAndLastRunRecord) {
    const std::filesystem::path folder = MakeTempDirectory("sorvik-schedule-data");
    const TrackerFiles files(folder.u8string());
    TrackerSettings settings;
    EXPECT_FALSE(files.ReadSettings().dailyCheck);
    settings.dailyCheck = true;
    settings.dailyTime = "07:30";
    std::string error;
    ASSERT_TRUE(files.WriteSettings(settings, error)) << error;
    EXPECT_TRUE(files.ReadSettings().dailyCheck);
    EXPECT_EQ(files.ReadSettings().dailyTime, "07:30");
    // A time written by hand is read in its usual form; one that is no time
    // of day keeps the default.
    for (const auto& [written, read] : {std::pair<const char*, const char*>{"7:05", "07:05"},
                                        {"25:00", "09:00"},
                                        {"", "09:00"}}) {
        ASSERT_TRUE(WriteFileWhole(files.SettingsFile(),
                                   std::string("daily_check=on\ndaily_time=") + written + "\n",
                                   error));
        EXPECT_EQ(files.ReadSettings().dailyTime, read) << written;
    }

    // One scheduled run at a time, whoever asks; free again once released.
    ScheduledRunLock::Taken taken = ScheduledRunLock::Taken::NoLockFile;
    {
        auto first = ScheduledRunLock::Take(files.Folder(), taken);
        ASSERT_TRUE(first);
        EXPECT_EQ(taken, ScheduledRunLock::Taken::Yes);
        EXPECT_FALSE(ScheduledRunLock::Take(files.Folder(), taken));
        EXPECT_EQ(taken, ScheduledRunLock::Taken::HeldElsewhere);
    }
    EXPECT_TRUE(ScheduledRunLock::Take(files.Folder(), taken));
    EXPECT_FALSE(ScheduledRunLock::Take((folder / "missing").u8string(), taken));
    EXPECT_EQ(taken, ScheduledRunLock::Taken::NoLockFile);

    EXPECT_FALSE(ReadScheduledRunRecord(files.Folder()));
    ScheduledRunRecord record;
    record.started = At("2026-12-09T09:00:00+08:00");
    record.ended = At("2026-12-09T09:04:10+08:00");
    record.exitStatus = 3;
    CountOutcomes(
        {CheckOutcome::Found, CheckOutcome::NotFound, CheckOutcome::Finished, CheckOutcome::NoItems,
         CheckOutcome::DownloadFailed, CheckOutcome::FormRejected, CheckOutcome::Stopped},
        record);
    EXPECT_EQ(record.checked, 4);
    EXPECT_EQ(record.failed, 2);
    EXPECT_EQ(record.stopped, 1);
    ASSERT_TRUE(WriteScheduledRunRecord(files.Folder(), record, error)) << error;
    const std::optional<ScheduledRunRecord> read = ReadScheduledRunRecord(files.Folder());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->started, record.started);
    EXPECT_EQ(read->ended, record.ended);
    EXPECT_EQ(read->exitStatus, 3);
    EXPECT_EQ(read->checked, 4);
    EXPECT_EQ(read->failed, 2);
    EXPECT_EQ(read->stopped, 1);
    // A damaged record is no record.
    for (const char* damaged : {"{\"started\":1}", "not json", "{\"started\":\"x\"}"}) {
        ASSERT_TRUE(WriteFileWhole(files.Folder() + "/" + kLastScheduledRunName, damaged, error));
        EXPECT_FALSE(ReadScheduledRunRecord(files.Folder())) << damaged;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace sorvik
