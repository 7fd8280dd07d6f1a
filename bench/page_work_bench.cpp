// The program's own work per result page, apart from the download and the
// fixed pauses: cleaning, reading, parsing and walking a 40-item page that
// carries 300 KB of scripts and styles. Also the peak memory of a 20-page
// search with sorvik-cli. Prints both as ratios to their targets.
//
//     page_work_bench            against the demo marketplace
//     page_work_bench PAGE       the own work only, on a raw page saved in
//                                the file PAGE (how a build for another
//                                platform is compared with this one)
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#ifndef _WIN32
#include "child_process.h"
#endif
#include "page_analysis.h"
#include "page_fetch.h"
#include "tidy_page.h"
#include "work_dir.h"

namespace {

using namespace sorvik;
using Clock = std::chrono::steady_clock;

class NullWindow : public SearchWindow {
  public:
    void ClearResults() override {}
    void SetStatusText(const std::string&) override {}
    void AppendResultRow(const ResultRow&) override { ++rows; }
    void EnableStart() override {}
    void ShowMessage(const std::string&) override {}
    int rows = 0;

  protected:
    FormTexts ReadFormFields() override { return {}; }
    std::string ReadStatusLine() override { return {}; }
};

double MedianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Cleans, reads, parses and walks the raw page in data.html of the current
// directory 30 times and prints the median time of one page.
void MeasureOwnWork() {
    const auto rawSize = std::filesystem::file_size("data.html");
    std::vector<double> samples;
    int rows = 0;
    for (int i = 0; i < 30; ++i) {
        NullWindow window;
        window.State().m_pageNumber = 1;
        const auto start = Clock::now();
        TidyPage("data_backup.html", "data.html");
        window.State().m_pageText = ReadWholeFile("data_backup.html");
        PageAnalysis analysis(window);
        analysis.Parse();
        if (analysis.ReadTotal()) analysis.WalkPage(true);
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        rows = window.rows;
    }
    const double perPage = MedianMs(samples);
    std::printf("page of %zu bytes, %d rows: own work %.2f ms per page (median of %zu)\n",
                static_cast<std::size_t>(rawSize), rows, perPage, samples.size());
    std::printf("own work / fixed 600 ms pause = %.4f (target at most 0.05)\n", perPage / 600.0);
}

}  // namespace

int main(int argc, char** argv) {
    test::WorkDir dir;
    if (argc > 1) {
        std::filesystem::copy_file(argv[1], dir.File("data.html"));
        std::filesystem::current_path(dir.Path());
        MeasureOwnWork();
        return 0;
    }
#ifdef _WIN32
    std::fprintf(stderr, "usage: page_work_bench PAGE\n");
    return 2;
#else
    std::filesystem::current_path(dir.Path());
    test::DemoMarket market({"--head-bytes", "300000", "--items", "800"});
    const std::string url = "http://" + market.Host() +
                            "/search?initiative_id=staobaoz_20261207&tab=all&style=list&q=%61";
    if (!DownloadPage(url, "data.html")) {
        std::fprintf(stderr, "download failed\n");
        return 1;
    }
    MeasureOwnWork();

    // A 20-page search as its own process: its peak resident memory.
    test::ProcessResult run = test::RunProcess(
        {SORVIK_CLI, "--keyword", "abc"}, dir.Path(),
        {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}});
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const double peakMb = usage.ru_maxrss / 1024.0;
    const auto lines = std::count(run.out.begin(), run.out.end(), '\n');
    std::printf("20-page search: %ld rows, exit %d, peak memory %.1f MB\n",
                static_cast<long>(lines), run.exitStatus, peakMb);
    std::printf("peak memory / 32 MB = %.4f (target below 1)\n", peakMb / 32.0);
    return 0;
#endif
}
