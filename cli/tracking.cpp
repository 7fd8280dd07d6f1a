#include "tracking.h"

#include <ctime>
#include <optional>
#include <vector>

#include "batch_file.h"
#include "cli_search.h"
#include "output_file.h"
#include "rank_history.h"
#include "same_file.h"
#include "search_form.h"
#include "stop_signal.h"
#include "summary.h"
#include "working_folder.h"

namespace sorvik {
namespace {

// One search to run: a batch line or the form options.
struct SearchRequest {
    int lineNumber = 0;  // 0 for the one search of the form options
    SearchForm form;
    std::string target;   // the seller name or item link that the mode looks for
    std::string problem;  // why a batch line cannot be used
};

std::vector<SearchRequest> RequestsOf(const std::vector<BatchLine>& lines) {
    std::vector<SearchRequest> requests;
    for (const BatchLine& line : lines) {
        SearchRequest request;
        request.lineNumber = line.number;
        request.form = FormOf(line);
        request.target = line.target;
        request.problem = line.problem;
        requests.push_back(std::move(request));
    }
    return requests;
}

SearchRequest RequestOf(const CliOptions& options) {
    SearchRequest request;
    request.form = {options.mode, options.keyword, options.seller, FormItemLink(options.item)};
    request.target = options.mode == kModeItemLink ? options.item : options.seller;
    return request;
}

// The exit status of one search, by how it ended.
int SearchExitStatus(SearchOutcome outcome, std::int32_t mode) {
    switch (outcome) {
        case SearchOutcome::Found:
            return 0;
        case SearchOutcome::AllSeen:
        case SearchOutcome::NoNextPage:
        case SearchOutcome::PageLimitReached:
            return mode == kModeKeyword ? 0 : 1;
        case SearchOutcome::NoItems:
            return 1;
        case SearchOutcome::FormRejected:
            return 2;
        case SearchOutcome::FirstDownloadFailed:
        case SearchOutcome::DownloadFailed:
        case SearchOutcome::NothingToAnalyse:
            return 3;
        case SearchOutcome::Stopped:
            return 130;
        case SearchOutcome::None:
            break;
    }
    return 1;
}

// The exit status of a batch: the worst of its lines.
int BatchExitStatus(const std::vector<std::string>& outcomes) {
    int status = 0;
    for (const std::string& outcome : outcomes) {
        if (outcome == "stopped") return 130;
        if (outcome == "download_failed") status = 3;
        if (outcome == "form_rejected" && status == 0) status = 2;
    }
    return StopSignalReceived() ? 130 : status;
}

void DescribeLine(const SearchRequest& request) {
    std::string text =
        "line " + std::to_string(request.lineNumber) + ": keyword \"" + request.form.keyword + "\"";
    if (request.form.mode == kModeSeller) text += ", seller \"" + request.target + "\"";
    if (request.form.mode == kModeItemLink) text += ", item \"" + request.target + "\"";
    std::fprintf(stderr, "%s\n", RowField(text).c_str());
}

int BadInput(const std::string& message) {
    std::fprintf(stderr, "sorvik-cli: %s\n", message.c_str());
    return 2;
}

// The first two of the files a run reads and writes that are one file: a
// run writing over its own batch or history would lose it.
std::optional<std::string> SharedFile(const CliOptions& options) {
    const std::pair<const char*, const std::string*> files[] = {{"--batch", &options.batchFile},
                                                                {"--history", &options.historyFile},
                                                                {"--output", &options.outputFile}};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        for (std::size_t j = i + 1; j < std::size(files); ++j) {
            const std::string& a = *files[i].second;
            const std::string& b = *files[j].second;
            if (a.empty() || b.empty() || !SameFile(a, b)) continue;
            return std::string(files[i].first) + " and " + files[j].first +
                   " name the same file (" + b + "): give each its own";
        }
    }
    return std::nullopt;
}

}  // namespace

int RunSearches(const CliOptions& options) {
    std::string error;
    if (std::optional<std::string> shared = SharedFile(options)) return BadInput(*shared);
    std::vector<SearchRequest> requests;
    if (options.Batch()) {
        std::optional<std::vector<BatchLine>> lines = ReadBatchFile(options.batchFile, error);
        if (!lines) return BadInput(error);
        requests = RequestsOf(*lines);
    } else {
        requests.push_back(RequestOf(options));
    }

    // Every input is checked before anything is created.
    std::optional<RankHistory> history;
    if (!options.historyFile.empty()) {
        history.emplace([](const std::string& warning) {
            std::fprintf(stderr, "sorvik-cli: warning: %s\n", warning.c_str());
        });
        if (!history->Load(options.historyFile, error)) return BadInput(error);
    }
    // The working files are written in the current directory: a folder
    // that can't be written is reported before any search, not as a
    // failed download.
    if (std::optional<std::string> reason = CannotCreateFilesIn("."))
        return BadInput("cannot write the working files (data.html, data_backup.html) in " +
                        CurrentFolderName() + ": " + *reason);
    OutputFile output;
    if (!output.Open(options.outputFile, error)) return BadInput(error);
    if (history && !history->OpenForAppend(error)) return BadInput(error);

    const bool summaries = options.Summaries();
    output.Write(StreamHeader(options.format, summaries, history.has_value()));
    CliWindow::RowSink rows = [&](const RowRecord& row) {
        if (!summaries) output.Write(FormatRow(options.format, row));
    };
    SearchLimits limits;
    limits.maxPages = options.maxPages;
    // Ctrl-C ends a stalled download at once: nothing waits for its end.
    limits.stopDuringDownload = StopDuringDownload::EndTransfer;

    std::vector<std::string> outcomes;
    int exitStatus = 0;
    for (const SearchRequest& request : requests) {
        if (StopSignalReceived()) break;
        const std::int32_t mode = request.form.mode;
        if (options.Batch()) DescribeLine(request);

        CheckResult result;
        std::string outcome = "form_rejected";
        if (!request.problem.empty()) {
            std::fprintf(stderr, "line %d: cannot use this line: %s\n", request.lineNumber,
                         request.problem.c_str());
        } else {
            result =
                RunCliSearch(request.form, limits, rows,
                             options.Batch() ? FinalStatus::UnlessRejected : FinalStatus::Always);
            outcome = SummaryOutcome(result.report.outcome, mode, result.stopRequested);
            exitStatus = SearchExitStatus(result.report.outcome, mode);
            if (result.report.outcome == SearchOutcome::PageLimitReached)
                std::fprintf(stderr, "note: the page limit was reached after %d page%s%s\n",
                             result.report.pagesRead, result.report.pagesRead == 1 ? "" : "s",
                             mode == kModeKeyword ? "" : "; the target is not on them");
        }
        SummaryRecord summary = MakeSummary(request.form.keyword, request.target, mode, outcome,
                                            result.report, std::time(nullptr));
        if (history) history->Record(summary);
        if (summaries) output.Write(FormatSummary(options.format, summary));
        outcomes.push_back(outcome);
    }

    if (!output.Finish(error)) return BadInput(error);
    return options.Batch() ? BatchExitStatus(outcomes) : exitStatus;
}

}  // namespace sorvik
