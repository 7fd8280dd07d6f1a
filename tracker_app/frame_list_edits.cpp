// Changes of the keyword list (add, edit, remove, import) and what the
// window gives out: the list as a batch file, the latest results and the
// whole history as CSV, and the selected lines on the clipboard.
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/listctrl.h>

#include <algorithm>
#include <ctime>

#include "file_names.h"
#include "group_filter.h"
#include "history_carry.h"
#include "line_dialog.h"
#include "list_views.h"
#include "output_format.h"
#include "read_file.h"
#include "tracker_frame.h"
#include "tracker_table.h"
#include "ui_text.h"
#include "window_export.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;
using sorvik_ui::Utf8;

const char* const kTextFiles = "文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*";
const char* const kCsvFiles = "CSV 文件 (*.csv)|*.csv";

}  // namespace

bool TrackerFrame::ListWritable() {
    if (m_folderWritable) return true;
    Message(U("关键词列表无法保存到 " + m_files.ListFile() + "：数据文件夹不能写入。"));
    return false;
}

bool TrackerFrame::ListSaved(sorvik::ListChange change, const std::string& error) {
    switch (change) {
        case sorvik::ListChange::Saved:
            return true;
        case sorvik::ListChange::NotSaved:
            Message(U("无法保存关键词列表：" + error));
            return false;
        case sorvik::ListChange::ReadAgain:
            FillTable();
            UpdateCommands();
            ShowIdleStatus();
            Message(U("关键词列表 " + m_files.ListFile() +
                      " 已被其他程序修改，已重新读取，没有做这次修改。请重新选择要修改的行。"));
            return false;
    }
    return false;
}

void TrackerFrame::ReloadListIfChanged() {
    // A running check names its lines by their rows.
    if (m_run) return;
    std::string error;
    if (m_list.ReloadIfChanged(error) != sorvik::KeywordList::Reread::ReadAgain) return;
    FillTable();
    UpdateCommands();
    ShowIdleStatus();
}

void TrackerFrame::OnAddLine(wxCommandEvent&) {
    if (m_run) return;
    // The form checks the new line against the list as it is on disk.
    ReloadListIfChanged();
    LineDialog dialog(this, m_list.Lines(), std::nullopt, m_seams.message);
    // A line added while one group shows goes into that group unless the
    // user names another.
    dialog.SuggestGroup(m_groups->Group());
    if (!m_seams.editLine(dialog) || !ListWritable()) return;
    std::string error;
    if (!ListSaved(m_list.Add(dialog.Line(), error), error)) return;
    SelectLine(m_list.Lines().size() - 1);
    UpdateCommands();
    ShowIdleStatus();
}

void TrackerFrame::OnEditLine(wxCommandEvent&) {
    const std::vector<long> rows = SelectedRows();
    if (m_run || rows.size() != 1) return;
    const std::size_t index = m_groups->LineOf(rows[0]).value();
    const sorvik::TrackKey before = sorvik::KeyOf(m_list.Lines()[index]);
    LineDialog dialog(this, m_list.Lines(), index, m_seams.message);
    if (!m_seams.editLine(dialog) || !ListWritable()) return;
    // A changed keyword or target is another search, whose history is that
    // of the new pair; the user may carry the old pair's checks over to it
    // (they stay under the old pair in the history file too).
    const sorvik::BatchLine edited = dialog.Line();
    const std::vector<sorvik::CheckPoint> past = m_history->Checks(before);
    const bool carry = !(sorvik::KeyOf(edited) == before) && !past.empty() &&
                       m_seams.ask(U("保留这一行的排名历史吗？"), this);
    std::string error;
    if (!ListSaved(m_list.Replace(index, edited, error), error)) return;
    if (carry) CarryHistory(past, edited);
    // A new group may move the line out of the filter's rows.
    SelectLine(index);
    UpdateCommands();
}

void TrackerFrame::CarryHistory(const std::vector<sorvik::CheckPoint>& past,
                                const sorvik::BatchLine& line) {
    if (!m_historyWritable) {
        Message(U("检查记录文件不能写入，这一行的排名历史没有保留。"));
        return;
    }
    std::size_t written = 0;
    std::vector<sorvik::SummaryRecord> records = sorvik::CarriedRecords(past, line);
    for (sorvik::SummaryRecord& record : records)
        if (m_history->Record(record)) ++written;
    // The file grew by our own hand: no reason to read it again.
    m_historySize = HistoryFileSize();
    if (written < records.size())
        Message(U("只保留了 " + std::to_string(written) + " / " + std::to_string(records.size()) +
                  " 条检查记录：检查记录文件写入失败。"));
}

void TrackerFrame::OnRemoveLines(wxCommandEvent&) {
    const std::vector<long> rows = SelectedRows();
    if (m_run || rows.empty()) return;
    // One line is named by its keyword and its target: several lines may
    // share the keyword.
    std::string named;
    if (rows.size() == 1) {
        const sorvik::BatchLine& line = LineOfRow(rows[0]);
        named = "“" + line.keyword + "”";
        if (!line.target.empty()) named += "（" + line.target + "）";
    }
    const wxString question =
        rows.size() == 1 ? U("删除" + named + "这一行吗？\n它的检查记录保留在检查记录文件中。")
                         : U("删除所选的 " + std::to_string(rows.size()) +
                             " 行吗？\n它们的检查记录保留在检查记录文件中。");
    if (!m_seams.ask(question, this) || !ListWritable()) return;
    std::string error;
    std::vector<std::size_t> lines;
    lines.reserve(rows.size());
    for (long row : rows) lines.push_back(m_groups->LineOf(row).value());
    if (!ListSaved(m_list.Remove(lines, error), error)) return;
    FillTable();
    UpdateCommands();
    ShowIdleStatus();
}

void TrackerFrame::OnLineActivated(wxListEvent&) {
    wxCommandEvent edit(wxEVT_MENU, ID_EDIT_LINE);
    OnEditLine(edit);
}

void TrackerFrame::OnTableKey(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_DELETE || key == WXK_NUMPAD_DELETE) {
        wxCommandEvent remove(wxEVT_MENU, ID_REMOVE_LINES);
        OnRemoveLines(remove);
        return;
    }
    if (event.GetModifiers() == wxMOD_CONTROL && (key == 'C' || key == 'c')) {
        wxCommandEvent copy(wxEVT_MENU, ID_COPY_LINES);
        OnCopyLines(copy);
        return;
    }
    event.Skip();
}

void TrackerFrame::OnImportList(wxCommandEvent&) {
    if (m_run) return;
    const wxString path =
        m_seams.chooseFile(U("导入关键词列表"), U(kTextFiles), wxString(), false, this);
    if (path.empty()) return;
    std::string error;
    const std::optional<std::vector<sorvik::BatchLine>> read =
        sorvik::ReadBatchFile(Utf8(path), error);
    if (!read) {
        Message(U("无法导入：" + error + "\n\n列表没有改动。"));
        return;
    }
    if (!ListWritable()) return;
    const sorvik::ImportReport imported = m_list.Import(*read, error);
    if (!ListSaved(imported.change, error)) return;
    FillTable();
    UpdateCommands();
    ShowIdleStatus();
    std::string report = "已导入 " + std::to_string(imported.added) + " 行。";
    if (!imported.skipped.empty()) report += "\n以下各行没有导入：";
    for (const auto& [number, problem] : imported.skipped)
        report += "\n第 " + std::to_string(number) + " 行：" + problem;
    Message(U(report));
}

void TrackerFrame::OnExportList(wxCommandEvent&) {
    const wxString path =
        m_seams.chooseFile(U("导出关键词列表"), U(kTextFiles), "keywords.txt", true, this);
    if (path.empty()) return;
    std::string error;
    if (!sorvik::WriteFileWhole(Utf8(path), sorvik::FormatBatchFile(m_list.Lines()), error))
        Message(U("无法导出列表：" + error));
}

void TrackerFrame::OnExportResults(wxCommandEvent&) {
    const wxString path =
        m_seams.chooseFile(U("导出最新结果"), U(kCsvFiles),
                           U(sorvik::DatedFileName("排名", std::time(nullptr))), true, this);
    if (path.empty()) return;
    // The table as it shows (the lines of the group chosen), with each
    // line's time of check in local time.
    std::vector<sorvik::TableRow> rows;
    std::vector<std::string> checkedAt;
    for (long row = 0; row < m_table->Rows(); ++row) {
        rows.push_back(m_table->Row(row));
        const std::optional<sorvik::SummaryRecord> latest = m_history->Latest(*KeyOf(row));
        checkedAt.push_back(latest ? latest->checkedAt : std::string());
    }
    std::string error;
    if (!sorvik::WriteFileWhole(Utf8(path), sorvik::TableAsCsv(rows, checkedAt), error))
        Message(U("无法导出结果：" + error));
}

void TrackerFrame::OnExportHistory(wxCommandEvent&) {
    const wxString path =
        m_seams.chooseFile(U("导出全部检查记录"), U(kCsvFiles),
                           U(sorvik::DatedFileName("检查记录", std::time(nullptr))), true, this);
    if (path.empty()) return;
    std::string error;
    std::string csv;
    if (!sorvik::HistoryAsTable(m_files.HistoryFile(), m_list.Lines(), csv, error, m_notes.All()) ||
        !sorvik::WriteFileWhole(Utf8(path), csv, error))
        Message(U("无法导出检查记录：" + error));
}

void TrackerFrame::OnCopyLines(wxCommandEvent&) {
    std::vector<sorvik::TableRow> rows;
    for (long row : SelectedRows()) rows.push_back(m_table->Row(row));
    if (rows.empty()) return;
    wxClipboardLocker clipboard;
    if (!clipboard) return;
    wxTheClipboard->SetData(new wxTextDataObject(U(sorvik::RowsAsTsv(rows))));
    wxTheClipboard->Flush();
}

}  // namespace sorvik_tracker
