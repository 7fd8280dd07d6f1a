// Child processes for end-to-end tests: the demo marketplace and sorvik-cli.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "work_dir.h"

namespace sorvik {
namespace test {

struct ProcessResult {
    int exitStatus = -1;  // the exit code, or 128 + signal
    std::string out;
    std::string err;
};

// Runs `argv` in `dir` with `env` added to the environment and waits for it,
// at most `timeout` (then it is killed and the test fails).
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& dir,
                         const std::map<std::string, std::string>& env,
                         std::chrono::seconds timeout = std::chrono::seconds(120));

// A process that runs in the background until it is stopped or destroyed.
class BackgroundProcess {
  public:
    BackgroundProcess(const std::vector<std::string>& argv, const std::string& dir,
                      const std::map<std::string, std::string>& env);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // The first line the process writes to stdout (empty when it ends first).
    std::string ReadLine(std::chrono::seconds timeout = std::chrono::seconds(20));
    void Signal(int signal);
    // Waits for the end and collects the rest of stdout and all of stderr.
    ProcessResult Wait(std::chrono::seconds timeout = std::chrono::seconds(120));
    pid_t Pid() const { return m_pid; }

  private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_outBuffer;
    std::string m_errBuffer;
    bool m_waited = false;
};

// The demo marketplace on 127.0.0.1 with the given options.
class DemoMarket {
  public:
    explicit DemoMarket(std::vector<std::string> options = {});
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    int Port() const { return m_port; }
    // Request targets logged so far, one per request.
    std::vector<std::string> Requests() const;
    // The catalog, one TSV line per item.
    static std::vector<std::vector<std::string>> Catalog(const std::vector<std::string>& options);

  private:
    WorkDir m_dir{false};
    std::unique_ptr<BackgroundProcess> m_process;
    int m_port = 0;
};

struct CliRun {
    int exitStatus;
    std::vector<std::vector<std::string>> rows;  // tab-separated stdout lines
    std::vector<std::string> messages;           // "message: " lines of stderr
    std::string status;                          // the "status: " line of stderr
    std::string err;
};

// Parses sorvik-cli's output.
CliRun ParseCliOutput(const ProcessResult& result);

// Runs sorvik-cli in `dir` against `market`.
CliRun RunCli(const DemoMarket& market, const WorkDir& dir, const std::vector<std::string>& args,
              std::map<std::string, std::string> env = {});

std::vector<std::string> SplitTabs(const std::string& line);

// The sorvik-cli the tests run (see SORVIK_TEST_CLI), for a command line
// that starts it by way of a shell.
std::string CliProgram();

// The id of a process that has ended: what a run killed outright leaves in
// the names of its files.
pid_t EndedProcessId();

}  // namespace test
}  // namespace sorvik
