// Double-click on the result list: the selected rows' links open in list
// order, up to the first selected row without a link; only web addresses
// are handed to the browser.
#include <gtest/gtest.h>
#include <wx/listctrl.h>

#include "gui_harness.h"
#include "resource.h"
#include "sorvik_dlg.h"

using namespace gui_test;

namespace {

class LinksTest : public testing::Test {
  protected:
    void SetUp() override {
        m_dlg = std::make_unique<CsorvikDlg>(nullptr, m_recorder.Seams());
        m_dlg->Show();
        const char* links[] = {"http://h/item.htm?id=1",
                               "https://h/item.htm?id=2",
                               "file:///etc/passwd",
                               "",
                               "javascript:alert(1)",
                               "HTTP://h/item.htm?id=6",
                               "/home/user/evil.desktop",
                               "http://h/item.htm?id=8",
                               "ftp://h/x",
                               "http://h/item.htm?id=10"};
        int rank = 1;
        for (const char* link : links)
            m_dlg->AppendResultRow({std::to_string(rank++), "t", "s", "p", "n", link});
    }

    void Select(std::initializer_list<long> rows) {
        wxListCtrl* list = Results(*m_dlg);
        for (long i = 0; i < list->GetItemCount(); ++i)
            list->SetItemState(i, 0, wxLIST_STATE_SELECTED);
        for (long row : rows) list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }

    // A double-click on `row`, whatever the selection.
    void DoubleClick(long row) {
        wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, IDC_RESULTS);
        event.SetEventObject(Results(*m_dlg));
        event.m_itemIndex = row;
        Results(*m_dlg)->GetEventHandler()->ProcessEvent(event);
    }

    std::vector<wxString> Opened() { return m_recorder.Links(); }

    Recorder m_recorder;
    std::unique_ptr<CsorvikDlg> m_dlg;
};

}  // namespace

TEST_F(LinksTest, SelectedRowsOpenInListOrderWhateverRowWasClicked) {
    Select({7, 1, 0});
    DoubleClick(7);
    const std::vector<wxString> expected = {"http://h/item.htm?id=1", "https://h/item.htm?id=2",
                                            "http://h/item.htm?id=8"};
    EXPECT_EQ(Opened(), expected);
}

TEST_F(LinksTest, EmptyLinkEndsTheLoopSilently) {
    // Rows 1, 3 and 7 selected, row 3's link empty: only row 1's opens.
    Select({1, 3, 7});
    DoubleClick(1);
    const std::vector<wxString> expected = {"https://h/item.htm?id=2"};
    EXPECT_EQ(Opened(), expected);
}

TEST_F(LinksTest, LinksThatAreNoWebAddressesAreSkippedAndTheLoopGoesOn) {
    Select({2, 4, 5, 6, 8, 9});
    DoubleClick(2);
    const std::vector<wxString> expected = {"HTTP://h/item.htm?id=6", "http://h/item.htm?id=10"};
    EXPECT_EQ(Opened(), expected);
    EXPECT_FALSE(sorvik_app::IsOpenableLink("httpx://h"));
    EXPECT_FALSE(sorvik_app::IsOpenableLink(" http://h"));
    EXPECT_TRUE(sorvik_app::IsOpenableLink("https://"));
}

TEST_F(LinksTest, NoSelectionOrNoRowsOpensNothing) {
    Select({});
    DoubleClick(0);
    EXPECT_TRUE(Opened().empty());
    m_dlg->ClearResults();
    DoubleClick(-1);
    EXPECT_TRUE(Opened().empty());
}

TEST_F(LinksTest, LinkIsReadFromItsColumnEvenAfterOtherColumnsChanged) {
    // The link column is found by its index, not by what stands on screen.
    wxListCtrl* list = Results(*m_dlg);
    list->SetItem(0, 1, "http://wrong/");
    list->SetItem(0, 4, "http://wrong/");
    Select({0});
    DoubleClick(0);
    const std::vector<wxString> expected = {"http://h/item.htm?id=1"};
    EXPECT_EQ(Opened(), expected);
}
