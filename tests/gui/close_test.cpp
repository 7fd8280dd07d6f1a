// The real program in a child process: the About box shows before the main
// window, and closing the main window ends the process after the 500 ms
// wait, also while the worker is inside a slow download.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "gui_harness.h"
#include "resource.h"
#include "sorvik_dlg.h"
#include "test_environment.h"
#include "x11_probe.h"

extern char** environ;

using namespace gui_test;

namespace {

using Clock = std::chrono::steady_clock;

// A program (`sorvik` unless named) started in the current directory, its
// output in app.log.
class ChildApp {
  public:
    explicit ChildApp(const char* program = SORVIK_APP) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "app.log",
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        char* argv[] = {const_cast<char*>(program), nullptr};
        if (posix_spawn(&m_pid, program, &actions, nullptr, argv, environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildApp() {
        if (m_pid > 0 && !m_ended) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &m_status, 0);
        }
    }
    pid_t Pid() const { return m_pid; }
    // Waits up to `timeoutMs` for the process to end.
    bool WaitEnd(int timeoutMs) {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < end) {
            if (waitpid(m_pid, &m_status, WNOHANG) == m_pid) return m_ended = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    int ExitStatus() const { return m_status; }
    static std::string Log() {
        std::ifstream in("app.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_ended = false;
};

XWindow WaitShown(X11Probe& x, const char* title, pid_t pid, int timeoutMs) {
    XWindow found = 0;
    PumpUntil([&] { return (found = x.FindShown(title, pid)) != 0; }, timeoutMs);
    return found;
}

bool NonEmptyFile(const char* name) {
    struct stat info;
    return stat(name, &info) == 0 && info.st_size > 0;
}

// Gets past the About box and shows the main window; returns it.
XWindow OpenMainWindow(X11Probe& x, ChildApp& app) {
    const XWindow about = WaitShown(x, "关于 Sorvik", app.Pid(), 15000);
    EXPECT_NE(about, 0u) << ChildApp::Log();
    if (!about) return 0;
    // The About box stands alone at first.
    Pump(300);
    EXPECT_EQ(x.FindShown("Sorvik", app.Pid()), 0u);
    x.RequestClose(about);
    const XWindow main = WaitShown(x, "Sorvik", app.Pid(), 10000);
    EXPECT_NE(main, 0u) << ChildApp::Log();
    return main;
}

// Ends the child with a close request; returns how long it took.
std::chrono::milliseconds CloseAndMeasure(X11Probe& x, XWindow main, ChildApp& app) {
    const auto before = Clock::now();
    x.RequestClose(main);
    EXPECT_TRUE(app.WaitEnd(5000)) << "still running 5 s after the close";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before);
    std::printf("closing took %lld ms\n", static_cast<long long>(took.count()));
    return took;
}

// Where the keyword field and Start stand inside the child's window: the
// same layout as a dialog built in this process. The dialog stays alive
// while input is simulated.
class CloseProcess : public testing::Test {
  protected:
    void SetUp() override {
        m_layout = std::make_unique<CsorvikDlg>(nullptr, m_recorder.Seams());
        m_keywordAt = CentreOf(IDC_KEYWORD);
        m_startAt = CentreOf(IDC_START);
    }

    wxPoint CentreOf(int id) {
        const wxRect r = m_layout->FindWindow(id)->GetRect();
        return m_layout->GetClientAreaOrigin() + r.GetPosition() +
               wxSize(r.width / 2, r.height / 2);
    }

    // Clicks a point of the child's window given in window coordinates.
    void ClickAt(XWindow window, const wxPoint& at) {
        int left = 0, top = 0;
        ASSERT_TRUE(m_x.RootPosition(window, left, top));
        m_input.MouseMove(left + at.x, top + at.y);
        m_input.MouseClick();
        Pump(200);
    }

    Recorder m_recorder;
    std::unique_ptr<CsorvikDlg> m_layout;
    wxPoint m_keywordAt, m_startAt;
    X11Probe m_x;
    wxUIActionSimulator m_input;
};

}  // namespace

TEST_F(CloseProcess, EnterAndEscapeDoNotCloseAndClosingWhileIdleTakesHalfASecond) {
    TempWorkDir dir;
    ASSERT_TRUE(m_x.Ok());
    ChildApp app;
    ASSERT_GT(app.Pid(), 0);
    const XWindow main = OpenMainWindow(m_x, app);
    ASSERT_NE(main, 0u);
    Pump(300);
    // Real keys in the keyword field: Enter presses no button, Escape does
    // not end the dialog.
    ClickAt(main, m_keywordAt);
    m_input.Char(WXK_RETURN);
    m_input.Char(WXK_ESCAPE);
    Pump(700);
    EXPECT_FALSE(app.WaitEnd(0));
    EXPECT_EQ(m_x.FindShown("Sorvik", app.Pid()), main);
    // Enter with an empty keyword started no search either: that would have
    // written nothing, but shown a message box titled after the program.
    EXPECT_EQ(m_x.FindShown("sorvik", app.Pid()), 0u);

    const auto took = CloseAndMeasure(m_x, main, app);
    EXPECT_GE(took.count(), 500);
    EXPECT_LT(took.count(), 1500);
    ASSERT_TRUE(WIFEXITED(app.ExitStatus())) << ChildApp::Log();
    EXPECT_EQ(WEXITSTATUS(app.ExitStatus()), 0) << ChildApp::Log();
}

TEST_F(CloseProcess, ClosingDuringADownloadEndsTheProcessWithinASecond) {
    TempWorkDir dir;
    DemoMarket demo({"--items", "80", "--slow-page", "2", "--slow-ms", "30000"});
    ASSERT_TRUE(demo.Running());
    ASSERT_TRUE(m_x.Ok());
    ChildApp app;
    ASSERT_GT(app.Pid(), 0);
    const XWindow main = OpenMainWindow(m_x, app);
    ASSERT_NE(main, 0u);
    Pump(300);

    ClickAt(main, m_keywordAt);
    m_input.Text("dress");
    Pump(200);
    ClickAt(main, m_startAt);

    // Page 1 is downloaded and cleaned; page 2 hangs in the demo.
    ASSERT_TRUE(PumpUntil([] { return NonEmptyFile("data_backup.html"); }, 20000))
        << "the search did not start\n"
        << ChildApp::Log();
    Pump(1000);
    ASSERT_FALSE(app.WaitEnd(0));

    const auto took = CloseAndMeasure(m_x, main, app);
    EXPECT_GE(took.count(), 500);
    EXPECT_LT(took.count(), 1500);
    ASSERT_TRUE(WIFEXITED(app.ExitStatus())) << ChildApp::Log();
    EXPECT_EQ(WEXITSTATUS(app.ExitStatus()), 0) << ChildApp::Log();
}

// The tracker window started as a user starts it: the toolkit complains of
// nothing, the title is in WM_NAME too (older window managers, taskbars and
// xdotool read only that), and closing the idle window ends the process at
// once.
TEST(TrackerProcess, StartsQuietlyIsNamedForEveryWindowManagerAndClosesAtOnce) {
    TempWorkDir dir;
    struct DataHome {
        std::string before;
        bool had = false;
        ~DataHome() {
            if (had)
                sorvik::SetEnv("XDG_DATA_HOME", before);
            else
                sorvik::UnsetEnv("XDG_DATA_HOME");
        }
    } dataHome;
    if (const char* value = std::getenv("XDG_DATA_HOME")) dataHome = {value, true};
    sorvik::SetEnv("XDG_DATA_HOME", dir.Path() + "/data");
    X11Probe x;
    ASSERT_TRUE(x.Ok());
    ChildApp app(SORVIK_TRACKER);
    ASSERT_GT(app.Pid(), 0);
    const char* title = "Sorvik 排名跟踪";
    const XWindow main = WaitShown(x, title, app.Pid(), 15000);
    ASSERT_NE(main, 0u) << ChildApp::Log();
    EXPECT_EQ(x.LegacyTitle(main), title);
    Pump(500);

    const auto took = CloseAndMeasure(x, main, app);
    EXPECT_LT(took.count(), 300);
    ASSERT_TRUE(WIFEXITED(app.ExitStatus())) << ChildApp::Log();
    EXPECT_EQ(WEXITSTATUS(app.ExitStatus()), 0) << ChildApp::Log();
    EXPECT_EQ(ChildApp::Log().find("CRITICAL"), std::string::npos) << ChildApp::Log();
}
