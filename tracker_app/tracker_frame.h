// The tracker's window: the keyword list as a table with each line's latest
// rank and its move, checks of all or the selected lines on a worker thread
// with a progress bar, and below the table the selected line's history as a
// chart and a list of past checks, with the items that ranked above the
// user's in the chosen check and why the rank moved; the rivals in a dialog.
#pragma once

#include <wx/frame.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "batch_file.h"
#include "check_run.h"
#include "keyword_list.h"
#include "line_notes.h"
#include "row_store.h"
#include "tracker_files.h"
#include "tracker_seams.h"
#include "tracker_table.h"

class wxGauge;
class wxListEvent;
class wxSpinCtrl;
class wxSpinEvent;
class wxStaticText;
class wxButton;
class wxSplitterWindow;

namespace sorvik_tracker {

class RankChart;
class LineTable;
class PastChecksList;
class CompetitionView;
class RivalsDialog;
class AlertsDialog;
class GroupFilter;

// Command ids of the window's menus, buttons and keys.
enum TrackerCommand {
    ID_ADD_LINE = wxID_HIGHEST + 1,
    ID_EDIT_LINE,
    ID_REMOVE_LINES,
    ID_CHECK_ALL,
    ID_CHECK_SELECTED,
    ID_STOP_CHECK,
    ID_IMPORT_LIST,
    ID_EXPORT_LIST,
    ID_EXPORT_RESULTS,
    ID_EXPORT_HISTORY,
    ID_COPY_LINES,
    ID_SHOW_RIVALS,
    ID_DAILY_CHECK,
    ID_SHOW_ALERTS,
    ID_ALERT_SETTINGS,
    ID_ADD_NOTE,
    ID_EDIT_NOTE,
    ID_REMOVE_NOTE,
};

class TrackerFrame : public wxFrame {
  public:
    // Works on the tracker's files in `dataFolder` (UTF-8): reads the list,
    // the history and the settings, and reports in the window what it can't
    // read or write.
    explicit TrackerFrame(const std::string& dataFolder, TrackerSeams seams = TrackerSeams());
    // Stops a check that still runs and waits for it.
    ~TrackerFrame() override;

    // For tests and benchmarks: the controls, and whether a check runs.
    LineTable* Table() { return m_table; }
    PastChecksList* PastChecks() { return m_pastChecks; }
    RankChart* Chart() { return m_chart; }
    wxGauge* Progress() { return m_progress; }
    wxStaticText* StatusText() { return m_status; }
    wxSpinCtrl* PagesPerCheck() { return m_pages; }
    CompetitionView* Competition() { return m_competition; }
    wxStaticText* WhyLine() { return m_why; }
    // The rivals dialog once 对手 has opened it; null before.
    RivalsDialog* Rivals() { return m_rivals; }
    // 提醒, and the button that opens it with the count of unseen alerts.
    AlertsDialog* Alerts() { return m_alerts; }
    wxButton* AlertsButton() { return m_alertsButton; }
    // The choice of the group whose lines the table shows.
    GroupFilter* Groups() { return m_groups; }
    // The store of the rows each check saw; null when none could be opened.
    const std::shared_ptr<sorvik::RowStore>& Store() const { return m_store; }
    bool Checking() const { return m_run != nullptr; }
    const std::vector<sorvik::BatchLine>& Lines() const { return m_list.Lines(); }

  private:
    void BuildMenus();
    void BuildControls();
    // The pane under the table: the chart with the why-line under it, the
    // competition and the past checks beside it.
    wxWindow* BuildHistoryPane(wxWindow* parent);
    void PlaceHistoryPane();
    void OpenStore();
    void PlaceSplit();
    void LoadFiles();
    void LoadHistory();
    std::uintmax_t HistoryFileSize() const;
    void ReloadHistoryIfChanged();
    void FillTable();
    sorvik::TableRow RowOf(long row) const;
    void ShowRow(long row);
    // The group filter (frame_groups.cpp): added to the row of buttons; the
    // list line of table row `row` (which must be shown); the line at
    // `line` shown (with every line when the filter hides it) and selected.
    void AddGroupFilter(wxWindow* parent, wxSizer* row);
    void OnGroupChosen(wxCommandEvent& event);
    const sorvik::BatchLine& LineOfRow(long row) const;
    void SelectLine(std::size_t line);
    void ShowSelectedHistory();
    // Shows the competition of check `check` of the selected line (an index
    // into m_shownChecks; none: its latest check) and why its rank moved.
    void ShowCompetition(std::optional<std::size_t> check);
    void UpdateCommands();
    void ShowIdleStatus();
    // Says why the list can't be saved when the data folder can't be
    // written; false then.
    bool ListWritable();
    // Says what kept a change of the list from being saved (and shows a list
    // read again); true when it was saved.
    bool ListSaved(sorvik::ListChange change, const std::string& error);
    // Appends the checks `past` again under the edited `line`'s key.
    void CarryHistory(const std::vector<sorvik::CheckPoint>& past, const sorvik::BatchLine& line);
    void ReloadListIfChanged();
    std::vector<long> SelectedRows() const;
    std::optional<sorvik::RankHistory::Key> KeyOf(long row) const;
    void StartChecks(const std::vector<long>& rows);
    void Message(const wxString& text);

    // Menu, button and key handlers.
    void OnAddLine(wxCommandEvent& event);
    void OnEditLine(wxCommandEvent& event);
    void OnRemoveLines(wxCommandEvent& event);
    void OnCheckAll(wxCommandEvent& event);
    void OnCheckSelected(wxCommandEvent& event);
    void OnStopCheck(wxCommandEvent& event);
    void OnImportList(wxCommandEvent& event);
    void OnExportList(wxCommandEvent& event);
    void OnExportResults(wxCommandEvent& event);
    void OnExportHistory(wxCommandEvent& event);
    void OnCopyLines(wxCommandEvent& event);
    void OnShowRivals(wxCommandEvent& event);
    // 每天自动检查 (frame_schedule.cpp).
    void OnDailyCheck(wxCommandEvent& event);
    // 提醒 (frame_alerts.cpp): the list read at the start, what a run does
    // with its alerts, and what the window shows of them.
    std::string AlertsFile() const;
    void LoadAlerts();
    // Counts `alert` as not seen yet and marks its line.
    void MarkUnseen(const sorvik::Alert& alert);
    // Keeps in the settings that the alerts up to the latest of `alerts`
    // (and at least up to `atLeast`) have been seen.
    void KeepAlertsSeen(const std::vector<sorvik::Alert>& alerts, std::time_t atLeast);
    sorvik::CheckAlerting RunAlerting() const;
    void OnRunAlerts(const std::vector<sorvik::Alert>& alerts, bool kept);
    void OnAlertsPosted(std::size_t posted, const std::string& failure);
    // At a run's end: the desktop notice, and what went wrong in the status.
    void EndRunAlerts();
    void ShowAlertCount();
    bool LineAlerted(const sorvik::RankHistory::Key& key) const;
    void OnShowAlerts(wxCommandEvent& event);
    void OnAlertSettings(wxCommandEvent& event);
    // Notes on the checks (frame_notes.cpp): read at the start, shown with
    // the selected line's checks, and the menu a right-click on a check in
    // the chart or the past checks opens, acting on the chosen check.
    void SetUpNotes();
    // The key of the only selected line; none when not exactly one is.
    std::optional<sorvik::TrackKey> NotedKey() const;
    void ShowNotes();
    void ShowNoteMenu(wxWindow* over);
    void EditNote();
    void RemoveNote();
    void OnQuit(wxCommandEvent& event);
    void OnPagesChanged(wxSpinEvent& event);
    void OnSelectionChanged(wxListEvent& event);
    void OnLineActivated(wxListEvent& event);
    void OnTableKey(wxKeyEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnActivate(wxActivateEvent& event);

    // What the check run reports, on the window thread.
    void OnCheckProgress();
    void OnLineChecked(std::size_t runIndex, const sorvik::SummaryRecord& summary,
                       const std::string& why, bool recorded);
    void OnChecksFinished(bool stopped);

    sorvik::TrackerFiles m_files;
    TrackerSeams m_seams;
    bool m_folderWritable = true;
    sorvik::KeywordList m_list;
    std::shared_ptr<sorvik::SharedHistory> m_history;
    bool m_historyWritable = false;
    std::uintmax_t m_historySize = 0;  // of the history file as last read or written
    int m_damagedShown = 0;            // damaged history lines already reported
    sorvik::TrackerSettings m_settings;
    // Shared with the check run's worker, which records into it; the store
    // guards itself.
    std::shared_ptr<sorvik::RowStore> m_store;
    // The checks of the selected line as the chart and the past checks show
    // them, and the one whose competition shows.
    std::vector<sorvik::CheckPoint> m_shownChecks;
    std::optional<std::size_t> m_chosenCheck;
    sorvik::LineNotes m_notes{sorvik::NotesFile(m_files.Folder())};

    // The check that runs, and the table rows of its lines in run order.
    std::unique_ptr<sorvik::CheckRun> m_run;
    std::vector<long> m_runRows;
    std::size_t m_runDone = 0;     // lines whose check has ended
    std::size_t m_runChecked = 0;  // of them, those not cut short by a stop
    std::size_t m_runFailed = 0;   // of them, those that failed
    std::string m_firstFailure;    // which line failed first, and why
    std::string m_storeProblem;    // why the rows of a check could not be kept
    bool m_closing = false;
    // The alerts of the running check, what kept them from the file or the
    // robot, and the lines with alerts not seen in 提醒 yet.
    std::vector<sorvik::Alert> m_runAlerts;
    std::string m_alertProblem;
    std::set<sorvik::RankHistory::Key> m_unseenAlerts;
    std::size_t m_unseenAlertCount = 0;

    // The latest progress of the running check, handed from the worker to
    // the window thread; at most one hand-over is pending at a time, so a
    // fast search never floods the window's events.
    struct CheckProgress {
        std::size_t runIndex = 0;
        std::string status;
        int page = 0;
    };
    std::mutex m_progressLock;  // guards m_latestProgress
    CheckProgress m_latestProgress;
    std::atomic<bool> m_progressPending{false};

    LineTable* m_table = nullptr;
    PastChecksList* m_pastChecks = nullptr;
    RankChart* m_chart = nullptr;
    wxGauge* m_progress = nullptr;
    wxStaticText* m_status = nullptr;
    wxSpinCtrl* m_pages = nullptr;
    wxButton* m_stopButton = nullptr;
    wxSplitterWindow* m_split = nullptr;  // the table above, the history below
    wxSplitterWindow* m_below = nullptr;  // the chart, and beside it m_side
    wxSplitterWindow* m_side = nullptr;   // the competition, and the past checks
    CompetitionView* m_competition = nullptr;
    wxStaticText* m_why = nullptr;
    RivalsDialog* m_rivals = nullptr;  // a child of the window, hidden when closed
    AlertsDialog* m_alerts = nullptr;  // a child of the window, hidden when closed
    wxButton* m_alertsButton = nullptr;
    GroupFilter* m_groups = nullptr;
};

}  // namespace sorvik_tracker
