#include "gui_harness.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "about_dlg.h"

extern char** environ;

namespace gui_test {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

}  // namespace

sorvik_app::DialogSeams Recorder::Seams() {
    sorvik_app::DialogSeams seams;
    seams.messageBox = [this](const wxString& text, const wxString& caption, wxWindow* owner) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_messages.push_back({text, caption, owner});
    };
    seams.openLink = [this](const wxString& link) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_links.push_back(link);
    };
    seams.showAbout = [this](CAboutDlg& about) {
        ++m_aboutShown;
        m_mainShownDuringAbout = about.GetParent() && about.GetParent()->IsShown();
        m_aboutTitle = about.GetTitle();
        m_aboutTexts.clear();
        for (wxWindow* child : about.GetChildren())
            if (auto* label = dynamic_cast<wxStaticText*>(child))
                m_aboutTexts.push_back(label->GetLabel());
        // A real modal run, ended the way a user ends it: Escape.
        about.CallAfter([this, &about] {
            if (whileAboutOpen) whileAboutOpen();
            PressKey(about, WXK_ESCAPE);
            if (about.IsModal()) about.EndModal(wxID_ABORT);
        });
        about.ShowModal();
    };
    return seams;
}

std::vector<ShownMessage> Recorder::Messages() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_messages;
}

std::vector<wxString> Recorder::Links() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_links;
}

DemoMarket::DemoMarket(const std::vector<std::string>& options) {
    std::vector<std::string> args = {SORVIK_DEMO_MARKET, "--exit-after-seconds", "300"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    // The demo writes its own address into item links unless told otherwise.
    unsetenv("SORVIK_SEARCH_HOST");
    unsetenv("SORVIK_ITEM_HOST");
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    // The first line of the demo's output is its port.
    std::string line;
    pollfd wait = {out[0], POLLIN, 0};
    char c;
    while (m_pid > 0 && poll(&wait, 1, 10000) > 0 && read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(out[0]);
    // The line holds the port as its last number ("PORT" or "port PORT").
    const std::size_t digits = line.find_last_not_of("0123456789");
    m_port = std::atoi(line.c_str() + (digits == std::string::npos ? 0 : digits + 1));
    if (Running()) {
        setenv("SORVIK_SEARCH_HOST", Host().c_str(), 1);
        setenv("SORVIK_ITEM_HOST", Host().c_str(), 1);
    }
}

DemoMarket::~DemoMarket() {
    unsetenv("SORVIK_SEARCH_HOST");
    unsetenv("SORVIK_ITEM_HOST");
    if (m_pid <= 0) return;
    // A demo held up by a slow page may not stop at once.
    kill(m_pid, SIGTERM);
    int status;
    for (int i = 0; i < 200; ++i) {
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, &status, 0);
}

std::string DemoMarket::Host() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::vector<std::vector<std::string>> DemoMarket::Catalog(int items) const {
    std::istringstream tsv(
        RunCapture({SORVIK_DEMO_MARKET, "--dump-catalog", "--items", std::to_string(items)}));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(tsv, line);  // header
    while (std::getline(tsv, line)) rows.push_back(SplitTabs(line));
    return rows;
}

RequestLog::RequestLog() {
    char pattern[] = "/tmp/sorvik-gui-requests-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    m_path = pattern;
}

RequestLog::~RequestLog() {
    std::remove(m_path.c_str());
}

std::size_t RequestLog::Requests() const {
    std::ifstream in(m_path);
    return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

std::string RunCapture(const std::vector<std::string>& command) {
    std::vector<std::string> args = command;
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return std::string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while (spawned && (n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
    close(out[0]);
    if (spawned) {
        int status;
        waitpid(pid, &status, 0);
    }
    return text;
}

}  // namespace gui_test
