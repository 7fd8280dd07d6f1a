// The HTTP side of the demo marketplace: routes, failure and delay
// injection, the request log.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "catalog.h"
#include "options.h"

namespace sorvik::demo {

// Set once when the server is to stop; waits that should end early watch it.
class StopFlag {
  public:
    void Raise();
    bool Raised() const;
    // Waits until the flag is raised or `duration` has passed; true when raised.
    bool WaitFor(std::chrono::milliseconds duration) const;

  private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_raised = false;
};

// Appends lines to a file, flushing each one; safe to use from many threads.
class RequestLog {
  public:
    // Opens `path` for appending; throws std::runtime_error when it cannot.
    explicit RequestLog(const std::string& path);
    void Append(const std::string& line);

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::mutex m_mutex;
    std::unique_ptr<std::FILE, FileCloser> m_file;
};

class MarketServer {
  public:
    // `catalog` and `stop` must outlive the server. Opens the log files, if
    // any (throws std::runtime_error when it cannot).
    MarketServer(const DemoOptions& options, const Catalog& catalog, const StopFlag& stop);
    ~MarketServer();
    MarketServer(const MarketServer&) = delete;
    MarketServer& operator=(const MarketServer&) = delete;

    // Binds 127.0.0.1 on the configured port (any free port for 0). Item
    // links use `itemHost`, or 127.0.0.1:PORT when it is empty. Returns the
    // port; throws std::runtime_error when binding fails.
    int Bind(const std::string& itemHost);

    // Serves until Stop. Returns false when the server could not run.
    bool Run();

    // Ends Run; callable once or more from another thread, before or during
    // Run.
    void Stop();

  private:
    class HttpServer;
    void Route();

    DemoOptions m_options;
    const Catalog& m_catalog;
    const StopFlag& m_stop;
    std::unique_ptr<RequestLog> m_log;
    std::unique_ptr<RequestLog> m_timingLog;
    std::unique_ptr<HttpServer> m_http;
};

}  // namespace sorvik::demo
