// sorvik-demo-market: a local marketplace that serves list-view result pages
// and item pages from a built-in catalog, for demos and end-to-end tests.

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <functional>
#include <iostream>
#include <optional>
#include <thread>

#include "catalog.h"
#include "market_server.h"
#include "options.h"
#include "process_signals.h"

namespace {

using sorvik::demo::Catalog;
using sorvik::demo::DemoOptions;
using sorvik::demo::MarketServer;
using sorvik::demo::StopFlag;

constexpr int kExitBadOptions = 2;
constexpr int kExitFailure = 1;

// The item host from SORVIK_ITEM_HOST, or empty when unset. Throws
// OptionError on a value that cannot go into a link.
std::string ItemHostFromEnvironment() {
    const char* value = std::getenv("SORVIK_ITEM_HOST");
    if (value == nullptr || *value == '\0') return std::string();
    if (!sorvik::demo::IsValidHost(value)) {
        throw sorvik::demo::OptionError(std::string("SORVIK_ITEM_HOST is not a host[:port]: '") +
                                        value + "'");
    }
    return value;
}

int DumpCatalog(const DemoOptions& options, std::string itemHost) {
    if (itemHost.empty() && options.port != 0) {
        itemHost = "127.0.0.1:" + std::to_string(options.port);
    }
    sorvik::demo::WriteCatalogTsv(std::cout, Catalog(options.items, options.rotate), itemHost);
    std::cout.flush();
    return std::cout ? 0 : kExitFailure;
}

// Waits for a stop request (see process_signals.h) or for the time limit,
// then stops the server.
void WatchForStop(std::optional<unsigned> limitSeconds, StopFlag& stop, MarketServer& server,
                  const std::atomic<bool>& serverEnded) {
    const auto deadline =
        limitSeconds ? std::chrono::steady_clock::now() + std::chrono::seconds(*limitSeconds)
                     : std::chrono::steady_clock::time_point::max();
    while (!serverEnded) {
        if (sorvik::demo::WaitForStopRequest(std::chrono::milliseconds(100))) break;
        if (std::chrono::steady_clock::now() >= deadline) break;
    }
    stop.Raise();
    server.Stop();
}

}  // namespace

int main(int argc, char** argv) {
    // Before any thread starts, so that only the watcher sees stop requests.
    sorvik::demo::TakeOverSignals();
#ifdef _WIN32
    // What the program prints is read by programs (the port line, the
    // catalog dump): the same bytes as elsewhere, no "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
#endif

    DemoOptions options;
    std::string itemHost;
    try {
        options = sorvik::demo::ParseOptions(argc - 1, argv + 1);
        itemHost = ItemHostFromEnvironment();
    } catch (const sorvik::demo::OptionError& error) {
        std::cerr << "sorvik-demo-market: " << error.what() << "\n"
                  << "Try 'sorvik-demo-market --help'.\n";
        return kExitBadOptions;
    }
    if (options.help) {
        std::cout << sorvik::demo::UsageText();
        return 0;
    }
    if (options.dumpCatalog) return DumpCatalog(options, itemHost);

    const Catalog catalog(options.items, options.rotate);
    StopFlag stop;
    std::optional<MarketServer> server;
    int port = 0;
    try {
        server.emplace(options, catalog, stop);  // opens the --log file
    } catch (const std::exception& error) {
        std::cerr << "sorvik-demo-market: " << error.what() << "\n";
        return kExitBadOptions;
    }
    try {
        port = server->Bind(itemHost);
    } catch (const std::exception& error) {
        std::cerr << "sorvik-demo-market: " << error.what() << "\n";
        return kExitFailure;
    }
    std::cout << port << "\n" << std::flush;

    std::atomic<bool> serverEnded{false};
    std::thread watcher(WatchForStop, options.exitAfterSeconds, std::ref(stop), std::ref(*server),
                        std::cref(serverEnded));
    const bool ran = server->Run();
    serverEnded = true;
    watcher.join();
    if (!ran) {
        std::cerr << "sorvik-demo-market: the server stopped with an error\n";
        return kExitFailure;
    }
    return 0;
}
