// Servers that misbehave: every search must end with one of its described
// outcomes, never a crash or a hang.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "child_process.h"
#include "gbk_text.h"
#include "page_server.h"
#include "raw_server.h"

namespace sorvik {
namespace test {
namespace {

using Clock = std::chrono::steady_clock;

CliRun Search(const std::string& host, const WorkDir& dir,
              std::vector<std::string> args = {"--keyword", "abc"},
              std::map<std::string, std::string> env = {}) {
    args.insert(args.begin(), SORVIK_CLI);
    env["SORVIK_SEARCH_HOST"] = host;
    env["SORVIK_ITEM_HOST"] = host;
    return ParseCliOutput(RunProcess(args, dir.Path(), env, std::chrono::seconds(240)));
}

std::string HttpHead(std::size_t contentLength) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gbk\r\nContent-Length: " +
           std::to_string(contentLength) + "\r\nConnection: close\r\n\r\n";
}

class HostileServer : public ::testing::Test {
  protected:
    WorkDir dir;
};

TEST_F(HostileServer, ABodyThatStopsHalfWayIsAFailedDownload) {
    const std::string page = RawResultPage(1, 40, 100, true);
    RawServer server([&](int socket, const std::atomic<bool>&) {
        RawServer::Send(socket, HttpHead(page.size()) + page.substr(0, page.size() / 2));
    });
    CliRun run = Search(server.Host(), dir);
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败1"});
    EXPECT_TRUE(run.rows.empty());
}

TEST_F(HostileServer, AHeaderThatNeverEndsIsAFailedDownload) {
    RawServer server([](int socket, const std::atomic<bool>& stopping) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nX-Filler: ");
        const std::string filler(4096, 'a');
        // Bounded: at most 64 MB, or until the client hangs up.
        for (int i = 0; i < 16384 && !stopping; ++i) {
            if (!RawServer::Send(socket, filler)) break;
        }
    });
    const auto start = Clock::now();
    CliRun run = Search(server.Host(), dir);
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败1"});
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
}

TEST_F(HostileServer, AServerThatNeverAnswersIsGivenUpAfterAMinute) {
    RawServer server([](int, const std::atomic<bool>& stopping) {
        for (int i = 0; i < 1500 && !stopping; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    const auto start = Clock::now();
    CliRun run = Search(server.Host(), dir);
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败1"});
    EXPECT_GE(Clock::now() - start, std::chrono::seconds(59));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(90));
}

TEST_F(HostileServer, APageThatTricklesPastTheTimeLimitIsAFailedDownload) {
    // A byte every 200 ms passes the low-speed limit; the page would take
    // hours. The limit, lowered to 2 s, ends it. (The server hangs up after
    // 20 s, so that a client without the limit fails the test soon.)
    const std::string page = RawResultPage(1, 40, 100, true);
    RawServer server([&](int socket, const std::atomic<bool>& stopping) {
        RawServer::Send(socket, HttpHead(page.size()));
        for (std::size_t i = 0; i < 100 && !stopping; ++i) {
            if (!RawServer::Send(socket, page.substr(i, 1))) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });
    const auto start = Clock::now();
    CliRun run =
        Search(server.Host(), dir, {"--keyword", "abc"}, {{"SORVIK_PAGE_TIME_LIMIT", "2"}});
    const auto took = Clock::now() - start;
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败1"});
    EXPECT_NE(run.err.find("the page took longer than 2 s to download"), std::string::npos)
        << run.err;
    EXPECT_GE(took, std::chrono::seconds(2));
    EXPECT_LT(took, std::chrono::seconds(6));
}

TEST_F(HostileServer, NulBytesAndInvalidGbkStillGiveRows) {
    std::string page = RawResultPage(1, 3, 3, false);
    // A NUL inside the first title, and bytes no GBK character uses in the
    // second seller.
    page.replace(page.find("\" title=\"") + 9, 0, std::string("ab\0cd", 5));
    page.replace(page.find(Utf8ToGbk("店 2")), 0, "\xFF\x80\x81");
    PageServer server([&](int, httplib::Response& response) {
        response.set_content(page, "text/html; charset=gbk");
    });
    CliRun run = Search(server.Host(), dir);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    ASSERT_EQ(run.rows.size(), 3u);
    EXPECT_EQ(run.rows[0][1].substr(0, 2), "ab");
    EXPECT_EQ(run.rows[2][2], "店3");
    EXPECT_EQ(run.status, "查找进度:3/3 第1页->查找完毕1");
}

TEST_F(HostileServer, APageOfTenThousandItemsIsListedWhole) {
    const std::string page = RawResultPage(1, 10000, 10000, true);
    PageServer server([&](int, httplib::Response& response) {
        response.set_content(page, "text/html; charset=gbk");
    });
    CliRun run = Search(server.Host(), dir);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    ASSERT_EQ(run.rows.size(), 10000u);
    EXPECT_EQ(run.rows.back()[0], "10000");
    EXPECT_EQ(run.rows.back()[1], "宝贝 10000");
    EXPECT_EQ(run.status, "查找进度:10000/10000 第1页->查找完毕1");
}

TEST_F(HostileServer, DeepNestingBeforeTheCleaningEndsTheSearch) {
    std::string nesting;
    for (int i = 0; i < 100000; ++i) nesting += "<div>";
    const std::string page = RawResultPage(1, 2, 2, false, nesting);
    PageServer server([&](int, httplib::Response& response) {
        response.set_content(page, "text/html; charset=gbk");
    });
    const auto start = Clock::now();
    CliRun run = Search(server.Host(), dir);
    // The page is too deep to clean: its cleaned text is empty.
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败"});
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
}

TEST_F(HostileServer, ErrorsEmptyBodiesGarbageAndHugeBodies) {
    struct Case {
        const char* name;
        std::function<void(httplib::Response&)> answer;
        int exitStatus;
        std::string message;
        bool overSizeLimit = false;
    } cases[] = {
        {"404", [](httplib::Response& r) { r.status = 404; }, 3, "网络连接失败1"},
        {"400 with a page",
         [](httplib::Response& r) {
             r.status = 400;
             r.set_content(RawResultPage(1, 3, 3, false), "text/html");
         },
         3, "网络连接失败1"},
        {"503 with a page",
         [](httplib::Response& r) {
             r.status = 503;
             r.set_content(RawResultPage(1, 3, 3, false), "text/html");
         },
         3, "网络连接失败1"},
        {"empty body", [](httplib::Response& r) { r.set_content("", "text/html"); }, 1,
         "没有查询到任何宝贝"},
        {"binary garbage",
         [](httplib::Response& r) {
             std::string garbage(100000, '\0');
             for (std::size_t i = 0; i < garbage.size(); ++i)
                 garbage[i] = static_cast<char>((i * 2654435761u) >> 13);
             r.set_content(garbage, "application/octet-stream");
         },
         1, "没有查询到任何宝贝"},
        {"15 MB body",
         [](httplib::Response& r) {
             r.set_content(RawResultPage(1, 2, 2, false, std::string(15 << 20, 'x')), "text/html");
         },
         0, "查找进度:2/2 第1页->查找完毕1"},
        // A real result page is under 1 MB: past 16 MB the download fails,
        // whether the size is announced or the body never ends.
        {"20 MB body",
         [](httplib::Response& r) {
             r.set_content(RawResultPage(1, 2, 2, false, std::string(20 << 20, 'x')), "text/html");
         },
         3, "网络连接失败1", true},
        {"a body without end",
         [](httplib::Response& r) {
             r.set_chunked_content_provider(
                 "text/html", [](std::size_t offset, httplib::DataSink& sink) {
                     static const std::string chunk(64 << 10, 'x');
                     // Bounded: 64 MB at most, or until the client hangs up.
                     if (offset >= (64u << 20) || !sink.write(chunk.data(), chunk.size()))
                         sink.done();
                     return true;
                 });
         },
         3, "网络连接失败1", true},
    };
    for (const Case& c : cases) {
        PageServer server([&](int, httplib::Response& response) { c.answer(response); });
        CliRun run = Search(server.Host(), dir);
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.name << run.err;
        EXPECT_EQ(run.messages, std::vector<std::string>{c.message}) << c.name;
        if (c.overSizeLimit) {
            EXPECT_NE(run.err.find("the download failed: the page is larger than 16 MB"),
                      std::string::npos)
                << c.name << run.err;
            EXPECT_LE(std::filesystem::file_size(dir.File("data.html")), 16u << 20) << c.name;
        }
    }
}

TEST_F(HostileServer, RedirectsAreFollowedAFewTimesOverHttpOnly) {
    const std::string page = RawResultPage(1, 3, 3, false);
    httplib::Server redirects;
    std::string first = "/hop1";  // where /search sends the client
    redirects.Get("/search",
                  [&](const httplib::Request&, httplib::Response& r) { r.set_redirect(first); });
    redirects.Get("/hop1",
                  [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/hop2"); });
    redirects.Get("/hop2", [&](const httplib::Request&, httplib::Response& r) {
        r.set_content(page, "text/html");
    });
    redirects.Get("/loop",
                  [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/loop"); });
    redirects.Get("/ftp", [](const httplib::Request&, httplib::Response& r) {
        r.set_redirect("ftp://127.0.0.1/page");
    });
    const int port = redirects.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { redirects.listen_after_bind(); });
    while (!redirects.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string host = "127.0.0.1:" + std::to_string(port);

    CliRun run = Search(host, dir);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.rows.size(), 3u);

    for (const char* path : {"/loop", "/ftp"}) {
        first = path;
        run = Search(host, dir);
        EXPECT_EQ(run.exitStatus, 3) << path;
        EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败1"}) << path;
    }
    redirects.stop();
    serving.join();
}

}  // namespace
}  // namespace test
}  // namespace sorvik
