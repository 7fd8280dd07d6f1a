#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace sorvik {
namespace test {
namespace {

using Clock = std::chrono::steady_clock;

// The program to run for argv[0]: the tests' sorvik-cli may be replaced by
// another build of it, named by SORVIK_TEST_CLI (the Windows build run
// through Wine, for example).
std::string Program(const std::string& name) {
    const char* other = std::getenv("SORVIK_TEST_CLI");
    return name == SORVIK_CLI && other && *other ? std::string(other) : name;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& dir,
            const std::map<std::string, std::string>& env, int& outFd, int& errFd) {
    // Everything the child needs is made before the fork.
    const std::string program = Program(argv.at(0));
    std::vector<char*> args{const_cast<char*>(program.c_str())};
    for (std::size_t i = 1; i < argv.size(); ++i)
        args.push_back(const_cast<char*>(argv[i].c_str()));
    args.push_back(nullptr);
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, 0);
        if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outFd = out[0];
    errFd = err[0];
    return pid;
}

// Reads what is ready on the two pipes into the buffers; returns false when
// both are closed.
bool Pump(int& out, int& err, std::string& outBuf, std::string& errBuf, int timeoutMs) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    if (out < 0 && err < 0) return false;
    if (poll(fds, 2, timeoutMs) <= 0) return true;
    char buffer[65536];
    int* fdsRef[2] = {&out, &err};
    std::string* bufs[2] = {&outBuf, &errBuf};
    for (int i = 0; i < 2; ++i) {
        if (*fdsRef[i] < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        ssize_t n = read(*fdsRef[i], buffer, sizeof buffer);
        if (n > 0) {
            bufs[i]->append(buffer, n);
        } else {
            close(*fdsRef[i]);
            *fdsRef[i] = -1;
        }
    }
    return true;
}

int DecodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& dir,
                         const std::map<std::string, std::string>& env,
                         std::chrono::seconds timeout) {
    BackgroundProcess process(argv, dir, env);
    return process.Wait(timeout);
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::string& dir,
                                     const std::map<std::string, std::string>& env) {
    m_pid = Spawn(argv, dir, env, m_out, m_err);
}

BackgroundProcess::~BackgroundProcess() {
    if (!m_waited && m_pid > 0) {
        kill(m_pid, SIGKILL);
        int status;
        waitpid(m_pid, &status, 0);
    }
    if (m_out >= 0) close(m_out);
    if (m_err >= 0) close(m_err);
}

std::string BackgroundProcess::ReadLine(std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        std::size_t eol = m_outBuffer.find('\n');
        if (eol != std::string::npos) {
            std::string line = m_outBuffer.substr(0, eol);
            m_outBuffer.erase(0, eol + 1);
            return line;
        }
        if (!Pump(m_out, m_err, m_outBuffer, m_errBuffer, 100)) break;
    }
    return std::string();
}

void BackgroundProcess::Signal(int signal) {
    kill(m_pid, signal);
}

ProcessResult BackgroundProcess::Wait(std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    ProcessResult result;
    bool timedOut = false;
    while (Pump(m_out, m_err, m_outBuffer, m_errBuffer, 100)) {
        if (Clock::now() > deadline) {
            timedOut = true;
            kill(m_pid, SIGKILL);
            break;
        }
    }
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_waited = true;
    result.exitStatus = timedOut ? -2 : DecodeStatus(status);
    result.out = m_outBuffer;
    result.err = m_errBuffer;
    return result;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::string CliProgram() {
    return Program(SORVIK_CLI);
}

pid_t EndedProcessId() {
    BackgroundProcess ended({"/bin/true"}, "/", {});
    ended.Wait();
    return ended.Pid();
}

DemoMarket::DemoMarket(std::vector<std::string> options) {
    std::vector<std::string> argv = {
        SORVIK_DEMO_MARKET,     "--port", "0", "--log", m_dir.File("requests.log"),
        "--exit-after-seconds", "600"};
    argv.insert(argv.end(), options.begin(), options.end());
    m_process = std::make_unique<BackgroundProcess>(argv, m_dir.Path(),
                                                    std::map<std::string, std::string>{});
    const std::string line = m_process->ReadLine();
    m_port = std::atoi(line.c_str());
    if (m_port <= 0) throw std::runtime_error("the demo marketplace did not start: " + line);
}

std::vector<std::string> DemoMarket::Requests() const {
    std::vector<std::string> lines;
    std::ifstream log(m_dir.File("requests.log"));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

std::vector<std::vector<std::string>> DemoMarket::Catalog(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {SORVIK_DEMO_MARKET, "--dump-catalog"};
    argv.insert(argv.end(), options.begin(), options.end());
    ProcessResult result = RunProcess(argv, "", {});
    std::vector<std::vector<std::string>> items;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) items.push_back(SplitTabs(line));
    }
    return items;
}

CliRun ParseCliOutput(const ProcessResult& result) {
    CliRun run{result.exitStatus, {}, {}, {}, result.err};
    std::istringstream out(result.out);
    for (std::string line; std::getline(out, line);) run.rows.push_back(SplitTabs(line));
    std::istringstream err(result.err);
    for (std::string line; std::getline(err, line);) {
        if (line.rfind("message: ", 0) == 0) run.messages.push_back(line.substr(9));
        if (line.rfind("status: ", 0) == 0) run.status = line.substr(8);
    }
    return run;
}

CliRun RunCli(const DemoMarket& market, const WorkDir& dir, const std::vector<std::string>& args,
              std::map<std::string, std::string> env) {
    std::vector<std::string> argv = {SORVIK_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    env.emplace("SORVIK_SEARCH_HOST", market.Host());
    env.emplace("SORVIK_ITEM_HOST", market.Host());
    return ParseCliOutput(RunProcess(argv, dir.Path(), env));
}

}  // namespace test
}  // namespace sorvik
