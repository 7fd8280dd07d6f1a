// The row store's speed and size, as the tracker uses it:
//  1. Keeping a check's rows: sorvik-cli's 3-page summary search against the
//     demo marketplace with and without --store (the store already holding
//     a month of 100 lines), the difference per page (target <= 3 ms), and
//     the time to record one 10-page check in process.
//  2. The competition of one line over 180 days of daily checks: reading its
//     checks with their rows and comparing the latest two (target < 100 ms).
//  3. The rivals over 100 lines x 30 days (target < 300 ms).
//  4. The size of a year of daily checks of 100 lines at 10 pages, from the
//     size of a generated month (target < 400 MB).
//
//     store_bench [RUNS]     (default: 5 runs of each search)
//
// Prints each figure with its ratio to the target; exit status 0 when every
// target is met.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "child_process.h"
#include "competition.h"
#include "row_store.h"

namespace {

using namespace sorvik;
using Clock = std::chrono::steady_clock;

constexpr int kLines = 100;
constexpr int kRowsPerPage = 44;
constexpr int kPages = 10;
constexpr std::time_t kDay = 86400;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Daily checks of `kLines` seller lines: each keyword has its own items,
// shuffled a little from day to day, titles of 30 Chinese characters and
// sellers from a pool of 300, prices and sales drifting.
class Generator {
  public:
    StoredCheck Check(int line, int day, std::time_t when) {
        std::mt19937 random(static_cast<unsigned>(line * 7919 + day));
        StoredCheck check;
        check.keyword = "关键词" + std::to_string(line);
        check.target = "店" + std::to_string(line % 300);
        check.mode = 2;
        check.checkedAt = when;
        check.outcome = CheckOutcome::NotFound;
        std::vector<int> order(kPages * kRowsPerPage + 60);
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
        for (std::size_t i = 0; i + 1 < order.size(); ++i)
            if (random() % 3 == 0)
                std::swap(order[i], order[i + 1 + random() % 5 % (order.size() - i - 1)]);
        for (int rank = 1; rank <= kPages * kRowsPerPage; ++rank) {
            const int item = order[static_cast<std::size_t>(rank - 1)];
            SeenRow row;
            row.rank = rank;
            row.page = 1 + (rank - 1) / kRowsPerPage;
            row.itemId = std::to_string(600000000000LL + line * 1000 + item);
            row.title = Title(line, item);
            row.seller = "店" + std::to_string((line * 31 + item * 7) % 300);
            row.link = "http://item.taobao.com/item.htm?id=" + row.itemId;
            row.priceFen = 3900 + (item * 3701 + day * (item % 3 == 0 ? 50 : 0)) % 50000;
            row.sales = (item * 53 + day * (item % 11)) % 20000;
            check.rows.push_back(std::move(row));
        }
        return check;
    }

  private:
    static std::string Title(int line, int item) {
        static const char* const kWords[] = {"连衣裙", "新款", "夏季", "韩版", "宽松",   "显瘦",
                                             "气质",   "法式", "碎花", "长裙", "中长款", "复古"};
        std::string title;
        for (int i = 0; i < 10; ++i) title += kWords[(line + item * 7 + i * 5) % 12];
        return title;
    }
};

struct Target {
    const char* what;
    double value;
    double limit;
    const char* unit;
};

std::uintmax_t StoreBytes(const std::string& path) {
    std::uintmax_t bytes = 0;
    for (const char* suffix : {"", "-wal"}) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(path + suffix, error);
        if (!error) bytes += size;
    }
    return bytes;
}

// Milliseconds per run of a 3-page summary search by sorvik-cli, with the extra
// arguments given.
double SearchMs(const sorvik::test::DemoMarket& market, const std::string& dir,
                const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {SORVIK_CLI,  "--keyword",   "abc",
                                     "--summary", "--max-pages", "3"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    const auto start = Clock::now();
    sorvik::test::ProcessResult result = sorvik::test::RunProcess(
        argv, dir, {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}});
    const double ms = MsSince(start);
    if (result.exitStatus != 0) std::fprintf(stderr, "search failed: %s\n", result.err.c_str());
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    sorvik::test::WorkDir dir;
    const std::string path = dir.File("rows.db");
    std::string report;
    std::unique_ptr<RowStore> store = RowStore::Open(path, report);
    if (!store) {
        std::fprintf(stderr, "%s\n", report.c_str());
        return 2;
    }
    store->SetRetentionDays(400);

    // A month of checks, then the size of a year from it.
    Generator generator;
    const std::time_t now = std::time(nullptr);
    const std::time_t monthStart = now - 30 * kDay;
    std::vector<double> recordMs;
    for (int day = 0; day < 30; ++day) {
        for (int line = 0; line < kLines; ++line) {
            const StoredCheck check = generator.Check(line, day, monthStart + day * kDay + line);
            const auto start = Clock::now();
            if (store->Record(check, report) != RowStore::Kept::Yes) {
                std::fprintf(stderr, "%s\n", report.c_str());
                return 2;
            }
            recordMs.push_back(MsSince(start));
        }
    }
    store.reset();  // the write-ahead log folded into the file
    const double monthMb = static_cast<double>(StoreBytes(path)) / 1e6;
    const double yearMb = monthMb * 365.0 / 30.0;
    store = RowStore::Open(path, report);

    // One line's competition over 180 days: a further 150 days of that line.
    for (int day = 30; day < 180; ++day)
        store->Record(generator.Check(0, day, monthStart - (day - 29) * kDay), report);
    std::vector<double> competitionMs, rivalsMs, rivalsReadMs;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        std::vector<StoredCheck> checks = store->ChecksOf(
            "关键词0", "店0", 2, now - 180 * kDay - kDay, RowStore::RowDetail::Whole);
        const StoredCheck* previous = checks.size() > 1 ? &checks[checks.size() - 2] : nullptr;
        std::vector<CompetitorRow> rows = CompetitionOf(checks.back(), previous);
        std::string why = ExplainMove(checks.back(), previous);
        competitionMs.push_back(MsSince(start));
        if (checks.size() < 180 || rows.empty()) std::fprintf(stderr, "too few checks\n");

        start = Clock::now();
        const std::time_t since = now - 30 * kDay - kDay;
        const SellerChecks all = store->SellerChecksSince(since);
        rivalsReadMs.push_back(MsSince(start));
        std::vector<Rival> rivals = RivalsOf(all, since, now + 1);
        rivalsMs.push_back(MsSince(start));
        if (rivals.empty()) std::fprintf(stderr, "no rivals\n");
    }

    // sorvik-cli with and without the store, taking turns.
    sorvik::test::DemoMarket market({"--items", "120"});
    std::vector<double> plain, stored;
    for (int i = 0; i < runs; ++i) {
        plain.push_back(SearchMs(market, dir.Path(), {}));
        stored.push_back(SearchMs(market, dir.Path(), {"--store", path}));
    }
    // The fastest of each: what the store adds, with the least of the
    // machine's other work in it.
    const double plainMs = *std::min_element(plain.begin(), plain.end());
    const double storedMs = *std::min_element(stored.begin(), stored.end());
    const double perPageMs = std::max(0.0, storedMs - plainMs) / 3.0;

    const double recordMedian = Percentile(recordMs, 0.5);
    std::printf(
        "store: a month of %d lines x %d rows: %.1f MB; one 10-page check recorded in "
        "%.2f ms (median), %.3f ms per page\n",
        kLines, kPages * kRowsPerPage, monthMb, recordMedian, recordMedian / kPages);
    std::printf(
        "sorvik-cli 3-page summary search, fastest of %d: %.1f ms plain, %.1f ms with "
        "--store\n",
        runs, plainMs, storedMs);
    std::printf("rivals: %.1f ms reading the checks, the rest counting (medians)\n",
                Percentile(rivalsReadMs, 0.5));
    const Target targets[] = {
        {"store's cost per page in sorvik-cli", perPageMs, 3.0, "ms"},
        {"competition of one line, 180 days", Percentile(competitionMs, 0.5), 100.0, "ms"},
        {"rivals, 100 lines x 30 days", Percentile(rivalsMs, 0.5), 300.0, "ms"},
        {"a year of 100 daily lines x 10 pages", yearMb, 400.0, "MB"},
    };
    bool met = true;
    for (const Target& target : targets) {
        std::printf("%-40s %9.2f %s  (%.3f of the %g %s target)\n", target.what, target.value,
                    target.unit, target.value / target.limit, target.limit, target.unit);
        met = met && target.value <= target.limit;
    }
    return met ? 0 : 1;
}
