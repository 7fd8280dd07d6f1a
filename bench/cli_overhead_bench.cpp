// What a user of sorvik-cli waits for beyond the fixed pauses: a 3-page
// keyword-only search against the demo marketplace, 40-item pages of about
// 300 KB, run as its own process several times. Its wall time minus the
// 600 ms of pauses per page, per page, is the overhead. Less the time the
// demo spends building its answers (from its timing log), it is the
// overhead of sorvik-cli's own. Both are printed with the same work split
// into phases, measured in this process with the library's functions on the
// pages the demo serves, and as ratios to the 600 ms pause.
//
//     cli_overhead_bench [RUNS [OTHER_CLI...]]     (default: 7 runs)
//
// OTHER_CLI: further sorvik-cli programs (an older build, say) to measure
// in the same run, taking turns with this build's.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_window.h"
#include "nesting_depth.h"
#include "page_analysis.h"
#include "page_fetch.h"
#include "tidy_page.h"

namespace {

using namespace sorvik;
using sorvik::cli::CliWindow;
using Clock = std::chrono::steady_clock;

constexpr int kPages = 3;
constexpr double kPauseMs = 600.0;
const std::vector<std::string> kMarketOptions = {"--head-bytes", "300000", "--items",
                                                 std::to_string(40 * kPages)};

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Samples {
    std::vector<double> ms;
    double Min() const { return *std::min_element(ms.begin(), ms.end()); }
    double Median() const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

void PrintLine(const char* what, const Samples& samples) {
    std::printf("  %-34s min %7.2f ms  median %7.2f ms  (%.4f / %.4f of the pause)\n", what,
                samples.Min(), samples.Median(), samples.Min() / kPauseMs,
                samples.Median() / kPauseMs);
}

// sorvik-cli's window, keeping the rows instead of writing them.
class RowKeepingWindow : public CliWindow {
  public:
    explicit RowKeepingWindow(std::FILE* messages)
        : CliWindow(
              SearchForm{kModeKeyword, "abc", "", ""}, [](const RowRecord&) {}, messages) {}
    void AppendResultRow(const ResultRow& row) override { rows.push_back(row); }
    std::vector<ResultRow> rows;
};

std::string PageUrl(const test::DemoMarket& market, int page) {
    std::string url = "http://" + market.Host() +
                      "/search?initiative_id=staobaoz_20261207&tab=all&style=list&q=%61%62%63";
    if (page > 1) url += "&bcoffset=4&s=" + std::to_string(40 * (page - 1));
    return url;
}

// The CPU time of this process's waited-for children so far, in ms.
double ChildCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

std::map<std::string, std::string> MarketEnv(const test::DemoMarket& market) {
    return {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}};
}

// The demo's time building its answers, from its timing log ("MS\tTARGET"
// lines): the sum over the lines after the first `seen`, which it then
// counts.
double DemoBuildMs(const std::string& timingLog, std::size_t& seen) {
    std::ifstream log(timingLog);
    double sum = 0;
    std::size_t line = 0;
    for (std::string text; std::getline(log, text); ++line) {
        if (line >= seen) sum += std::atof(text.c_str());
    }
    seen = line;
    return sum;
}

struct CliFigures {
    Samples perPage;      // wall time beyond the pauses, per page
    Samples ownPerPage;   // the same less the demo's time building the pages
    Samples demoPerPage;  // the demo's time building the pages, per page
    Samples cpuPerPage;   // the process's CPU time, per page
    Samples start;        // "sorvik-cli --help": starting and ending the process, per page
};

// One search and one start with `cli`; false when the search did not list
// every item.
bool MeasureCli(const std::string& cli, const test::DemoMarket& market, const test::WorkDir& dir,
                std::size_t& timingLinesSeen, CliFigures& figures) {
    DemoBuildMs(dir.File("timing.log"), timingLinesSeen);  // the lines before this search
    double cpuBefore = ChildCpuMs();
    auto start = Clock::now();
    const test::ProcessResult run =
        test::RunProcess({cli, "--keyword", "abc"}, dir.Path(), MarketEnv(market));
    const double wallMs = MsSince(start);
    const auto rows = std::count(run.out.begin(), run.out.end(), '\n');
    if (run.exitStatus != 0 || rows != 40 * kPages) {
        std::fprintf(stderr, "%s: exit %d, %ld rows\n%s", cli.c_str(), run.exitStatus,
                     static_cast<long>(rows), run.err.c_str());
        return false;
    }
    const double perPage = (wallMs - kPages * kPauseMs) / kPages;
    const double demoPerPage = DemoBuildMs(dir.File("timing.log"), timingLinesSeen) / kPages;
    figures.perPage.ms.push_back(perPage);
    figures.demoPerPage.ms.push_back(demoPerPage);
    figures.ownPerPage.ms.push_back(perPage - demoPerPage);
    figures.cpuPerPage.ms.push_back((ChildCpuMs() - cpuBefore) / kPages);

    start = Clock::now();
    test::RunProcess({cli, "--help"}, dir.Path(), {});
    figures.start.ms.push_back(MsSince(start) / kPages);
    return true;
}

// The phases of one page's work, each timed on its own. The guard and the
// cleaning run while the pause after the download goes by; the commit of the
// cleaning (writing the cleaned page) follows it.
struct PhaseSamples {
    Samples download, guard, cleaning, commit, reading, parseAndWalk, output, total;
};

void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

void MeasurePhases(const test::DemoMarket& market, int page, PhaseSamples& phases) {
    auto start = Clock::now();
    if (DownloadToFile(PageUrl(market, page), "data.html").status != DownloadStatus::Done)
        Fail("a download failed");
    const double download = MsSince(start);

    // The guard as the cleaning runs it: the raw bytes read, one pass over
    // them. The cleaning is the rest of its preparation.
    start = Clock::now();
    std::string raw;
    ReadFileBytes("data.html", raw);
    const CleaningLoad load = MeasureCleaningLoad(raw, kMaxNesting, kMaxReopenedFonts);
    const double guard = MsSince(start);
    if (load.depth >= kMaxNesting || load.reopenedFonts >= kMaxReopenedFonts)
        Fail("the guard refused a page");

    static CleaningBuffers buffers;  // kept from page to page, as a search keeps them
    start = Clock::now();
    PreparedCleaning prepared = PrepareCleaning("data_backup.html", "data.html", buffers);
    const double cleaning = std::max(0.0, MsSince(start) - guard);
    start = Clock::now();
    prepared.Commit();
    const double commit = MsSince(start);

    std::FILE* rowsFile = std::fopen("rows.txt", "wb");
    std::FILE* messages = std::fopen("messages.txt", "wb");
    if (!rowsFile || !messages) Fail("rows.txt or messages.txt cannot be written");
    RowKeepingWindow window(messages);
    SearchState& state = window.State();
    start = Clock::now();
    ReadWholeFile("data_backup.html", state.m_pageText);
    const double reading = MsSince(start);

    state.m_pageNumber = page;
    state.m_searchUrl = PageUrl(market, 1);
    start = Clock::now();
    {
        PageAnalysis analysis(window);
        analysis.Parse();
        if (page == 1) {
            analysis.ReadTotal();
        } else {
            analysis.Restart(40 * kPages);
        }
        analysis.WalkPage(page == 1);
    }
    const double parseAndWalk = MsSince(start);
    if (window.rows.size() != 40)
        Fail("a page gave " + std::to_string(window.rows.size()) + " rows");

    // The same rows as sorvik-cli writes them: a line each, flushed at once.
    CliWindow cli(
        SearchForm{kModeKeyword, "abc", "", ""},
        [rowsFile](const RowRecord& row) {
            const std::string line = FormatRow(OutputFormat::Tsv, row);
            std::fwrite(line.data(), 1, line.size(), rowsFile);
            std::fflush(rowsFile);
        },
        messages);
    start = Clock::now();
    for (const ResultRow& row : window.rows) cli.AppendResultRow(row);
    const double output = MsSince(start);
    std::fclose(rowsFile);
    std::fclose(messages);

    phases.download.ms.push_back(download);
    phases.guard.ms.push_back(guard);
    phases.cleaning.ms.push_back(cleaning);
    phases.commit.ms.push_back(commit);
    phases.reading.ms.push_back(reading);
    phases.parseAndWalk.ms.push_back(parseAndWalk);
    phases.output.ms.push_back(output);
    phases.total.ms.push_back(download + commit + reading + parseAndWalk + output);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (runs < 1) {
        std::fprintf(stderr, "usage: cli_overhead_bench [RUNS [OTHER_CLI...]]\n");
        return 2;
    }
    std::vector<std::string> clis = {SORVIK_CLI};
    for (int i = 2; i < argc; ++i) clis.push_back(std::filesystem::absolute(argv[i]).string());

    test::WorkDir dir;
    std::filesystem::current_path(dir.Path());
    std::vector<std::string> marketOptions = kMarketOptions;
    marketOptions.insert(marketOptions.end(), {"--timing-log", dir.File("timing.log")});
    test::DemoMarket market(marketOptions);
    std::size_t timingLinesSeen = 0;

    std::map<std::string, CliFigures> figures;
    PhaseSamples phases;
    for (int run = 0; run < runs; ++run) {
        for (const std::string& cli : clis) {
            if (!MeasureCli(cli, market, dir, timingLinesSeen, figures[cli])) return 1;
        }
        for (int page = 1; page <= kPages; ++page) MeasurePhases(market, page, phases);
    }

    std::printf("%d-page keyword-only searches, pages of %ju bytes, %d runs\n", kPages,
                static_cast<std::uintmax_t>(std::filesystem::file_size("data.html")), runs);
    for (const std::string& cli : clis) {
        const CliFigures& f = figures[cli];
        std::printf("%s\n", cli.c_str());
        PrintLine("overhead per page (wall - pauses)", f.perPage);
        PrintLine("  the demo's building of the pages", f.demoPerPage);
        PrintLine("  sorvik-cli's own (less the demo's)", f.ownPerPage);
        PrintLine("CPU time of the process, per page", f.cpuPerPage);
    }
    const CliFigures& own = figures[clis.front()];
    std::printf("the overhead per page split up (phases timed in this process)\n");
    PrintLine("process start and end (--help / 3)", own.start);
    PrintLine("download", phases.download);
    PrintLine("(guard, during the pause)", phases.guard);
    PrintLine("(cleaning in memory, in the pause)", phases.cleaning);
    PrintLine("commit of the cleaning", phases.commit);
    PrintLine("reading the cleaned page", phases.reading);
    PrintLine("parse and walk", phases.parseAndWalk);
    PrintLine("output (40 rows to a file)", phases.output);
    PrintLine("sum of the phases after the pause", phases.total);
    const double rest = own.perPage.Median() - own.start.Median() - phases.total.Median();
    std::printf("  %-34s median %7.2f ms  (first-page memory, waking after the pauses)\n", "rest",
                rest);
    std::printf("overhead per page / 600 ms pause: min %.4f, median %.4f\n",
                own.perPage.Min() / kPauseMs, own.perPage.Median() / kPauseMs);
    std::printf(
        "sorvik-cli's own overhead per page / 600 ms pause: min %.4f, median %.4f "
        "(target at most 0.02)\n",
        own.ownPerPage.Min() / kPauseMs, own.ownPerPage.Median() / kPauseMs);
    return 0;
}
