// Start-up: the About box first, then the dialog in its initial state, with
// the layout, list columns, icon, window menu entry and version data.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "app_icon.h"
#include "dialog_template.h"
#include "gui_harness.h"
#include "resource.h"
#include "sorvik_dlg.h"

using namespace gui_test;

namespace {

bool Checked(wxWindow& dlg, int id) {
    return wxStaticCast(dlg.FindWindow(id), wxRadioButton)->GetValue();
}

}  // namespace

TEST(Startup, AboutBoxComesFirstThenKeywordModeWithEmptyForm) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());

    EXPECT_EQ(recorder.AboutShown(), 1);
    EXPECT_FALSE(recorder.MainShownDuringAbout());
    EXPECT_FALSE(dlg.IsShown());
    EXPECT_EQ(recorder.AboutTitle(), U("关于 Sorvik"));
    const std::vector<wxString> expectedAbout = {
        U("Sorvik v2.1版"), U("注意事项："),
        U("1.本软件是免费软件，若出现失效的情况，请下载最新版"),
        U("2.为了更好的升级和维护本软件，请购买本软件的升级和维护服务"), U("")};
    EXPECT_EQ(recorder.AboutTexts(), expectedAbout);

    EXPECT_EQ(dlg.GetTitle(), "Sorvik");
    EXPECT_TRUE(Checked(dlg, IDC_MODE_KEYWORD));
    EXPECT_FALSE(Checked(dlg, IDC_MODE_SELLER));
    EXPECT_FALSE(Checked(dlg, IDC_MODE_ITEMLINK));
    EXPECT_EQ(dlg.State().m_searchMode.load(), 1);
    EXPECT_TRUE(Edit(dlg, IDC_KEYWORD)->IsEnabled());
    EXPECT_FALSE(Edit(dlg, IDC_SELLER)->IsEnabled());
    EXPECT_FALSE(Edit(dlg, IDC_ITEMLINK)->IsEnabled());
    EXPECT_TRUE(Edit(dlg, IDC_STATUS)->IsEnabled());
    EXPECT_TRUE(Edit(dlg, IDC_STATUS)->GetValue().empty());
    EXPECT_TRUE(dlg.FindWindow(IDC_START)->IsEnabled());
    EXPECT_TRUE(dlg.FindWindow(IDC_STOP)->IsEnabled());
    EXPECT_EQ(Results(dlg)->GetItemCount(), 0);

    const sorvik::SearchState& state = dlg.State();
    EXPECT_EQ(state.m_fetchFile, "data.html");
    EXPECT_EQ(state.m_cleanFile, "data_backup.html");
    EXPECT_TRUE(state.m_keyword.empty() && state.m_sellerName.empty() && state.m_itemLink.empty());
    EXPECT_TRUE(state.m_statusText.empty() && state.m_searchUrl.empty());
    EXPECT_FALSE(state.m_stopRequested.load());
    EXPECT_EQ(state.m_pageNumber, 0);

    dlg.Show();
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() != nullptr; }, 2000));
    EXPECT_EQ(wxWindow::FindFocus(), Edit(dlg, IDC_KEYWORD));
}

TEST(Startup, ResultListHasSixColumnsWithCaptionsAlignmentsAndWidths) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    wxListCtrl* list = Results(dlg);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->InReportView());
    EXPECT_TRUE(list->HasFlag(wxLC_HRULES) && list->HasFlag(wxLC_VRULES));
    EXPECT_FALSE(list->HasFlag(wxLC_SINGLE_SEL));

    struct Column {
        const char* caption;
        wxListColumnFormat format;
        int width;
    };
    const Column expected[] = {
        {"排名", wxLIST_FORMAT_CENTRE, 50},  {"宝贝名", wxLIST_FORMAT_LEFT, 400},
        {"用户名", wxLIST_FORMAT_LEFT, 100}, {"价格", wxLIST_FORMAT_LEFT, 120},
        {"成交量", wxLIST_FORMAT_LEFT, 150}, {"宝贝链接", wxLIST_FORMAT_LEFT, 50}};
    ASSERT_EQ(list->GetColumnCount(), 6);
    for (int i = 0; i < 6; ++i) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT | wxLIST_MASK_WIDTH);
        ASSERT_TRUE(list->GetColumn(i, column));
        EXPECT_EQ(column.GetText(), U(expected[i].caption)) << "column " << i;
        EXPECT_EQ(column.GetAlign(), expected[i].format) << "column " << i;
        EXPECT_EQ(list->GetColumnWidth(i), expected[i].width) << "column " << i;
    }
}

TEST(Startup, ControlsStandWhereTheLayoutPutsThemInTabOrder) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());

    // Positions and sizes in dialog units, from the dialog's layout.
    struct Placement {
        int id;
        int x, y, width, height;
    };
    const Placement expected[] = {
        {IDC_MODE_KEYWORD, 26, 21, 37, 10},  {IDC_MODE_SELLER, 26, 34, 62, 10},
        {IDC_MODE_ITEMLINK, 26, 47, 69, 10}, {IDC_KEYWORD, 146, 17, 229, 14},
        {IDC_SELLER, 146, 34, 229, 14},      {IDC_ITEMLINK, 146, 50, 229, 14},
        {IDC_STATUS, 54, 80, 446, 14},       {IDC_START, 411, 22, 50, 14},
        {IDC_RESULTS, 7, 102, 493, 188},     {IDC_STOP, 411, 41, 50, 14},
    };
    // One set of units for every control and the client area: Windows' own
    // for the dialog font (wx converts as Windows does), or wider.
    const sorvik_app::DialogUnits units = sorvik_app::UnitsOf(dlg);
    for (const Placement& p : expected) {
        wxWindow* control = dlg.FindWindow(p.id);
        ASSERT_NE(control, nullptr) << p.id;
        EXPECT_EQ(control->GetPosition(), units.ToPixels(wxPoint(p.x, p.y))) << p.id;
        EXPECT_EQ(control->GetSize(), units.ToPixels(wxSize(p.width, p.height))) << p.id;
    }
    EXPECT_EQ(dlg.GetClientSize(), units.ToPixels(wxSize(507, 297)));
    const wxSize windowsUnits = dlg.ConvertDialogToPixels(wxSize(400, 800));
    EXPECT_GE(units.ToPixels(wxSize(400, 800)).x, windowsUnits.x);
    EXPECT_GE(units.ToPixels(wxSize(400, 800)).y, windowsUnits.y);

    // The template's font, 9 points of "MS Shell Dlg" where the system has
    // it, else of the system's UI font.
    EXPECT_EQ(dlg.GetFont().GetPointSize(), 9);
    EXPECT_EQ(dlg.GetFont().GetFaceName(),
              sorvik_app::SystemHasFace("MS Shell Dlg")
                  ? wxString("MS Shell Dlg")
                  : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName());

    // Fixed size, minimise box, no maximise box.
    EXPECT_EQ(dlg.GetMinSize(), dlg.GetSize());
    EXPECT_EQ(dlg.GetMaxSize(), dlg.GetSize());
    EXPECT_TRUE(dlg.HasFlag(wxMINIMIZE_BOX));
    EXPECT_FALSE(dlg.HasFlag(wxMAXIMIZE_BOX));
    EXPECT_FALSE(dlg.HasFlag(wxRESIZE_BORDER));

    // Creation order is the tab order.
    std::vector<int> order;
    for (wxWindow* child : dlg.GetChildren())
        if (child->GetId() >= IDC_MODE_KEYWORD && child->GetId() <= IDC_STOP)
            order.push_back(child->GetId());
    const std::vector<int> expectedOrder = {
        IDC_MODE_KEYWORD, IDC_MODE_SELLER, IDC_MODE_ITEMLINK, IDC_KEYWORD, IDC_SELLER,
        IDC_ITEMLINK,     IDC_STATUS,      IDC_START,         IDC_RESULTS, IDC_STOP};
    EXPECT_EQ(order, expectedOrder);
    // No default button.
    EXPECT_EQ(dlg.GetDefaultItem(), nullptr);
    // Radio buttons are no tab stops; the fields are.
    EXPECT_FALSE(dlg.FindWindow(IDC_MODE_SELLER)->AcceptsFocusFromKeyboard());
    EXPECT_TRUE(dlg.FindWindow(IDC_KEYWORD)->AcceptsFocusFromKeyboard());
}

TEST(Startup, WindowMenuEntryOpensTheAboutBoxAgain) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    wxMenu menu;
    CsorvikDlg::AppendAboutEntry(menu);
    ASSERT_EQ(menu.GetMenuItemCount(), 2u);
    EXPECT_TRUE(menu.FindItemByPosition(0)->IsSeparator());
    EXPECT_EQ(menu.FindItemByPosition(1)->GetId(), IDM_ABOUTBOX);
    EXPECT_EQ(menu.FindItemByPosition(1)->GetItemLabel(), U("关于 Sorvik(&A)..."));

    dlg.Show();
    Pump(50);
    wxCommandEvent choose(wxEVT_MENU, IDM_ABOUTBOX);
    dlg.GetEventHandler()->ProcessEvent(choose);
    EXPECT_EQ(recorder.AboutShown(), 2);
    EXPECT_TRUE(recorder.MainShownDuringAbout());
    // Other commands are not the About entry.
    wxCommandEvent other(wxEVT_MENU, IDM_ABOUTBOX + 0x20);
    dlg.GetEventHandler()->ProcessEvent(other);
    EXPECT_EQ(recorder.AboutShown(), 2);
}

TEST(Startup, IconHasAllSizesAndVersionDataIsPrinted) {
    const wxIconBundle icon = sorvik_app::LoadAppIcon();
    ASSERT_EQ(icon.GetIconCount(), 4u);
    for (int size : {16, 32, 48, 256}) {
        const wxIcon one = icon.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE);
        EXPECT_TRUE(one.IsOk()) << size;
        EXPECT_EQ(one.GetWidth(), size);
    }
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    EXPECT_EQ(dlg.GetIcons().GetIconCount(), 4u);

    const std::string version = RunCapture({SORVIK_APP, "--version"});
    for (const char* line :
         {"ProductName: Sorvik\n", "ProductVersion: 2.0.0.1\n", "FileVersion: 1.0.0.1\n",
          "FixedFileVersion: 2.0.0.1\n", "FixedProductVersion: 2.0.0.1\n",
          "InternalName: sorvik.exe\n", "OriginalFilename: sorvik.exe\n"})
        EXPECT_NE(version.find(line), std::string::npos) << line << " in\n" << version;
}

TEST(Startup, BackgroundContextMenuCarriesTheAboutEntry) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    Pump(100);
    std::vector<int> ids;
    std::vector<wxString> labels;
    dlg.Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
        if (wxMenu* menu = event.GetMenu())
            for (wxMenuItem* item : menu->GetMenuItems()) {
                ids.push_back(item->IsSeparator() ? -1 : item->GetId());
                labels.push_back(item->GetItemLabel());
            }
        // Choose the entry as the user would: down to it, then Enter.
        dlg.CallAfter([] {
            wxUIActionSimulator keys;
            keys.Char(WXK_DOWN);
            keys.Char(WXK_RETURN);
        });
        event.Skip();
    });
    wxContextMenuEvent click(wxEVT_CONTEXT_MENU, dlg.GetId(), wxDefaultPosition);
    click.SetEventObject(&dlg);
    dlg.GetEventHandler()->ProcessEvent(click);
    Pump(200);
    const std::vector<int> expectedIds = {-1, IDM_ABOUTBOX};
    EXPECT_EQ(ids, expectedIds);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[1], U("关于 Sorvik(&A)..."));
    EXPECT_EQ(recorder.AboutShown(), 2);

    // A field's context menu is the field's own.
    ids.clear();
    wxContextMenuEvent onField(wxEVT_CONTEXT_MENU, IDC_KEYWORD, wxDefaultPosition);
    onField.SetEventObject(dlg.FindWindow(IDC_KEYWORD));
    dlg.GetEventHandler()->ProcessEvent(onField);
    EXPECT_TRUE(ids.empty());
}
