// Changes of the keyword list (add, edit, remove, import) and what the
// window gives out: the list as a batch file, the latest results and the
// whole history as CSV, and the selected lines on the clipboard.
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/listctrl.h>

#include <algorithm>

#include "file_names.h"
#include "line_dialog.h"
#include "list_views.h"
#include "output_format.h"
#include "read_file.h"
#include "tracker_frame.h"
#include "tracker_table.h"

namespace sorvik_tracker {
namespace {

wxString U(const std::string& utf8) {
    return wxString::FromUTF8(utf8);
}

std::string Utf8(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

const char* const kTextFiles = "文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*";
const char* const kCsvFiles = "CSV 文件 (*.csv)|*.csv";

}  // namespace

bool TrackerFrame::SaveList() {
    std::string error;
    if (!m_folderWritable) {
        Message(U("关键词列表无法保存到 " + m_files.ListFile() + "：数据文件夹不能写入。"));
        return false;
    }
    if (!m_files.WriteList(m_lines, error)) {
        Message(U("无法保存关键词列表：" + error));
        return false;
    }
    return true;
}

void TrackerFrame::OnAddLine(wxCommandEvent&) {
    if (m_run) return;
    LineDialog dialog(this, m_lines, std::nullopt, m_seams.message);
    if (!m_seams.editLine(dialog)) return;
    m_lines.push_back(dialog.Line());
    if (!SaveList()) {
        m_lines.pop_back();
        return;
    }
    const long row = static_cast<long>(m_lines.size() - 1);
    FillTable();
    for (long other : SelectedRows()) m_table->SetItemState(other, 0, wxLIST_STATE_SELECTED);
    m_table->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                          wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_table->EnsureVisible(row);
    UpdateCommands();
    ShowIdleStatus();
}

void TrackerFrame::OnEditLine(wxCommandEvent&) {
    const std::vector<long> rows = SelectedRows();
    if (m_run || rows.size() != 1) return;
    const std::size_t index = static_cast<std::size_t>(rows[0]);
    LineDialog dialog(this, m_lines, index, m_seams.message);
    if (!m_seams.editLine(dialog)) return;
    const sorvik::BatchLine before = m_lines[index];
    sorvik::BatchLine edited = dialog.Line();
    edited.number = before.number;
    m_lines[index] = edited;
    if (!SaveList()) {
        m_lines[index] = before;
        return;
    }
    // A changed keyword or target is another search: its history is that
    // of the new pair (the old pair's checks stay in the history file).
    ShowRow(rows[0]);
    ShowSelectedHistory();
}

void TrackerFrame::OnRemoveLines(wxCommandEvent&) {
    std::vector<long> rows = SelectedRows();
    if (m_run || rows.empty()) return;
    const wxString question = rows.size() == 1
                                  ? U("删除“" + m_lines[static_cast<std::size_t>(rows[0])].keyword +
                                      "”这一行吗？\n它的检查记录保留在检查记录文件中。")
                                  : U("删除所选的 " + std::to_string(rows.size()) +
                                      " 行吗？\n它们的检查记录保留在检查记录文件中。");
    if (!m_seams.ask(question, this)) return;
    const std::vector<sorvik::BatchLine> before = m_lines;
    std::sort(rows.rbegin(), rows.rend());
    for (long row : rows) m_lines.erase(m_lines.begin() + row);
    if (!SaveList()) {
        m_lines = before;
        return;
    }
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
    const std::vector<sorvik::BatchLine> before = m_lines;
    std::string skipped;
    int added = 0;
    for (const sorvik::BatchLine& line : *read) {
        std::optional<std::string> problem;
        if (!line.problem.empty())
            problem = line.problem;
        else
            problem = sorvik::LineProblem(line.Mode(), line.keyword, line.target, m_lines);
        if (problem) {
            skipped += "\n第 " + std::to_string(line.number) + " 行：" + *problem;
            continue;
        }
        sorvik::BatchLine kept = line;
        kept.number = 0;
        m_lines.push_back(kept);
        ++added;
    }
    if (added > 0 && !SaveList()) {
        m_lines = before;
        return;
    }
    FillTable();
    UpdateCommands();
    ShowIdleStatus();
    std::string report = "已导入 " + std::to_string(added) + " 行。";
    if (!skipped.empty()) report += "\n以下各行没有导入：" + skipped;
    Message(U(report));
}

void TrackerFrame::OnExportList(wxCommandEvent&) {
    const wxString path =
        m_seams.chooseFile(U("导出关键词列表"), U(kTextFiles), "keywords.txt", true, this);
    if (path.empty()) return;
    std::string error;
    if (!sorvik::WriteFileWhole(Utf8(path), sorvik::FormatBatchFile(m_lines), error))
        Message(U("无法导出列表：" + error));
}

void TrackerFrame::OnExportResults(wxCommandEvent&) {
    const wxString path =
        m_seams.chooseFile(U("导出最新结果"), U(kCsvFiles), "ranks.csv", true, this);
    if (path.empty()) return;
    std::string csv = sorvik::StreamHeader(sorvik::OutputFormat::Csv, true, true);
    {
        std::lock_guard<std::mutex> lock(m_history->lock);
        for (long row = 0; row < static_cast<long>(m_lines.size()); ++row) {
            if (const sorvik::SummaryRecord* latest = m_history->history.Latest(*KeyOf(row)))
                csv += sorvik::FormatSummary(sorvik::OutputFormat::Csv, *latest);
        }
    }
    std::string error;
    if (!sorvik::WriteFileWhole(Utf8(path), csv, error)) Message(U("无法导出结果：" + error));
}

void TrackerFrame::OnExportHistory(wxCommandEvent&) {
    const wxString path =
        m_seams.chooseFile(U("导出全部检查记录"), U(kCsvFiles), "history.csv", true, this);
    if (path.empty()) return;
    std::string error;
    std::string csv;
    if (!sorvik::HistoryAsCsv(m_files.HistoryFile(), csv, error) ||
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
