#include "tracking.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "alert_check.h"
#include "batch_file.h"
#include "cli_search.h"
#include "competition.h"
#include "exit_status.h"
#include "line_check.h"
#include "output_file.h"
#include "rank_history.h"
#include "row_store.h"
#include "run_folder.h"
#include "same_file.h"
#include "search_form.h"
#include "search_state.h"
#include "stop_signal.h"
#include "summary.h"
#include "tracker_folder.h"
#include "webhook_post.h"
#include "working_folder.h"

namespace sorvik {
namespace cli {
namespace {

// One search to run: a batch line or the form options.
struct SearchRequest {
    int lineNumber = 0;  // 0 for the one search of the form options
    SearchForm form;
    std::string target;   // the seller name or item link that the mode looks for
    std::string problem;  // why a batch line cannot be used
    std::string group;    // the batch line's group; empty for none
};

std::vector<SearchRequest> RequestsOf(const std::vector<BatchLine>& lines) {
    std::vector<SearchRequest> requests;
    requests.reserve(lines.size());
    for (const BatchLine& line : lines)
        requests.push_back({line.number, FormOf(line), line.target, line.problem, line.group});
    return requests;
}

SearchRequest RequestOf(const CliOptions& options) {
    SearchRequest request;
    request.form = {static_cast<SearchMode>(options.mode), options.keyword, options.seller,
                    FormItemLink(options.item)};
    request.target = options.mode == kModeItemLink ? options.item : options.seller;
    return request;
}

std::string LineText(const SearchRequest& request) {
    std::string text =
        "line " + std::to_string(request.lineNumber) + ": keyword \"" + request.form.keyword + "\"";
    if (request.form.mode == kModeSeller) text += ", seller \"" + request.target + "\"";
    if (request.form.mode == kModeItemLink) text += ", item \"" + request.target + "\"";
    return RowField(text);
}

int BadInput(const std::string& message) {
    std::fprintf(stderr, "sorvik-cli: %s\n", message.c_str());
    return kExitRejected;
}

// The first two of the files a run reads and writes that are one file: a
// run writing over its own batch or history would lose it. Nor may any of
// them be a file every search uses: the cleaning's settings, or a working
// file the pages are downloaded into.
std::optional<std::string> SharedFile(const CliOptions& options) {
    const std::pair<const char*, const std::string*> files[] = {{"--batch", &options.batchFile},
                                                                {"--history", &options.historyFile},
                                                                {"--output", &options.outputFile},
                                                                {"--store", &options.storeFile},
                                                                {"--alerts", &options.alertsFile}};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const std::string& a = *files[i].second;
        if (a.empty() || (a == "-" && files[i].second == &options.outputFile)) continue;
        for (const char* working : {"config.txt", "data.html", "data_backup.html"}) {
            if (SameFile(a, working))
                return std::string(files[i].first) + " names " + working +
                       ", a file every search uses (" + a + "): choose another";
        }
        for (std::size_t j = i + 1; j < std::size(files); ++j) {
            const std::string& b = *files[j].second;
            if (b.empty() || !SameFile(a, b)) continue;
            return std::string(files[i].first) + " and " + files[j].first +
                   " name the same file (" + b + "): give each its own";
        }
    }
    return std::nullopt;
}

// The tracker's settings, from its data folder: the alerts use its top
// places and its group robot.
TrackerSettings TrackerSettingsForAlerts() {
    const std::optional<std::string> folder = TrackerFolder();
    return folder ? TrackerFiles(*folder).ReadSettings() : TrackerSettings();
}

// Posts the alerts of a run to the group robot, one message each. After a
// post fails, the rest of the run's alerts are not posted: a robot that is
// down would hold up every check that follows.
class AlertPoster {
  public:
    AlertPoster(std::optional<RobotAddress> robot, std::string secret)
        : m_robot(std::move(robot)), m_secret(std::move(secret)) {}

    void Post(const std::vector<Alert>& alerts) {
        for (const Alert& alert : alerts) {
            if (!m_robot || StopSignalReceived()) return;
            const WebhookResult result = PostRobotMessage(*m_robot, m_secret, alert.text);
            if (result.sent) continue;
            std::fprintf(stderr,
                         "sorvik-cli: warning: %s; the alerts that follow are not posted "
                         "(they are in --alerts FILE when given)\n",
                         result.failure.c_str());
            m_robot.reset();
        }
    }

  private:
    std::optional<RobotAddress> m_robot;
    std::string m_secret;
};

}  // namespace

int RunSearches(const CliOptions& options, RunEnd* ended) {
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
        // The alerts compare each check with the earlier checks of its line.
        history.emplace(
            [](const std::string& warning) {
                std::fprintf(stderr, "sorvik-cli: warning: %s\n", warning.c_str());
            },
            options.Alerting());
        if (!history->Load(options.historyFile, error)) return BadInput(error);
    }
    // The working files are written in the current directory: a folder
    // that can't be written is reported before any search, not as a
    // failed download.
    const std::string workingFiles = std::string("cannot write the working files ") +
                                     "(data.html, data_backup.html) in " + CurrentFolderName() +
                                     ": ";
    if (std::optional<std::string> reason = CannotCreateFilesIn("."))
        return BadInput(workingFiles + *reason);
    const bool summaries = options.Summaries();
    // A batch or a tracked search may run beside another in this folder (a
    // scheduled run and the tracker window): its pages go to a folder of
    // its own. A single search keeps the fixed names, as the dialog does.
    std::unique_ptr<RunFolder> folder;
    if (options.Batch() || summaries) {
        folder = RunFolder::Create(".", error);
        if (!folder) return BadInput(workingFiles + error);
    }
    OutputFile output;
    if (!output.Open(options.outputFile, error)) return BadInput(error);
    if (history && !history->OpenForAppend(error)) return BadInput(error);
    AlertFile alertFile;
    if (!options.alertsFile.empty() && !alertFile.Open(options.alertsFile, error))
        return BadInput(error);
    const TrackerSettings settings =
        options.Alerting() ? TrackerSettingsForAlerts() : TrackerSettings();
    std::optional<RobotAddress> robot;
    if (options.notify) {
        std::string problem;
        robot = SettingsRobot(settings, problem);
        if (!robot)
            std::fprintf(stderr, "sorvik-cli: warning: %s; the alerts are not posted\n",
                         problem.c_str());
    }
    AlertPoster poster(std::move(robot), settings.webhookSecret);
    // A store that can't be used is reported, and the checks and their
    // history go on without it; the rows it did not keep count as lost.
    std::unique_ptr<RowStore> store;
    bool storeLost = false;
    if (!options.storeFile.empty()) {
        std::string report;
        store = RowStore::Open(options.storeFile, report);
        if (!report.empty()) std::fprintf(stderr, "sorvik-cli: warning: %s\n", report.c_str());
        storeLost = !store;
    }

    // Summaries name the group only when the batch has groups.
    const bool grouped =
        std::any_of(requests.begin(), requests.end(),
                    [](const SearchRequest& request) { return !request.group.empty(); });
    output.Write(
        StreamHeader(options.format, summaries, history.has_value(), options.explain, grouped));
    CliWindow::RowSink rows = [&](const RowRecord& row) {
        if (!summaries) output.Write(FormatRow(options.format, row));
    };
    SearchLimits limits;
    limits.maxPages = options.maxPages;
    // Ctrl-C ends a stalled download at once: nothing waits for its end.
    limits.stopDuringDownload = StopDuringDownload::EndTransfer;
    const SearchRunner search = [&](const SearchForm& form) {
        return RunCliSearch(form, limits, rows,
                            options.Batch() ? FinalStatus::UnlessRejected : FinalStatus::Always,
                            folder.get());
    };

    RunEnd end;
    int searchStatus = kExitDone;
    for (const SearchRequest& request : requests) {
        if (StopSignalReceived()) break;
        if (options.Batch()) std::fprintf(stderr, "%s\n", LineText(request).c_str());
        if (!request.problem.empty())
            std::fprintf(stderr, "line %d: cannot use this line: %s\n", request.lineNumber,
                         request.problem.c_str());
        LineCheck check = CheckLine(request.form, request.target, request.problem, search);
        const SearchReport& report = check.result.report;
        if (request.problem.empty())
            searchStatus = SearchExitStatus(report.outcome, request.form.mode);
        if (report.outcome == SearchOutcome::PageLimitReached)
            std::fprintf(stderr, "note: the page limit was reached after %d page%s%s\n",
                         report.pagesRead, report.pagesRead == 1 ? "" : "s",
                         request.form.mode == kModeKeyword ? "" : "; the target is not on them");
        // The check's rows and the line's completed check before it, taken
        // from the store before the check is recorded there.
        std::optional<StoredCheck> stored, previous;
        if (store && request.problem.empty()) {
            stored = check.Stored();
            if (options.explain || options.Alerting())
                previous = store->PreviousCompleted(*stored, RowStore::RowDetail::Whole);
            if (options.explain)
                check.summary.why = ExplainMove(*stored, previous ? &*previous : nullptr);
            std::string problem;
            const RowStore::Kept kept = store->Record(*stored, problem);
            if (kept != RowStore::Kept::Yes)
                std::fprintf(stderr, "sorvik-cli: %s%s\n",
                             kept == RowStore::Kept::No ? "" : "warning: ", problem.c_str());
            if (kept == RowStore::Kept::No) end.recordLost = true;
        } else if (storeLost && request.problem.empty()) {
            end.recordLost = true;
        }
        // The alerts compare the check with the line's history before it.
        std::vector<Alert> alerts;
        if (options.Alerting() && history)
            alerts = AlertsOfCheck(*history, check.summary, stored ? &*stored : nullptr,
                                   previous ? &*previous : nullptr, settings.alertTopN);
        for (Alert& alert : alerts) alert.group = request.group;
        if (history && !history->Record(check.summary)) {
            end.recordLost = true;
            std::fprintf(stderr, "sorvik-cli: the history file kept no record of %s\n",
                         options.Batch() ? LineText(request).c_str() : "this search");
        }
        if (!options.alertsFile.empty() && !alertFile.Append(alerts)) {
            end.recordLost = true;
            std::fprintf(stderr, "sorvik-cli: the alerts file kept no record of the alerts of %s\n",
                         LineText(request).c_str());
        }
        poster.Post(alerts);
        // The history file keeps its records as they are; the why is the
        // output's.
        check.summary.withWhy = options.explain;
        check.summary.withGroup = grouped;
        check.summary.group = request.group;
        if (summaries) output.Write(FormatSummary(options.format, check.summary));
        end.outcomes.push_back(check.summary.outcome);
    }
    end.stopRaised = StopSignalReceived();
    if (ended) *ended = end;

    if (!output.Finish(error)) {
        std::fprintf(stderr, "sorvik-cli: %s: the records written there are lost\n", error.c_str());
        end.recordLost = true;
    }
    if (options.Batch()) return BatchExitStatus(end);
    return end.recordLost && searchStatus != kExitStopped ? kExitRecordLost : searchStatus;
}

}  // namespace cli
}  // namespace sorvik
