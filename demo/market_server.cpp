#include "market_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "connection_stream.h"
#include "gbk_encoding.h"
#include "platform_socket.h"
#include "result_page.h"
#include "search_request.h"

namespace sorvik::demo {

void StopFlag::Raise() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_raised = true;
    }
    m_changed.notify_all();
}

bool StopFlag::Raised() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_raised;
}

bool StopFlag::WaitFor(std::chrono::milliseconds duration) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, duration, [this] { return m_raised; });
}

// Opened in binary mode, so that lines end in "\n" on every platform.
RequestLog::RequestLog(const std::string& path) : m_file(std::fopen(path.c_str(), "ab")) {
    if (!m_file) throw std::runtime_error("cannot open log file " + path);
}

void RequestLog::Append(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::fwrite(line.data(), 1, line.size(), m_file.get());
    std::fputc('\n', m_file.get());
    std::fflush(m_file.get());
}

// httplib's server with its own per-connection loop, so that handlers can
// drop a connection without a response (see connection_stream.h).
class MarketServer::HttpServer : public httplib::Server {
  public:
    std::atomic<bool> m_runStarted{false};
    std::atomic<bool> m_runEnded{false};
    std::atomic<bool> m_stopRequested{false};

  private:
    bool process_and_close_socket(socket_t socket) override {
        {
            ConnectionStream stream(socket, read_timeout_sec_, write_timeout_sec_);
            ConnectionScope scope(stream);
            const auto stopping = [this] { return svr_sock_ == INVALID_SOCKET; };
            for (std::size_t left = keep_alive_max_count_; left > 0; --left) {
                if (!stream.WaitForRequest(keep_alive_timeout_sec_, stopping)) break;
                bool closedByClient = false;
                const bool answered = process_request(stream, left == 1, closedByClient, nullptr);
                if (!answered || closedByClient || stream.Dropped()) break;
            }
        }
        CloseSocket(socket);
        return true;
    }
};

namespace {

constexpr const char* kHtmlType = "text/html; charset=gbk";

void SetPage(httplib::Response& response, int status, const std::string& utf8Page) {
    response.status = status;
    response.set_content(Utf8ToGbk(utf8Page), kHtmlType);
}

// Times the building of one answer and appends the time to the timing log,
// if there is one, when the answer is built.
class BuildTimer {
  public:
    BuildTimer(RequestLog* log, const std::string& target) : m_log(log), m_target(target) {}
    ~BuildTimer() {
        if (!m_log) return;
        const std::chrono::duration<double, std::milli> spent = Clock::now() - m_start;
        char ms[32];
        std::snprintf(ms, sizeof ms, "%.3f\t", spent.count());
        m_log->Append(ms + m_target);
    }
    BuildTimer(const BuildTimer&) = delete;
    BuildTimer& operator=(const BuildTimer&) = delete;

    // Leaves out the time so far: a deliberate wait is not building.
    void Restart() { m_start = Clock::now(); }

  private:
    using Clock = std::chrono::steady_clock;
    RequestLog* m_log;
    const std::string& m_target;
    Clock::time_point m_start = Clock::now();
};

}  // namespace

MarketServer::MarketServer(const DemoOptions& options, const Catalog& catalog, const StopFlag& stop)
    : m_options(options), m_catalog(catalog), m_stop(stop), m_http(new HttpServer) {
    if (!m_options.logFile.empty()) m_log = std::make_unique<RequestLog>(m_options.logFile);
    if (!m_options.timingLogFile.empty())
        m_timingLog = std::make_unique<RequestLog>(m_options.timingLogFile);
    m_http->set_socket_options(SetListeningSocketOptions);
    Route();
}

MarketServer::~MarketServer() = default;

void MarketServer::Route() {
    m_http->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        if (m_log) m_log->Append(request.target);
        return httplib::Server::HandlerResponse::Unhandled;
    });

    m_http->Get("/search", [this](const httplib::Request& request, httplib::Response& response) {
        BuildTimer timer(m_timingLog.get(), request.target);
        const SearchRequest search = ReadSearchRequest(request.params);
        if (!search.valid) {
            SetPage(response, 400, RenderErrorPage(400, "错误的搜索请求：" + search.error));
            return;
        }
        // Page K is the page at offset 40*(K-1).
        const bool onPageBoundary = search.offset % kItemsPerPage == 0;
        const std::uint64_t pageNumber = search.offset / kItemsPerPage + 1;
        if (onPageBoundary && m_options.failPage == pageNumber) {
            if (m_options.failMode == FailMode::kClose) {
                CurrentConnection()->Drop();
                return;
            }
            SetPage(response, 500, RenderErrorPage(500, "服务器内部错误"));
            return;
        }
        if (onPageBoundary && m_options.slowPage == pageNumber) {
            m_stop.WaitFor(std::chrono::milliseconds(m_options.slowMs));
            timer.Restart();
        }
        SetPage(response, 200, RenderResultPage(m_catalog, search.offset, m_options.page));
    });

    m_http->Get("/item.htm", [this](const httplib::Request& request, httplib::Response& response) {
        BuildTimer timer(m_timingLog.get(), request.target);
        const CatalogItem* item = request.get_param_value_count("id") == 1
                                      ? m_catalog.FindById(request.get_param_value("id"))
                                      : nullptr;
        if (item == nullptr) {
            SetPage(response, 404, RenderErrorPage(404, "商品不存在"));
            return;
        }
        SetPage(response, 200, RenderItemPage(*item, m_options.page.itemHost));
    });

    // Fills in a page for statuses that no handler wrote a body for (no
    // such route, a request httplib could not parse).
    const httplib::Server::HandlerWithResponse fillErrorPage = [](const httplib::Request&,
                                                                  httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        const int status = response.status;
        SetPage(response, status,
                RenderErrorPage(status, status == 404 ? "页面不存在" : "请求错误"));
        return httplib::Server::HandlerResponse::Handled;
    };
    m_http->set_error_handler(fillErrorPage);
}

int MarketServer::Bind(const std::string& itemHost) {
    int port = m_options.port;
    if (port == 0) {
        port = m_http->bind_to_any_port("127.0.0.1");
        if (port < 0) throw std::runtime_error("cannot listen on 127.0.0.1");
    } else if (!m_http->bind_to_port("127.0.0.1", port)) {
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    m_options.page.itemHost = itemHost.empty() ? "127.0.0.1:" + std::to_string(port) : itemHost;
    return port;
}

bool MarketServer::Run() {
    m_http->m_runStarted = true;
    bool ran = true;
    if (!m_http->m_stopRequested) ran = m_http->listen_after_bind();
    m_http->m_runEnded = true;
    return ran;
}

void MarketServer::Stop() {
    if (m_http->m_stopRequested.exchange(true)) return;
    if (!m_http->m_runStarted) return;  // Run sees the request and returns at once
    // httplib's stop() does nothing until its accept loop runs; wait for it.
    while (!m_http->is_running() && !m_http->m_runEnded) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (m_http->is_running()) m_http->stop();
}

}  // namespace sorvik::demo
