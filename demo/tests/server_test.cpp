// Tests of the demo marketplace over HTTP, in-process and as a program.

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "catalog.h"
#include "market_server.h"
#include "options.h"

namespace sorvik::demo {
namespace {

// ---- helpers ---------------------------------------------------------------

// Strict GBK to UTF-8, written apart from the server's own conversion.
std::string GbkToUtf8(const std::string& gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no iconv");
    std::unique_ptr<void, int (*)(iconv_t)> owner(cd, iconv_close);
    std::string out(gbk.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(gbk.data());
    std::size_t inLeft = gbk.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("body is not GBK");
    }
    out.resize(out.size() - outLeft);
    return out;
}

struct Reply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string contentType;
    std::string body;  // as received
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// A libcurl handle, reused across requests so that keep-alive applies.
class Client {
  public:
    Client() : m_curl(curl_easy_init(), curl_easy_cleanup) {}

    Reply Get(const std::string& url) {
        Reply reply;
        CURL* curl = m_curl.get();
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
        reply.code = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
        char* type = nullptr;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
        if (type != nullptr) reply.contentType = type;
        return reply;
    }

  private:
    std::unique_ptr<CURL, void (*)(CURL*)> m_curl;
};

// A MarketServer running on its own thread for the life of the object.
class RunningServer {
  public:
    explicit RunningServer(const DemoOptions& options, const std::string& itemHost = "")
        : m_catalog(options.items), m_server(options, m_catalog, m_stop) {
        m_port = m_server.Bind(itemHost);
        m_thread = std::thread([this] { m_server.Run(); });
    }
    ~RunningServer() { Stop(); }

    void Stop() {
        if (!m_thread.joinable()) return;
        m_stop.Raise();
        m_server.Stop();
        m_thread.join();
    }

    int Port() const { return m_port; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    std::string Page(std::uint64_t offset, const std::string& keyword = "%E8%A3%99") const {
        std::string url =
            Base() + "/search?initiative_id=staobaoz_20240131&tab=all&style=list&q=" + keyword;
        if (offset > 0) url += "&bcoffset=4&s=" + std::to_string(offset);
        return url;
    }

  private:
    Catalog m_catalog;
    StopFlag m_stop;
    MarketServer m_server;
    int m_port = 0;
    std::thread m_thread;
};

std::size_t Occurrences(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "/sorvik-demo-" + std::to_string(::getpid()) + "-" + name;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// ---- in-process server -----------------------------------------------------

TEST(Server, AnswersResultPagesInGbk) {
    RunningServer server{DemoOptions()};
    Client client;
    const Reply reply = client.Get(server.Page(0));
    ASSERT_EQ(reply.code, CURLE_OK);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, "text/html; charset=gbk");
    const std::string page = GbkToUtf8(reply.body);
    EXPECT_NE(page, reply.body);
    EXPECT_EQ(Occurrences(page, "<li class=\"result-info\">100件宝贝</li>"), 1u);
    EXPECT_EQ(Occurrences(page, "<h3 class=\"summary\">"), 40u);
    EXPECT_EQ(Occurrences(page, "上一页</a><a href=\"#\">下一页"), 1u);
    const std::string firstLink = "<a href=\"http://127.0.0.1:" + std::to_string(server.Port()) +
                                  "/item.htm?id=10000000001\"";
    EXPECT_NE(page.find(firstLink), std::string::npos);
}

TEST(Server, PagesFollowTheOffset) {
    RunningServer server{DemoOptions()};
    Client client;
    const std::string second = GbkToUtf8(client.Get(server.Page(40)).body);
    EXPECT_EQ(Occurrences(second, "<h3 class=\"summary\">"), 40u);
    EXPECT_LT(second.find("10000000041"), second.find("10000000042"));
    EXPECT_EQ(second.find("10000000040\""), std::string::npos);
    EXPECT_EQ(second.find("10000000081"), std::string::npos);
    EXPECT_NE(second.find("tb-pagination"), std::string::npos);

    const std::string third = GbkToUtf8(client.Get(server.Page(80)).body);
    EXPECT_EQ(Occurrences(third, "<h3 class=\"summary\">"), 20u);
    EXPECT_NE(third.find("10000000100"), std::string::npos);
    EXPECT_EQ(third.find("tb-pagination"), std::string::npos);

    const Reply past = client.Get(server.Page(120));
    EXPECT_EQ(past.status, 200);
    const std::string empty = GbkToUtf8(past.body);
    EXPECT_EQ(Occurrences(empty, "<h3 class=\"summary\">"), 0u);
    EXPECT_NE(empty.find("100件宝贝"), std::string::npos);
    EXPECT_NE(empty.find("tb-pagination"), std::string::npos);
}

TEST(Server, KeywordDoesNotFilter) {
    RunningServer server{DemoOptions()};
    Client client;
    EXPECT_EQ(client.Get(server.Page(0, "abc")).body, client.Get(server.Page(0, "")).body);
}

TEST(Server, RefusesMalformedSearchesAndUnknownPaths) {
    RunningServer server{DemoOptions()};
    Client client;
    EXPECT_EQ(client.Get(server.Page(0) + "&s=40").status, 400);
    EXPECT_EQ(client.Get(server.Page(0) + "&bcoffset=4&s=x").status, 400);
    EXPECT_EQ(client.Get(server.Base() + "/search?q=a").status, 400);
    const Reply missing = client.Get(server.Base() + "/nothing-here");
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.contentType, "text/html; charset=gbk");
    EXPECT_NE(GbkToUtf8(missing.body).find("页面不存在"), std::string::npos);
}

TEST(Server, AnswersItemPages) {
    RunningServer server{DemoOptions()};
    Client client;
    const CatalogItem item = MakeCatalogItem(3);
    const Reply reply = client.Get(server.Base() + "/item.htm?spm=a1z10.1&id=" + item.id);
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, "text/html; charset=gbk");
    const std::string page = GbkToUtf8(reply.body);
    EXPECT_NE(page.find(item.Title()), std::string::npos);
    EXPECT_NE(page.find(item.seller), std::string::npos);
    EXPECT_NE(page.find(item.price), std::string::npos);
    EXPECT_EQ(client.Get(server.Base() + "/item.htm?id=10000000101").status, 404);
    EXPECT_EQ(client.Get(server.Base() + "/item.htm").status, 404);
    EXPECT_EQ(client.Get(server.Base() + "/item.htm?id=1&id=2").status, 404);
}

TEST(Server, ItemHostGoesIntoLinks) {
    RunningServer server(DemoOptions(), "item.example:81");
    Client client;
    const std::string page = GbkToUtf8(client.Get(server.Page(0)).body);
    EXPECT_NE(page.find("href=\"http://item.example:81/item.htm?id=10000000001\""),
              std::string::npos);
    EXPECT_EQ(page.find("127.0.0.1"), std::string::npos);
}

TEST(Server, FailingPageAnswers500) {
    DemoOptions options;
    options.failPage = 2;
    RunningServer server(options);
    Client client;
    EXPECT_EQ(client.Get(server.Page(0)).status, 200);
    EXPECT_EQ(client.Get(server.Page(40)).status, 500);
    EXPECT_EQ(client.Get(server.Page(80)).status, 200);
}

TEST(Server, FailingPageClosesTheConnectionWithoutAResponse) {
    DemoOptions options;
    options.failPage = 2;
    options.failMode = FailMode::kClose;
    RunningServer server(options);

    Client client;
    const Reply first = client.Get(server.Page(0));
    EXPECT_EQ(first.code, CURLE_OK);
    // The same handle reuses the kept-alive connection for page 2.
    const Reply failed = client.Get(server.Page(40));
    EXPECT_EQ(failed.code, CURLE_GOT_NOTHING);
    EXPECT_TRUE(failed.body.empty());
    EXPECT_EQ(Client().Get(server.Page(40)).code, CURLE_GOT_NOTHING);
    EXPECT_EQ(client.Get(server.Page(80)).status, 200);

    // At the socket: not a single byte, then end of stream.
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server.Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string url = server.Page(40);
    const std::string request =
        "GET " + url.substr(url.find("/search")) + " HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_EQ(::send(sock, request.data(), request.size(), 0),
              static_cast<ssize_t>(request.size()));
    timeval timeout{10, 0};
    ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char buffer[256];
    EXPECT_EQ(::recv(sock, buffer, sizeof buffer, 0), 0);
    ::close(sock);
}

TEST(Server, SlowPageAnswersLate) {
    DemoOptions options;
    options.slowPage = 2;
    options.slowMs = 600;
    RunningServer server(options);
    Client client;
    auto timed = [&client](const std::string& url) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client.Get(url).status, 200);
        return std::chrono::steady_clock::now() - start;
    };
    EXPECT_LT(timed(server.Page(0)), std::chrono::milliseconds(500));
    EXPECT_GE(timed(server.Page(40)), std::chrono::milliseconds(600));
    EXPECT_LT(timed(server.Page(80)), std::chrono::milliseconds(500));
}

TEST(Server, StoppingCutsASlowAnswerShort) {
    DemoOptions options;
    options.slowPage = 1;
    options.slowMs = 20000;  // a server that ignores the stop answers after this
    RunningServer server(options);
    const auto start = std::chrono::steady_clock::now();
    std::thread request([&server] { Client().Get(server.Page(0)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.Stop();
    request.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(Server, LogsRawRequestTargetsAndTheTimeSpentBuildingEachAnswer) {
    const std::string log = TempPath("requests.log");
    const std::string timingLog = TempPath("timing.log");
    {
        std::ofstream earlier(log);
        earlier << "earlier line\n";
    }
    std::remove(timingLog.c_str());
    DemoOptions options;
    options.logFile = log;
    options.timingLogFile = timingLog;
    {
        RunningServer server(options);
        Client client;
        client.Get(server.Page(0, "%61%62%63"));
        client.Get(server.Page(40, "%E8%A3%99+x"));
        client.Get(server.Base() + "/item.htm?id=10000000002&ns=1");
    }
    const std::vector<std::string> targets = {
        "/search?initiative_id=staobaoz_20240131&tab=all&style=list&q=%61%62%63",
        "/search?initiative_id=staobaoz_20240131&tab=all&style=list&q=%E8%A3%99+x&"
        "bcoffset=4&s=40",
        "/item.htm?id=10000000002&ns=1"};
    std::vector<std::string> expected = {"earlier line"};
    expected.insert(expected.end(), targets.begin(), targets.end());
    EXPECT_EQ(ReadLines(log), expected);
    // Each timing line: milliseconds with three decimals, a tab, the target.
    const std::vector<std::string> timings = ReadLines(timingLog);
    ASSERT_EQ(timings.size(), targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::size_t tab = timings[i].find('\t');
        ASSERT_NE(tab, std::string::npos) << timings[i];
        EXPECT_EQ(timings[i].substr(tab + 1), targets[i]);
        std::size_t parsed = 0;
        EXPECT_GE(std::stod(timings[i].substr(0, tab), &parsed), 0.0) << timings[i];
        EXPECT_EQ(parsed, tab) << timings[i];
    }
    std::remove(log.c_str());
    std::remove(timingLog.c_str());
}

TEST(Server, UnwritableLogsAreRefused) {
    const Catalog catalog(1);
    const StopFlag stop;
    DemoOptions options;
    options.logFile = "/nonexistent-dir/requests.log";
    EXPECT_THROW(MarketServer(options, catalog, stop), std::runtime_error);
    options.logFile.clear();
    options.timingLogFile = "/nonexistent-dir/timing.log";
    EXPECT_THROW(MarketServer(options, catalog, stop), std::runtime_error);
}

TEST(Server, StopBeforeRunEndsRunAtOnce) {
    const Catalog catalog(1);
    const StopFlag stop;
    MarketServer server(DemoOptions(), catalog, stop);
    server.Bind("");
    server.Stop();
    EXPECT_TRUE(server.Run());
}

TEST(Server, ExplicitPortInUseIsRefused) {
    RunningServer first{DemoOptions()};
    DemoOptions options;
    options.port = first.Port();
    const Catalog catalog(1);
    const StopFlag stop;
    MarketServer second(options, catalog, stop);
    EXPECT_THROW(second.Bind(""), std::runtime_error);
}

// ---- the program -----------------------------------------------------------

// A started sorvik-demo-market; killed on destruction unless waited for,
// so a failed check leaves no server behind.
struct Program {
    pid_t pid = -1;
    int stdoutFd = -1;

    Program(pid_t id, int fd) : pid(id), stdoutFd(fd) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (stdoutFd >= 0) ::close(stdoutFd);
    }
};

// Waits for the program to end; its exit status, or 128 + the signal.
int WaitExit(Program& program) {
    int status = 0;
    ::waitpid(program.pid, &status, 0);
    program.pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::unique_ptr<Program> Start(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    std::vector<std::string> all = {SORVIK_DEMO_MARKET_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    return std::make_unique<Program>(pid, pipeFds[0]);
}

std::string ReadAll(int fd) {
    std::string out;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, got);
    return out;
}

std::string ReadLine(int fd) {
    std::string line;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

TEST(Program, PrintsItsPortServesAndStopsOnSigterm) {
    for (int signal : {SIGTERM, SIGINT}) {
        const auto program = Start({"--exit-after-seconds", "60", "--items", "41"});
        const std::string portLine = ReadLine(program->stdoutFd);
        ASSERT_FALSE(portLine.empty());
        ASSERT_EQ(portLine.find_first_not_of("0123456789"), std::string::npos) << portLine;
        const std::string base = "http://127.0.0.1:" + portLine;
        const Reply reply = Client().Get(
            base +
            "/search?initiative_id=staobaoz_20240131&tab=all&style=list&q=a&bcoffset=4&s=40");
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(Occurrences(GbkToUtf8(reply.body), "<h3 class=\"summary\">"), 1u);
        ::kill(program->pid, signal);
        EXPECT_EQ(WaitExit(*program), 0);
        EXPECT_EQ(ReadAll(program->stdoutFd), "");
    }
}

TEST(Program, ExitsAfterItsTimeLimit) {
    const auto start = std::chrono::steady_clock::now();
    const auto program = Start({"--exit-after-seconds", "1"});
    EXPECT_FALSE(ReadLine(program->stdoutFd).empty());
    EXPECT_EQ(WaitExit(*program), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Program, DumpsTheCatalog) {
    const auto program = Start({"--dump-catalog", "--items", "5", "--port", "4321"});
    const std::string dump = ReadAll(program->stdoutFd);
    EXPECT_EQ(WaitExit(*program), 0);
    std::ostringstream expected;
    WriteCatalogTsv(expected, Catalog(5), "127.0.0.1:4321");
    EXPECT_EQ(dump, expected.str());
}

TEST(Program, BadOptionsExitWithStatus2) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--style", "ugly"}, {"--bogus"}, {"--fail-mode", "close"}}) {
        const auto program = Start(args);
        EXPECT_EQ(ReadAll(program->stdoutFd), "");
        EXPECT_EQ(WaitExit(*program), 2) << args[0];
    }
}

}  // namespace
}  // namespace sorvik::demo
