// The window's layout, its files at start-up, the table and the history of
// the selected line. Checks are in frame_checks.cpp, changes of the list and
// the files it exports in frame_list_edits.cpp.
#include "tracker_frame.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/splitter.h>
#include <wx/stattext.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "app_icon.h"
#include "file_names.h"
#include "group_filter.h"
#include "item_title.h"
#include "list_views.h"
#include "local_time.h"
#include "rank_chart.h"
#include "search_mode.h"
#include "tracker_table.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

// "20261208-150405": when a damaged list file was put aside.
std::string TimeTag() {
    const std::string stamp = sorvik::LocalTimestamp(std::time(nullptr));
    std::string tag;
    for (char c : stamp.substr(0, 19))
        if (c != '-' && c != ':') tag += c == 'T' ? '-' : c;
    return tag;
}

}  // namespace

TrackerFrame::TrackerFrame(const std::string& dataFolder, TrackerSeams seams)
    : wxFrame(nullptr, wxID_ANY, TrackerTitle(), wxDefaultPosition, wxSize(1100, 760)),
      m_files(dataFolder),
      m_seams(std::move(seams)),
      m_list(m_files.ListFile()) {
    SetIcons(sorvik_app::LoadAppIcon());
    SetSize(FromDIP(wxSize(1100, 760)));
    BuildMenus();
    BuildControls();
    SetUpNotes();
    Bind(wxEVT_CHAR_HOOK, &TrackerFrame::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &TrackerFrame::OnClose, this);
    Bind(wxEVT_ACTIVATE, &TrackerFrame::OnActivate, this);
    LoadFiles();
    LoadAlerts();
    FillTable();
    // The first line is selected, so its chart shows and the arrows move
    // from it.
    if (!m_list.Lines().empty()) {
        m_table->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                              wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        ShowSelectedHistory();
    }
    UpdateCommands();
    ShowIdleStatus();
    Centre();
}

TrackerFrame::~TrackerFrame() {
    // The worker reports to this window: it ends before the window goes.
    m_run.reset();
}

void TrackerFrame::BuildMenus() {
    auto* file = new wxMenu;
    file->Append(ID_IMPORT_LIST, U("导入列表(&I)..."));
    file->Append(ID_EXPORT_LIST, U("导出列表(&X)..."));
    file->AppendSeparator();
    file->Append(ID_EXPORT_RESULTS, U("导出最新结果为 CSV(&R)..."));
    file->Append(ID_EXPORT_HISTORY, U("导出全部检查记录为 CSV(&H)..."));
    file->AppendSeparator();
    file->Append(wxID_EXIT, U("退出(&Q)"));

    auto* list = new wxMenu;
    list->Append(ID_ADD_LINE, U("添加(&A)\tCtrl+N"));
    // Enter, Delete and Ctrl+C act in the table (see OnTableKey), so that
    // they keep their meaning in the page count field.
    list->Append(ID_EDIT_LINE, U("编辑(&E)        Enter"));
    list->Append(ID_REMOVE_LINES, U("删除(&D)        Delete"));
    list->AppendSeparator();
    list->Append(ID_COPY_LINES, U("复制所选行(&C)   Ctrl+C"));

    auto* check = new wxMenu;
    check->Append(ID_CHECK_ALL, U("全部检查(&A)\tF5"));
    check->Append(ID_CHECK_SELECTED, U("检查所选(&S)\tCtrl+R"));
    check->Append(ID_STOP_CHECK, U("停止(&T)        Esc"));
    check->AppendSeparator();
    check->Append(ID_SHOW_RIVALS, U("对手(&V)..."));
    check->Append(ID_SHOW_ALERTS, U("提醒(&N)..."));

    auto* bar = new wxMenuBar;
    bar->Append(file, U("文件(&F)"));
    bar->Append(list, U("列表(&L)"));
    bar->Append(check, U("检查(&C)"));
    auto* settings = new wxMenu;
    settings->Append(ID_DAILY_CHECK, U("每天自动检查(&D)..."));
    settings->Append(ID_ALERT_SETTINGS, U("提醒设置(&A)..."));
    bar->Append(settings, U("设置(&S)"));
    SetMenuBar(bar);

    Bind(wxEVT_MENU, &TrackerFrame::OnAddLine, this, ID_ADD_LINE);
    Bind(wxEVT_MENU, &TrackerFrame::OnEditLine, this, ID_EDIT_LINE);
    Bind(wxEVT_MENU, &TrackerFrame::OnRemoveLines, this, ID_REMOVE_LINES);
    Bind(wxEVT_MENU, &TrackerFrame::OnCheckAll, this, ID_CHECK_ALL);
    Bind(wxEVT_MENU, &TrackerFrame::OnCheckSelected, this, ID_CHECK_SELECTED);
    Bind(wxEVT_MENU, &TrackerFrame::OnStopCheck, this, ID_STOP_CHECK);
    Bind(wxEVT_MENU, &TrackerFrame::OnImportList, this, ID_IMPORT_LIST);
    Bind(wxEVT_MENU, &TrackerFrame::OnExportList, this, ID_EXPORT_LIST);
    Bind(wxEVT_MENU, &TrackerFrame::OnExportResults, this, ID_EXPORT_RESULTS);
    Bind(wxEVT_MENU, &TrackerFrame::OnExportHistory, this, ID_EXPORT_HISTORY);
    Bind(wxEVT_MENU, &TrackerFrame::OnCopyLines, this, ID_COPY_LINES);
    Bind(wxEVT_MENU, &TrackerFrame::OnShowRivals, this, ID_SHOW_RIVALS);
    Bind(wxEVT_MENU, &TrackerFrame::OnDailyCheck, this, ID_DAILY_CHECK);
    Bind(wxEVT_MENU, &TrackerFrame::OnQuit, this, wxID_EXIT);
}

void TrackerFrame::BuildControls() {
    auto* panel = new wxPanel(this);
    const int gap = FromDIP(6);

    // The buttons of the list and the checks.
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto addButton = [&](int id, const char* label) {
        // As wide as its label: the row of nine buttons, the pages and the
        // group filter fits the window's default width.
        auto* button =
            new wxButton(panel, id, U(label), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
        button->SetMinSize(
            wxSize(std::max(button->GetBestSize().GetWidth() + FromDIP(16), FromDIP(64)), -1));
        button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) {
            wxCommandEvent command(wxEVT_MENU, id);
            ProcessWindowEvent(command);
        });
        buttons->Add(button, 0, wxRIGHT, gap);
        return button;
    };
    addButton(ID_ADD_LINE, "添加");
    addButton(ID_EDIT_LINE, "编辑");
    addButton(ID_REMOVE_LINES, "删除");
    buttons->AddSpacer(FromDIP(16));
    addButton(ID_CHECK_ALL, "全部检查");
    addButton(ID_CHECK_SELECTED, "检查所选");
    m_stopButton = addButton(ID_STOP_CHECK, "停止");
    buttons->AddSpacer(FromDIP(16));
    addButton(ID_SHOW_RIVALS, "对手");
    m_alertsButton = addButton(ID_SHOW_ALERTS, "提醒");
    buttons->AddSpacer(FromDIP(16));
    buttons->Add(new wxStaticText(panel, wxID_ANY, U("每次检查页数：")),
                 wxSizerFlags().CentreVertical().Border(wxRIGHT, gap));
    m_pages =
        new wxSpinCtrl(panel, wxID_ANY, wxString(), wxDefaultPosition, wxSize(FromDIP(120), -1),
                       wxSP_ARROW_KEYS, 1, sorvik::kMaxPagesPerCheck, 10);
    m_pages->Bind(wxEVT_SPINCTRL, &TrackerFrame::OnPagesChanged, this);
    buttons->Add(m_pages, 0, wxALIGN_CENTER_VERTICAL);
    AddGroupFilter(panel, buttons);

    // The table, above the history of its selected line.
    auto* splitter = new wxSplitterWindow(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                          wxSP_LIVE_UPDATE | wxSP_3D);
    splitter->SetMinimumPaneSize(FromDIP(120));
    m_table = new LineTable(splitter);
    m_table->Bind(wxEVT_LIST_ITEM_SELECTED, &TrackerFrame::OnSelectionChanged, this);
    m_table->Bind(wxEVT_LIST_ITEM_DESELECTED, &TrackerFrame::OnSelectionChanged, this);
    m_table->Bind(wxEVT_LIST_ITEM_ACTIVATED, &TrackerFrame::OnLineActivated, this);
    // An arrow key that moves the focus with nothing selected selects the
    // row it lands on, as a list of one's own files does.
    m_table->Bind(wxEVT_LIST_ITEM_FOCUSED, [this](wxListEvent& event) {
        event.Skip();
        if (event.GetIndex() >= 0 && m_table->GetSelectedItemCount() == 0)
            m_table->SetItemState(event.GetIndex(), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    });
    m_table->Bind(wxEVT_KEY_DOWN, &TrackerFrame::OnTableKey, this);

    wxWindow* below = BuildHistoryPane(splitter);
    splitter->SplitHorizontally(m_table, below);
    splitter->SetSashGravity(0.5);
    m_split = splitter;
    // Where the user puts the split between the table and the chart is kept.
    splitter->Bind(wxEVT_SPLITTER_SASH_POS_CHANGED, [this](wxSplitterEvent& event) {
        event.Skip();
        // The splits of the pane below reach here too: they are no height.
        if (event.GetEventObject() != m_split) return;
        const int height = m_split->GetClientSize().GetHeight();
        if (height <= 0) return;
        const int percent = std::clamp(event.GetSashPosition() * 100 / height, 20, 60);
        if (percent == m_settings.tablePercent) return;
        m_settings.tablePercent = percent;
        std::string error;
        if (m_folderWritable && !m_files.WriteSettings(m_settings, error))
            Message(U("无法保存设置：" + error));
    });

    m_progress = new wxGauge(panel, wxID_ANY, 100, wxDefaultPosition, wxSize(FromDIP(220), -1));
    m_status = new wxStaticText(panel, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxST_ELLIPSIZE_END);
    auto* progress = new wxBoxSizer(wxHORIZONTAL);
    progress->Add(m_progress, wxSizerFlags().CentreVertical().Border(wxRIGHT, gap * 2));
    progress->Add(m_status, 1, wxALIGN_CENTER_VERTICAL);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(buttons, 0, wxALL, gap);
    top->Add(splitter, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT, gap));
    top->Add(progress, wxSizerFlags().Expand().Border(wxALL, gap));
    panel->SetSizer(top);

    // The table above and the history below share the height as the user
    // last left them (the chart 60% at first).
    Layout();
    panel->Layout();
    PlaceHistoryPane();
}

void TrackerFrame::PlaceSplit() {
    m_split->SetSashPosition(m_split->GetClientSize().GetHeight() * m_settings.tablePercent / 100);
}

void TrackerFrame::Message(const wxString& text) {
    m_seams.message(text, this);
}

void TrackerFrame::LoadFiles() {
    std::string error;
    if (!m_files.Prepare(error)) {
        m_folderWritable = false;
        Message(U("无法使用数据文件夹 " + m_files.Folder() + "：" + error +
                  "\n\n关键词列表、设置和检查记录都无法保存，也不会开始检查。"));
    }
    m_settings = m_files.ReadSettings();
    m_pages->SetValue(m_settings.pagesPerCheck);
    PlaceSplit();

    if (m_list.Load(error)) {
        std::string unusable;
        for (const sorvik::BatchLine& line : m_list.Lines())
            if (!line.problem.empty())
                unusable += "\n第 " + std::to_string(line.number) + " 行：" + line.problem;
        if (!unusable.empty())
            Message(U("关键词列表 " + m_files.ListFile() +
                      " 中有无法使用的行（保留在列表中，检查时记为输入有误）：" + unusable));
    } else {
        // A list that can't be read is never written over: it is put aside
        // whole, and the window starts with an empty list.
        const std::string aside = m_files.ListFile() + ".unreadable-" + TimeTag();
        std::error_code ec;
        std::filesystem::rename(sorvik::PathFromUtf8(m_files.ListFile()),
                                sorvik::PathFromUtf8(aside), ec);
        Message(U("无法读取关键词列表：" + error + "\n\n" +
                  (ec ? "为了不覆盖它，这个文件保持原样，列表的修改将无法保存。"
                      : "原文件已改名保存为 " + aside + "，列表从空开始。")));
        if (ec) m_folderWritable = false;
    }

    LoadHistory();
    OpenStore();
}

void TrackerFrame::LoadHistory() {
    auto history = std::make_shared<sorvik::SharedHistory>([](const std::string&) {});
    std::string error;
    m_history = history;
    m_historySize = HistoryFileSize();
    m_historyWritable = false;
    if (!history->Load(m_files.HistoryFile(), error)) {
        Message(U("无法读取检查记录：" + error + "\n\n检查记录文件保持原样，不会开始检查。"));
        return;
    }
    const int damaged = history->SkippedLines() + history->SkippedRecords();
    if (damaged > 0 && damaged != m_damagedShown)
        Message(U("检查记录 " + m_files.HistoryFile() + " 中有 " + std::to_string(damaged) +
                  " 行已损坏或无法使用（结果不明，或检查时间无法读取、在将来），已跳过"
                  "（文件保持原样）。"));
    m_damagedShown = damaged;
    m_historyWritable = m_folderWritable && history->OpenForAppend(error);
}

std::uintmax_t TrackerFrame::HistoryFileSize() const {
    std::error_code ec;
    const std::uintmax_t size =
        std::filesystem::file_size(sorvik::PathFromUtf8(m_files.HistoryFile()), ec);
    return ec ? 0 : size;
}

void TrackerFrame::ReloadHistoryIfChanged() {
    // sorvik-cli may have checked the list meanwhile (a daily task): its
    // records join the table and the charts, and the next check's changes
    // are counted from them.
    if (m_run || HistoryFileSize() == m_historySize) return;
    LoadHistory();
    FillTable();
}

void TrackerFrame::OnActivate(wxActivateEvent& event) {
    if (event.GetActive()) {
        // An editor or another program may have changed the files meanwhile.
        CallAfter(&TrackerFrame::ReloadListIfChanged);
        CallAfter(&TrackerFrame::ReloadHistoryIfChanged);
    }
    event.Skip();
}

std::optional<sorvik::RankHistory::Key> TrackerFrame::KeyOf(long row) const {
    const std::optional<std::size_t> line = m_groups->LineOf(row);
    if (!line || *line >= m_list.Lines().size()) return std::nullopt;
    return sorvik::KeyOf(m_list.Lines()[*line]);
}

sorvik::TableRow TrackerFrame::RowOf(long row) const {
    const std::optional<sorvik::RankHistory::Key> key = KeyOf(row);
    if (!key) return sorvik::TableRow();
    const std::optional<sorvik::SummaryRecord> latest = m_history->Latest(*key);
    const sorvik::BatchLine& line = LineOfRow(row);
    sorvik::TableRow described = sorvik::DescribeLine(line, latest ? &*latest : nullptr,
                                                      sorvik::LastFoundTitle(m_store.get(), line));
    described.alerted = LineAlerted(*key);
    return described;
}

void TrackerFrame::FillTable() {
    m_groups->ShowGroupsOf(m_list.Lines());
    std::vector<sorvik::TableRow> rows;
    for (long row = 0; row < m_groups->Rows(); ++row) rows.push_back(RowOf(row));
    m_table->SetRows(std::move(rows));
    ShowSelectedHistory();
}

void TrackerFrame::ShowRow(long row) {
    m_table->SetRow(row, RowOf(row));
}

std::vector<long> TrackerFrame::SelectedRows() const {
    std::vector<long> rows;
    for (long row = m_table->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
         row = m_table->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(row);
    return rows;
}

void TrackerFrame::ShowSelectedHistory() {
    const std::vector<long> rows = SelectedRows();
    std::vector<sorvik::CheckPoint> checks;
    const auto key = rows.size() == 1 ? KeyOf(rows[0]) : std::nullopt;
    if (key) checks = m_history->Checks(*key);
    m_chart->SetChecks(
        checks,
        m_list.Lines().empty() ? RankChart::Hint::NoLines
        : rows.size() == 1     ? RankChart::Hint::NoChecksYet
                               : RankChart::Hint::SelectLine,
        key && !key->target ? sorvik::ChartValue::ResultCount : sorvik::ChartValue::Rank);

    m_pastChecks->SetChecks(checks);
    m_shownChecks = std::move(checks);
    ShowNotes();
    ShowCompetition(std::nullopt);
}

void TrackerFrame::OnSelectionChanged(wxListEvent&) {
    ShowSelectedHistory();
    UpdateCommands();
}

void TrackerFrame::UpdateCommands() {
    const bool idle = !m_run;
    const std::size_t selected = static_cast<std::size_t>(m_table->GetSelectedItemCount());
    wxMenuBar* bar = GetMenuBar();
    auto enable = [&](int id, bool on) {
        bar->Enable(id, on);
        if (wxWindow* button = FindWindow(id)) button->Enable(on);
    };
    enable(ID_ADD_LINE, idle);
    enable(ID_EDIT_LINE, idle && selected == 1);
    enable(ID_REMOVE_LINES, idle && selected > 0);
    enable(ID_IMPORT_LIST, idle);
    enable(ID_CHECK_ALL, idle && m_table->Rows() > 0);  // the lines the filter shows
    enable(ID_CHECK_SELECTED, idle && selected > 0);
    enable(ID_STOP_CHECK, !idle);
    enable(ID_SHOW_RIVALS, m_store != nullptr);
    m_pages->Enable(idle);
    m_groups->Enable(idle);
}

void TrackerFrame::ShowIdleStatus() {
    // F5 is named only when there is something to check.
    m_status->SetLabelText(
        m_list.Lines().empty()
            ? U("列表是空的。Ctrl+N 添加一行，或从“文件 → 导入列表”导入。")
            : U("共 " + std::to_string(m_list.Lines().size()) + " 行。F5 全部检查，Ctrl+N 添加。"));
}

}  // namespace sorvik_tracker
