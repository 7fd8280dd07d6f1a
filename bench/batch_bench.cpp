// The cost of tracking many keywords: a 50-line batch of sorvik-cli against
// the demo marketplace (with its history file and output file), against a
// single search. For both, the wall time minus the fixed pauses (600 ms per
// page read), per page; prints the batch's figure as a ratio to the single
// search's (aim: at most 1.1).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

using namespace sorvik;
using Clock = std::chrono::steady_clock;

constexpr double kPauseMsPerPage = 600.0;

struct Timed {
    double wallMs;
    test::ProcessResult result;
};

Timed TimedRun(const std::vector<std::string>& args, const test::WorkDir& dir,
               const test::DemoMarket& market) {
    std::vector<std::string> argv = {SORVIK_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto start = Clock::now();
    test::ProcessResult result = test::RunProcess(
        argv, dir.Path(),
        {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}},
        std::chrono::seconds(600));
    return {std::chrono::duration<double, std::milli>(Clock::now() - start).count(), result};
}

// The sum of the pages_read field (the eighth) of tsv summary lines.
int PagesRead(const std::string& summaries) {
    int pages = 0;
    std::istringstream lines(summaries);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> fields = test::SplitTabs(line);
        if (fields.size() > 7) pages += std::atoi(fields[7].c_str());
    }
    return pages;
}

}  // namespace

int main() {
    test::WorkDir dir;
    test::DemoMarket market;

    // 50 lines: item links at positions spread over the three pages, and
    // every tenth line a keyword-only search that lists all three.
    std::string batch = "# bench\n";
    for (int i = 0; i < 50; ++i) {
        if (i % 10 == 9) {
            batch += "abc\n";
            continue;
        }
        const int position = 1 + (i * 41) % 100;
        batch += "abc\thttp://" + market.Host() +
                 "/item.htm?id=" + std::to_string(10000000000LL + position) + "\n";
    }
    dir.Write("batch.txt", batch);

    const Timed run = TimedRun(
        {"--batch", "batch.txt", "--history", "history.jsonl", "--output", "out.tsv"}, dir, market);
    std::ifstream out(dir.File("out.tsv"), std::ios::binary);
    const std::string summaries((std::istreambuf_iterator<char>(out)), {});
    const int batchPages = PagesRead(summaries);
    if (run.result.exitStatus != 0 || batchPages == 0) {
        std::fprintf(stderr, "the batch failed (exit %d):\n%s\n", run.result.exitStatus,
                     run.result.err.c_str());
        return 1;
    }
    const double batchPerPage = (run.wallMs - kPauseMsPerPage * batchPages) / batchPages;

    // A single keyword-only search of three pages, five times; the median.
    std::vector<double> singles;
    int singlePages = 0;
    for (int i = 0; i < 5; ++i) {
        const Timed single = TimedRun({"--keyword", "abc", "--summary"}, dir, market);
        singlePages = PagesRead(single.result.out);
        if (single.result.exitStatus != 0 || singlePages == 0) {
            std::fprintf(stderr, "the single search failed\n");
            return 1;
        }
        singles.push_back((single.wallMs - kPauseMsPerPage * singlePages) / singlePages);
    }
    std::sort(singles.begin(), singles.end());
    const double singlePerPage = singles[singles.size() / 2];

    std::printf("batch: 50 lines, %d pages, %.0f ms wall, %.2f ms per page beyond the pauses\n",
                batchPages, run.wallMs, batchPerPage);
    std::printf("single search: %d pages, %.2f ms per page beyond the pauses (median of %zu)\n",
                singlePages, singlePerPage, singles.size());
    std::printf("batch / single per page = %.3f (aim: at most 1.1)\n",
                batchPerPage / singlePerPage);
    return 0;
}
