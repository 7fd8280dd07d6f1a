// A small HTTP server of the test's own on 127.0.0.1, for pages and
// behaviours the demo marketplace does not have.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

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

  private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
};

// A raw result page in GBK: `items` items from position `first` on, the
// count `total`, the pager when `pager` is set, and `extra` markup in the body.
std::string RawResultPage(int first, int items, int total, bool pager,
                          const std::string& extra = "");

}  // namespace test
}  // namespace sorvik
