// The main dialog (template 102): the search form, Start and Stop, the
// status line and the result list. It owns the search state and carries out
// the window operations the search worker asks for.
#pragma once

#include <wx/dialog.h>
#include <wx/iconbndl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "dialog_seams.h"
#include "search_window.h"

class wxButton;
class wxContextMenuEvent;
class wxListCtrl;
class wxListEvent;
class wxMenu;
class wxTextCtrl;

namespace sorvik_app {

class WindowThreadBridge;

class CsorvikDlg : public wxDialog, public sorvik::SearchWindow {
  public:
    // Builds the dialog and initialises it; shows the About box (through
    // `seams.showAbout`) before the dialog itself is ever shown.
    explicit CsorvikDlg(wxWindow* parent, DialogSeams seams = DialogSeams());
    // Waits for a search worker that still uses the dialog's state.
    ~CsorvikDlg() override;

    // Window operations of the search. Safe to call from the worker: each
    // runs on the window thread while the caller waits. Once the dialog has
    // begun to close they return at once and change nothing.
    void ClearResults() override;
    void SetStatusText(const std::string& gbkText) override;
    void AppendResultRow(const sorvik::ResultRow& row) override;
    void EnableStart() override;
    void ShowMessage(const std::string& gbkText) override;

    // The entries the dialog adds to its window menu: a separator and the
    // About entry (command IDM_ABOUTBOX, string IDS_ABOUTBOX).
    static void AppendAboutEntry(wxMenu& menu);

  protected:
    sorvik::FormTexts ReadFormFields() override;
    std::string ReadStatusLine() override;
    // Runs the whole of `op` on the window thread, so that the Stop button
    // and the worker's stop path never interleave on the status line.
    void RunExclusive(const std::function<void()>& op) override;

  private:
    void DoDataExchange();
    void OnInitDialog();
    void InsertResultColumns();
    void ShowAboutBox();
    void ApplyMode(std::int32_t mode);

    void OnContextMenu(wxContextMenuEvent& event);
    void OnSysCommand(wxCommandEvent& event);
    void OnBnClickedModeKeyword(wxCommandEvent& event);
    void OnBnClickedModeSeller(wxCommandEvent& event);
    void OnBnClickedModeItemLink(wxCommandEvent& event);
    void OnBnClickedStart(wxCommandEvent& event);
    void OnNMDblclkResults(wxListEvent& event);
    void OnBnClickedStop(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnGetDefID(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnResultsKey(wxKeyEvent& event);

    wxIconBundle m_hIcon;
    wxTextCtrl* m_editKeyword = nullptr;
    wxTextCtrl* m_editSeller = nullptr;
    wxTextCtrl* m_editItemLink = nullptr;
    wxTextCtrl* m_editStatus = nullptr;
    wxListCtrl* m_listResults = nullptr;
    wxButton* m_btnStart = nullptr;

    DialogSeams m_seams;
    std::shared_ptr<WindowThreadBridge> m_bridge;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace sorvik_app
