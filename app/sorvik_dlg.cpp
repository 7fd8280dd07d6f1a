#include "sorvik_dlg.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#ifdef __WXMSW__
#include <wx/msw/private.h>
#endif

#include <chrono>
#include <cstdlib>
#include <thread>

#include "about_dlg.h"
#include "app_icon.h"
#include "dialog_template.h"
#include "gbk_text.h"
#include "resource.h"
#include "search_run.h"
#include "window_thread_bridge.h"

using sorvik_app::WindowThreadBridge;

namespace {

struct ColumnLayout {
    const char* caption;
    wxListColumnFormat format;
    int width;  // pixels
};

const ColumnLayout kColumns[] = {
    {"排名", wxLIST_FORMAT_CENTRE, 50},  {"宝贝名", wxLIST_FORMAT_LEFT, 400},
    {"用户名", wxLIST_FORMAT_LEFT, 100}, {"价格", wxLIST_FORMAT_LEFT, 120},
    {"成交量", wxLIST_FORMAT_LEFT, 150}, {"宝贝链接", wxLIST_FORMAT_LEFT, 50},
};

// Column of the item link; a double-click opens what it holds.
constexpr int kLinkColumn = 5;

// Shown when no worker thread can be started.
const char* const kCannotStartWorker = "无法启动查询线程";

wxString FromGbk(const std::string& gbk) {
    return wxString::FromUTF8(sorvik::GbkToUtf8(gbk));
}

std::string Utf8Of(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

std::string ToGbk(const wxString& text) {
    return sorvik::Utf8ToGbk(Utf8Of(text));
}

// The list index a row of the given rank goes to: rank - 1, or the end of the
// list when the rank text is no number from 1 to count + 1.
long RowIndexForRank(const std::string& rank, long count) {
    char* end = nullptr;
    const long value = std::strtol(rank.c_str(), &end, 10);
    if (rank.empty() || end == rank.c_str() || *end != '\0') return count;
    if (value < 1 || value - 1 > count) return count;
    return value - 1;
}

// The About entry's text: string 101 of the program's resources on Windows,
// the same text built into the program elsewhere.
wxString AboutEntryText() {
#ifdef __WXMSW__
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW points at the resource's own text.
    const int length =
        ::LoadStringW(wxGetInstance(), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? wxString(text, static_cast<std::size_t>(length)) : wxString();
#else
    return wxString::FromUTF8(IDS_ABOUTBOX_TEXT);
#endif
}

}  // namespace

// clang-format off
namespace sorvik_app {

wxBEGIN_EVENT_TABLE(CsorvikDlg, wxDialog)
#ifndef __WXMSW__
    // GTK has no window menu of the program's own; the background's context
    // menu carries its entries instead.
    EVT_CONTEXT_MENU(CsorvikDlg::OnContextMenu)
#endif
    EVT_MENU(IDM_ABOUTBOX, CsorvikDlg::OnSysCommand)
    // Painting, also of the minimised window's icon, is the toolkit's.
    EVT_RADIOBUTTON(IDC_MODE_KEYWORD, CsorvikDlg::OnBnClickedModeKeyword)
    EVT_RADIOBUTTON(IDC_MODE_SELLER, CsorvikDlg::OnBnClickedModeSeller)
    EVT_RADIOBUTTON(IDC_MODE_ITEMLINK, CsorvikDlg::OnBnClickedModeItemLink)
    EVT_BUTTON(IDC_START, CsorvikDlg::OnBnClickedStart)
    EVT_LIST_ITEM_ACTIVATED(IDC_RESULTS, CsorvikDlg::OnNMDblclkResults)
    EVT_BUTTON(IDC_STOP, CsorvikDlg::OnBnClickedStop)
    EVT_CLOSE(CsorvikDlg::OnClose)
    EVT_BUTTON(wxID_OK, CsorvikDlg::OnGetDefID)
    EVT_BUTTON(wxID_CANCEL, CsorvikDlg::OnCancel)
wxEND_EVENT_TABLE();
// clang-format on

CsorvikDlg::CsorvikDlg(wxWindow* parent, sorvik_app::DialogSeams seams)
    : m_hIcon(sorvik_app::LoadAppIcon()),
      m_seams(std::move(seams)),
      m_bridge(WindowThreadBridge::Create(*this)) {
    const sorvik_app::DialogTemplate& layout = sorvik_app::MainDialogTemplate();
    Create(parent, layout.resourceId, wxString::FromUTF8(layout.caption), wxDefaultPosition,
           wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX);
    sorvik_app::BuildFromTemplate(this, layout, m_hIcon);
    // Fixed size: no sizing border and no maximise box.
    SetSizeHints(GetSize(), GetSize());
    // Escape and Enter press no button of this dialog.
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);
    Centre();
    OnInitDialog();
}

CsorvikDlg::~CsorvikDlg() {
    State().m_stopRequested = true;
    m_bridge->Close();
    // A worker uses the dialog's state to its last step; the application ends
    // the process before destroying a dialog whose worker still runs, so this
    // wait only guards other owners of the dialog.
    while (!Workers()->WaitUntilIdle(std::chrono::seconds(1))) {
    }
}

void CsorvikDlg::DoDataExchange() {
    m_editKeyword = wxStaticCast(FindWindow(IDC_KEYWORD), wxTextCtrl);
    m_editSeller = wxStaticCast(FindWindow(IDC_SELLER), wxTextCtrl);
    m_editItemLink = wxStaticCast(FindWindow(IDC_ITEMLINK), wxTextCtrl);
    m_editStatus = wxStaticCast(FindWindow(IDC_STATUS), wxTextCtrl);
    m_listResults = wxStaticCast(FindWindow(IDC_RESULTS), wxListCtrl);
    m_btnStart = wxStaticCast(FindWindow(IDC_START), wxButton);
}

void CsorvikDlg::OnInitDialog() {
    DoDataExchange();
    // Enter in the result list activates no row: the Enter key is inert in
    // the whole dialog, and links open by double-click only.
    m_listResults->Bind(wxEVT_KEY_DOWN, &CsorvikDlg::OnResultsKey, this);
    m_listResults->Bind(wxEVT_CHAR, &CsorvikDlg::OnResultsKey, this);

#ifdef __WXMSW__
    if (wxMenu* systemMenu = MSWGetSystemMenu()) AppendAboutEntry(*systemMenu);
#endif

    SetIcons(m_hIcon);

    wxStaticCast(FindWindow(IDC_MODE_KEYWORD), wxRadioButton)->SetValue(true);
    ApplyMode(sorvik::kModeKeyword);

#ifdef __WXMSW__
    // Grid lines, header drag-and-drop, full-row selection, flat scroll bars.
    ::SendMessage(m_listResults->GetHWND(), 0x1036 /* LVM_SETEXTENDEDLISTVIEWSTYLE */, 0, 0x131);
#endif
    InsertResultColumns();

    sorvik::SearchState& state = State();
    for (std::string* text :
         {&state.m_keyword, &state.m_sellerName, &state.m_itemLink, &state.m_rankText,
          &state.m_itemTitle, &state.m_itemHref, &state.m_itemSeller, &state.m_itemPrice,
          &state.m_itemSales, &state.m_statusText, &state.m_pageText, &state.m_searchUrl})
        text->clear();
    state.m_fetchFile = "data.html";
    state.m_cleanFile = "data_backup.html";
    state.m_stopRequested = false;
    state.m_pageNumber = 0;

    // The About box comes first, while the dialog is not yet shown.
    ShowAboutBox();

    SetTitle("Sorvik");
    m_editKeyword->SetFocus();
}

void CsorvikDlg::InsertResultColumns() {
    const int count = static_cast<int>(sizeof(kColumns) / sizeof(kColumns[0]));
    for (int i = 0; i < count; ++i)
        m_listResults->InsertColumn(i, wxString::FromUTF8(kColumns[i].caption), kColumns[i].format);
    for (int i = 0; i < count; ++i) m_listResults->SetColumnWidth(i, kColumns[i].width);
}

void CsorvikDlg::AppendAboutEntry(wxMenu& menu) {
    const wxString text = AboutEntryText();
    if (text.empty()) return;
    menu.AppendSeparator();
    menu.Append(IDM_ABOUTBOX, text);
}

void CsorvikDlg::ShowAboutBox() {
    CAboutDlg about(this, m_hIcon);
    m_seams.showAbout(about);
}

void CsorvikDlg::ApplyMode(std::int32_t mode) {
    State().m_searchMode = mode;
    m_editKeyword->Enable();
    m_editSeller->Enable();
    m_editItemLink->Enable();
    if (mode != sorvik::kModeSeller) m_editSeller->Disable();
    if (mode != sorvik::kModeItemLink) m_editItemLink->Disable();
}

// --- Handlers ---

void CsorvikDlg::OnContextMenu(wxContextMenuEvent& event) {
    // Only the background and the static parts of the dialog stand for the
    // window itself; fields and the list keep their own menus.
    wxObject* source = event.GetEventObject();
    if (source != this && !dynamic_cast<wxStaticBox*>(source) &&
        !dynamic_cast<wxStaticText*>(source)) {
        event.Skip();
        return;
    }
    wxMenu menu;
    AppendAboutEntry(menu);
    PopupMenu(&menu);
}

void CsorvikDlg::OnSysCommand(wxCommandEvent& event) {
    if ((event.GetId() & 0xFFF0) == IDM_ABOUTBOX)
        ShowAboutBox();
    else
        event.Skip();
}

void CsorvikDlg::OnBnClickedModeKeyword(wxCommandEvent&) {
    ApplyMode(sorvik::kModeKeyword);
}
void CsorvikDlg::OnBnClickedModeSeller(wxCommandEvent&) {
    ApplyMode(sorvik::kModeSeller);
}
void CsorvikDlg::OnBnClickedModeItemLink(wxCommandEvent&) {
    ApplyMode(sorvik::kModeItemLink);
}

void CsorvikDlg::OnBnClickedStart(wxCommandEvent&) {
    // One run waiting behind a stopping worker is the most there ever is.
    if (Workers()->RunQueued()) return;
    m_btnStart->Disable();
    // Everything else of a search, from reading the form on, is the
    // worker's. A worker started while an earlier one still ends waits for
    // it by itself, so the window thread never blocks here.
    if (!m_seams.startWorker(*this)) {
        ShowMessage(sorvik::Utf8ToGbk(kCannotStartWorker));
        EnableStart();
    }
}

void CsorvikDlg::OnNMDblclkResults(wxListEvent&) {
    // The selection decides, not the row under the mouse: every selected
    // row's link opens, in list order, up to the first selected row without
    // a link. Page content is untrusted, so only web addresses are handed on.
    for (long i = 0; i < m_listResults->GetItemCount(); ++i) {
        if (!(m_listResults->GetItemState(i, wxLIST_STATE_SELECTED) & wxLIST_STATE_SELECTED))
            continue;
        const wxString link = m_listResults->GetItemText(i, kLinkColumn);
        if (link.empty()) return;
        if (sorvik_app::IsOpenableLink(link)) m_seams.openLink(link);
    }
}

void CsorvikDlg::OnBnClickedStop(wxCommandEvent&) {
    // A search started while the previous worker still ends, and still
    // waiting for it, is cancelled too: it never begins, so it can't clear
    // this stop.
    RequestStop();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EnableStartUnlessQueued();
    AppendStoppedMark();
}

void CsorvikDlg::OnClose(wxCloseEvent&) {
    State().m_stopRequested = true;
    // From here on the worker's window operations return at once, so it can
    // run to its end without the window; whatever it still does (a download
    // cannot be interrupted) ends with the process.
    m_bridge->Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (IsModal())
        EndModal(-1);
    else
        Hide();
}

void CsorvikDlg::OnGetDefID(wxCommandEvent&) {
    // The dialog has no default button: Enter presses nothing.
}

void CsorvikDlg::OnCancel(wxCommandEvent&) {
    // The cancel command (Escape) does not end the dialog; only closing does.
}

void CsorvikDlg::OnResultsKey(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) return;
    event.Skip();
}

// --- Window operations ---

void CsorvikDlg::ClearResults() {
    m_bridge->Run([this] { m_listResults->DeleteAllItems(); });
}

void CsorvikDlg::SetStatusText(const std::string& gbkText) {
    const std::string utf8 = sorvik::GbkToUtf8(gbkText);
    m_bridge->Run([this, &utf8] { m_editStatus->ChangeValue(wxString::FromUTF8(utf8)); });
}

void CsorvikDlg::AppendResultRow(const sorvik::ResultRow& row) {
    m_bridge->Run([this, &row] {
        const long count = m_listResults->GetItemCount();
        const long index =
            m_listResults->InsertItem(RowIndexForRank(row.rank, count), FromGbk(row.rank));
        if (index < 0) return;
        m_listResults->SetItem(index, 1, FromGbk(row.title));
        m_listResults->SetItem(index, 2, FromGbk(row.seller));
        m_listResults->SetItem(index, 3, FromGbk(row.price));
        m_listResults->SetItem(index, 4, FromGbk(row.sales));
        m_listResults->SetItem(index, kLinkColumn, FromGbk(row.link));
        const long rows = m_listResults->GetItemCount();
        if (rows > 0) m_listResults->EnsureVisible(rows - 1);
    });
}

void CsorvikDlg::EnableStart() {
    m_bridge->Run([this] { m_btnStart->Enable(); });
}

void CsorvikDlg::ShowMessage(const std::string& gbkText) {
    const std::string utf8 = sorvik::GbkToUtf8(gbkText);
    m_bridge->Run([this, &utf8] {
        m_seams.messageBox(wxString::FromUTF8(utf8), sorvik_app::ApplicationName(), this);
    });
}

sorvik::FormTexts CsorvikDlg::ReadFormFields() {
    sorvik::FormTexts form;
    m_bridge->Run([this, &form] {
        form = sorvik::GbkForm(Utf8Of(m_editKeyword->GetValue()), Utf8Of(m_editSeller->GetValue()),
                               Utf8Of(m_editItemLink->GetValue()));
    });
    return form;
}

std::string CsorvikDlg::ReadStatusLine() {
    std::string text;
    m_bridge->Run([this, &text] { text = ToGbk(m_editStatus->GetValue()); });
    return text;
}

void CsorvikDlg::RunExclusive(const std::function<void()>& op) {
    m_bridge->Run(op);
}

}  // namespace sorvik_app
