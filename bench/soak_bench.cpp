// A long run in one process: many keyword-only searches of three pages each
// against the demo marketplace, on one window that is reused as the dialog
// reuses its own, a third of them stopped at a random moment. Checks that the
// resident memory stays flat and that no search ever sees another's rows.
//
//     soak_bench [SEARCHES [SEED]]     (defaults: 300 searches, seed 1)
//
// Prints the figures and exits non-zero when a check fails.
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "gbk_text.h"
#include "search_outcome.h"
#include "search_run.h"
#include "search_window.h"

namespace {

using namespace sorvik;
using Clock = std::chrono::steady_clock;

constexpr double kMaxGrowthMb = 8.0;

double ResidentMb() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return -1;
    long size = 0;
    long resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    if (read != 2) return -1;
    return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

// A window that keeps what one search shows: its rows and what came in the
// wrong order. It is reused for every search.
class RecordingWindow : public SearchWindow {
  public:
    RecordingWindow() { m_form.keyword = Utf8ToGbk("连衣裙"); }

    // Called between two searches, while no worker runs.
    void BeginSearch() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_rows.clear();
        m_cleared = false;
        m_enabled = 0;
        m_rowsBeforeClear = 0;
        m_rowsAfterEnd = 0;
        m_clears = 0;
    }

    void ClearResults() override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_rows.clear();
        m_cleared = true;
        ++m_clears;
    }
    void SetStatusText(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_status = text;
    }
    void AppendResultRow(const ResultRow& row) override {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_cleared) ++m_rowsBeforeClear;
        if (m_enabled > 0) ++m_rowsAfterEnd;
        m_rows.push_back(row);
    }
    void EnableStart() override {
        std::lock_guard<std::mutex> lock(m_lock);
        ++m_enabled;
    }
    void ShowMessage(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_lastMessage = text;
    }

    // Read after the worker has ended.
    std::vector<ResultRow> m_rows;
    std::string m_status;
    std::string m_lastMessage;
    bool m_cleared = false;
    int m_clears = 0;
    int m_enabled = 0;
    int m_rowsBeforeClear = 0;
    int m_rowsAfterEnd = 0;

  protected:
    FormTexts ReadFormFields() override { return m_form; }
    std::string ReadStatusLine() override {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_status;
    }

  private:
    std::mutex m_lock;
    FormTexts m_form;
};

// The rows the search must list, in GBK as the window receives them: the
// catalog's texts with the blanks the cleaning leaves out of seller, price
// and sales removed, the link on the demo's own host.
std::vector<ResultRow> ExpectedRows(const std::vector<std::string>& options,
                                    const std::string& host) {
    std::vector<ResultRow> rows;
    for (const auto& item : test::DemoMarket::Catalog(options)) {
        if (item.size() < 7 || item[0].empty() || item[0][0] < '0' || item[0][0] > '9') continue;
        rows.push_back({std::to_string(rows.size() + 1), Utf8ToGbk(item[2]),
                        RemoveBlanks(Utf8ToGbk(item[3])), RemoveBlanks(Utf8ToGbk(item[4])),
                        RemoveBlanks(Utf8ToGbk(item[5])), "http://" + host + item[6]});
    }
    return rows;
}

bool SameRow(const ResultRow& a, const ResultRow& b) {
    return a.rank == b.rank && a.title == b.title && a.seller == b.seller && a.price == b.price &&
           a.sales == b.sales && a.link == b.link;
}

struct Failures {
    int count = 0;
    void Add(int search, const std::string& what) {
        if (++count <= 20) std::fprintf(stderr, "search %d: %s\n", search, what.c_str());
    }
};

// Checks what one search showed on the window. A search whose stop flag was
// set lists a prefix of the items; one that ran to its end lists them all.
void CheckSearch(int search, const RecordingWindow& window, SearchOutcome outcome, bool stopSet,
                 const std::vector<ResultRow>& catalog, Failures& failures) {
    if (window.m_clears != 1) failures.Add(search, "cleared " + std::to_string(window.m_clears));
    if (window.m_enabled != 1)
        failures.Add(search, "Start enabled " + std::to_string(window.m_enabled) + " times");
    if (window.m_rowsBeforeClear > 0) failures.Add(search, "rows before its ClearResults");
    if (window.m_rowsAfterEnd > 0) failures.Add(search, "rows after its end");
    if (window.m_rows.size() > catalog.size()) failures.Add(search, "more rows than items");
    for (std::size_t k = 0; k < window.m_rows.size() && k < catalog.size(); ++k) {
        if (!SameRow(window.m_rows[k], catalog[k])) {
            const ResultRow& r = window.m_rows[k];
            failures.Add(search, "row " + std::to_string(k + 1) + " is not item " +
                                     std::to_string(k + 1) + ": " +
                                     GbkToUtf8(r.rank + "|" + r.title + "|" + r.seller + "|" +
                                               r.price + "|" + r.sales + "|" + r.link) +
                                     ", expected " +
                                     GbkToUtf8(catalog[k].rank + "|" + catalog[k].title + "|" +
                                               catalog[k].seller + "|" + catalog[k].price + "|" +
                                               catalog[k].sales + "|" + catalog[k].link));
            break;
        }
    }
    if (outcome == SearchOutcome::Stopped) {
        if (!stopSet) failures.Add(search, "stopped without a stop");
        if (window.m_status.find(kStoppedMark) == std::string::npos)
            failures.Add(search, "stopped without the stop mark");
    } else if (stopSet &&
               (outcome == SearchOutcome::AllSeen || outcome == SearchOutcome::NoNextPage)) {
        // A stop seen in the middle of a page's walk ends the page there,
        // and the page-end tests run before the stop path.
    } else if (outcome != SearchOutcome::AllSeen || window.m_rows.size() != catalog.size()) {
        failures.Add(search, std::string("ended ") + OutcomeName(outcome) + " with " +
                                 std::to_string(window.m_rows.size()) + " rows, message " +
                                 GbkToUtf8(window.m_lastMessage));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int searches = argc > 1 ? std::atoi(argv[1]) : 300;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1;
    if (searches < 11) {
        std::fprintf(stderr, "usage: soak_bench [SEARCHES (at least 11) [SEED]]\n");
        return 2;
    }

    // The demo and the catalog take their item host from the environment.
    unsetenv("SORVIK_ITEM_HOST");
    unsetenv("SORVIK_SEARCH_HOST");
    test::WorkDir dir;
    std::filesystem::current_path(dir.Path());
    // 100 items: pages of 40, 40 and 20. The demo must outlive the run, and
    // not by much should this process be killed.
    const std::vector<std::string> options = {"--items", "100", "--exit-after-seconds",
                                              std::to_string(120 + 10 * searches)};
    test::DemoMarket market(options);
    // Read before the item host is set: the catalog's links are then relative.
    const std::vector<ResultRow> catalog = ExpectedRows(options, market.Host());
    setenv("SORVIK_SEARCH_HOST", market.Host().c_str(), 1);
    setenv("SORVIK_ITEM_HOST", market.Host().c_str(), 1);
    if (catalog.size() != 100) {
        std::fprintf(stderr, "the catalog has %zu items, not 100\n", catalog.size());
        return 1;
    }

    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(0, 2000);
    RecordingWindow window;
    std::map<std::string, int> outcomes;
    Failures failures;
    int stopsRequested = 0;
    int stopsSet = 0;
    double residentAfter10th = 0;
    const auto start = Clock::now();

    for (int search = 1; search <= searches; ++search) {
        window.BeginSearch();
        const bool stop = random() % 3 == 0;
        const auto delay = std::chrono::milliseconds(delayMs(random));

        std::mutex doneLock;
        std::condition_variable doneChanged;
        bool done = false;
        SearchOutcome outcome = SearchOutcome::None;
        std::thread worker([&] {
            SearchThreadProc(window, &outcome);
            std::lock_guard<std::mutex> lock(doneLock);
            done = true;
            doneChanged.notify_all();
        });
        bool stopSet = false;
        if (stop) {
            ++stopsRequested;
            std::unique_lock<std::mutex> lock(doneLock);
            if (!doneChanged.wait_for(lock, delay, [&] { return done; })) {
                window.State().m_stopRequested = true;
                stopSet = true;
            }
        }
        worker.join();

        stopsSet += stopSet ? 1 : 0;
        CheckSearch(search, window, outcome, stopSet, catalog, failures);
        ++outcomes[OutcomeName(outcome)];
        if (search == 10) residentAfter10th = ResidentMb();
        if (search % 25 == 0) {
            std::printf("%d searches, %.1f MB resident\n", search, ResidentMb());
            std::fflush(stdout);
        }
    }

    const double residentAfterLast = ResidentMb();
    const double growth = residentAfterLast - residentAfter10th;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "searches: %d of 3 pages (seed %u), stops planned: %d, stop flags set: %d, "
        "stopped: %d\n",
        searches, seed, stopsRequested, stopsSet, outcomes[OutcomeName(SearchOutcome::Stopped)]);
    std::printf("outcomes:");
    for (const auto& [name, count] : outcomes) std::printf(" %s=%d", name.c_str(), count);
    std::printf(
        "\nresident memory: %.2f MB after the 10th search, %.2f MB after the last, "
        "difference %+.2f MB (limit %.0f MB)\n",
        residentAfter10th, residentAfterLast, growth, kMaxGrowthMb);
    std::printf("wall time: %.1f s (%.2f s per search)\n", seconds, seconds / searches);
    std::printf("row checks: %d failures\n", failures.count);

    bool ok = failures.count == 0;
    if (residentAfter10th <= 0 || residentAfterLast <= 0) {
        std::fprintf(stderr, "FAILED: resident memory could not be read\n");
        ok = false;
    } else if (growth > kMaxGrowthMb) {
        std::fprintf(stderr, "FAILED: resident memory grew by %.2f MB\n", growth);
        ok = false;
    }
    if (failures.count > 0) std::fprintf(stderr, "FAILED: %d row checks\n", failures.count);
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
