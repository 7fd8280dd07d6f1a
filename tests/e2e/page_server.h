// A small HTTP server of the test's own on 127.0.0.1, for pages and
// behaviours the demo marketplace does not have.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace sorvik {
namespace test {

class PageServer {
  public:
    // `handler` answers GET /search; `page` is 1 for the first page, k for
    // s=40*(k-1).
    using Handler = std::function<void(int page, httplib::Response&)>;
    explicit PageServer(Handler handler);
    ~PageServer();
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    // When each request for /search came in, in order, taken before it is
    // answered.
    std::vector<std::chrono::steady_clock::time_point> RequestTimes() const;

  private:
    std::unique_ptr<httplib::Server> m_server;
    mutable std::mutex m_timesLock;
    std::vector<std::chrono::steady_clock::time_point> m_requestTimes;
    std::thread m_thread;
    int m_port = 0;
};

// A raw result page in GBK: `items` items from position `first` on, the
// count `total`, the pager when `pager` is set, and `extra` markup in the body.
std::string RawResultPage(int first, int items, int total, bool pager,
                          const std::string& extra = "");

}  // namespace test
}  // namespace sorvik
