// The form: mode radio buttons and the field rule, Enter and Escape, a
// rejected form, a worker that cannot start, and Stop while no search runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <wx/app.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <chrono>

#include "gbk_text.h"
#include "gui_harness.h"
#include "resource.h"
#include "search_address.h"
#include "search_run.h"
#include "sorvik_dlg.h"

using namespace gui_test;

namespace {

bool FileExists(const char* name) {
    struct stat info;
    return stat(name, &info) == 0;
}

const char* const kMark = " -> 已停止查询";

}  // namespace

TEST(Form, ModeButtonsFollowTheFieldRuleAndKeepTypedText) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    dlg.Show();

    ChooseRadio(dlg, IDC_MODE_SELLER);
    EXPECT_EQ(dlg.State().m_searchMode.load(), 2);
    EXPECT_TRUE(Edit(dlg, IDC_KEYWORD)->IsEnabled());
    EXPECT_TRUE(Edit(dlg, IDC_SELLER)->IsEnabled());
    EXPECT_FALSE(Edit(dlg, IDC_ITEMLINK)->IsEnabled());
    Edit(dlg, IDC_SELLER)->ChangeValue(U("小美 的店"));

    ChooseRadio(dlg, IDC_MODE_KEYWORD);
    EXPECT_EQ(dlg.State().m_searchMode.load(), 1);
    EXPECT_FALSE(Edit(dlg, IDC_SELLER)->IsEnabled());
    EXPECT_EQ(Edit(dlg, IDC_SELLER)->GetValue(), U("小美 的店"));

    ChooseRadio(dlg, IDC_MODE_ITEMLINK);
    EXPECT_EQ(dlg.State().m_searchMode.load(), 3);
    EXPECT_TRUE(Edit(dlg, IDC_KEYWORD)->IsEnabled());
    EXPECT_FALSE(Edit(dlg, IDC_SELLER)->IsEnabled());
    EXPECT_TRUE(Edit(dlg, IDC_ITEMLINK)->IsEnabled());

    ChooseRadio(dlg, IDC_MODE_SELLER);
    EXPECT_EQ(Edit(dlg, IDC_SELLER)->GetValue(), U("小美 的店"));
    EXPECT_TRUE(Edit(dlg, IDC_SELLER)->IsEnabled());
}

TEST(Form, EnterAndEscapeLeaveTheModalWindowOpen) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    bool stillModal = false;
    bool linksOpened = false;
    sorvik::ResultRow row{"1", "t", "s", "p", "n", "http://127.0.0.1:1/item.htm?id=1"};
    dlg.CallAfter([&] {
        dlg.AppendResultRow(row);
        Results(dlg)->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                   wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        for (int id : {IDC_KEYWORD, IDC_STATUS}) {
            PressKey(*dlg.FindWindow(id), WXK_RETURN);
            PressKey(*dlg.FindWindow(id), WXK_NUMPAD_ENTER);
            PressKey(*dlg.FindWindow(id), WXK_ESCAPE);
        }
        PressKey(*Results(dlg), WXK_RETURN);
        PressKey(*Results(dlg), WXK_ESCAPE);
        // The commands Enter and Escape stand for in a dialog.
        for (int id : {wxID_OK, wxID_CANCEL}) {
            wxCommandEvent command(wxEVT_BUTTON, id);
            dlg.GetEventHandler()->ProcessEvent(command);
        }
        Pump(100);
        stillModal = dlg.IsModal() && dlg.IsShown();
        linksOpened = !recorder.Links().empty();
        if (dlg.IsModal()) dlg.EndModal(wxID_OK);
    });
    dlg.ShowModal();
    EXPECT_TRUE(stillModal);
    EXPECT_FALSE(linksOpened);
}

TEST(Form, EmptyKeywordIsRejectedWithAMessageAndNothingIsFetched) {
    TempWorkDir dir;
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    // Text left in the seller field from mode 2 plays no part in mode 1.
    ChooseRadio(dlg, IDC_MODE_SELLER);
    Edit(dlg, IDC_SELLER)->ChangeValue(U("某店"));
    ChooseRadio(dlg, IDC_MODE_KEYWORD);
    sorvik::ResultRow old{"1", "old", "s", "p", "n", "http://x/"};
    dlg.AppendResultRow(old);
    dlg.SetStatusText("old status");

    ASSERT_TRUE(Click(dlg, IDC_START));
    EXPECT_FALSE(dlg.FindWindow(IDC_START)->IsEnabled());
    ASSERT_TRUE(PumpUntil([&] { return dlg.FindWindow(IDC_START)->IsEnabled(); }, 10000));
    ASSERT_TRUE(dlg.Workers()->WaitUntilIdle(std::chrono::seconds(5)));

    const std::vector<ShownMessage> messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, U("关键词不能为空"));
    EXPECT_EQ(messages[0].caption, wxTheApp->GetAppName());
    EXPECT_EQ(messages[0].caption, "gui_tests");  // the executable's name
    EXPECT_EQ(messages[0].owner, &dlg);
    EXPECT_EQ(Results(dlg)->GetItemCount(), 0);
    EXPECT_TRUE(Edit(dlg, IDC_STATUS)->GetValue().empty());
    EXPECT_EQ(dlg.State().m_sellerName, sorvik::Utf8ToGbk("某店"));
    EXPECT_FALSE(FileExists("data.html"));
    EXPECT_FALSE(FileExists("data_backup.html"));

    // The dialog takes item links in their http form only.
    ChooseRadio(dlg, IDC_MODE_ITEMLINK);
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    Edit(dlg, IDC_ITEMLINK)->ChangeValue("https://" + sorvik::ItemHost() + "/item.htm?id=1");
    ASSERT_TRUE(Click(dlg, IDC_START));
    ASSERT_TRUE(PumpUntil(
        [&] { return dlg.FindWindow(IDC_START)->IsEnabled() && dlg.Workers()->Idle(); }, 10000));
    ASSERT_EQ(recorder.Messages().size(), 2u);
    EXPECT_EQ(recorder.Messages()[1].text.utf8_string(),
              "请输入正确的宝贝链接,如http://" + sorvik::ItemHost() + "/item.htm?id=16421734568");
    EXPECT_FALSE(FileExists("data.html"));

    // A keyword GBK can't carry whole is refused, naming the character.
    ChooseRadio(dlg, IDC_MODE_KEYWORD);
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙😀"));
    ASSERT_TRUE(Click(dlg, IDC_START));
    ASSERT_TRUE(PumpUntil(
        [&] { return dlg.FindWindow(IDC_START)->IsEnabled() && dlg.Workers()->Idle(); }, 10000));
    ASSERT_EQ(recorder.Messages().size(), 3u);
    EXPECT_EQ(recorder.Messages()[2].text, U("关键词中的“U+1F600”无法按 GBK 编码发送，请删去它。"));
    EXPECT_FALSE(FileExists("data.html"));
}

TEST(Form, WorkerThatCannotStartEnablesStartAgainAndSaysSo) {
    Recorder recorder;
    sorvik_app::DialogSeams seams = recorder.Seams();
    bool startDisabledWhenAsked = false;
    seams.startWorker = [&](sorvik::SearchWindow& window) {
        startDisabledWhenAsked =
            !static_cast<CsorvikDlg&>(window).FindWindow(IDC_START)->IsEnabled();
        return false;
    };
    CsorvikDlg dlg(nullptr, seams);
    dlg.Show();
    ASSERT_TRUE(Click(dlg, IDC_START));
    EXPECT_TRUE(startDisabledWhenAsked);
    EXPECT_TRUE(dlg.FindWindow(IDC_START)->IsEnabled());
    const std::vector<ShownMessage> messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, U("无法启动查询线程"));
    EXPECT_EQ(messages[0].owner, &dlg);
}

TEST(Form, StopWhileIdleAddsTheMarkOnceAndKeepsStartEnabled) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    wxTextCtrl* status = Edit(dlg, IDC_STATUS);

    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(Click(dlg, IDC_STOP));
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_GE(took, std::chrono::milliseconds(100));
    EXPECT_TRUE(dlg.State().m_stopRequested.load());
    EXPECT_TRUE(dlg.FindWindow(IDC_START)->IsEnabled());
    EXPECT_EQ(status->GetValue(), U(kMark));

    ASSERT_TRUE(Click(dlg, IDC_STOP));
    EXPECT_EQ(status->GetValue(), U(kMark));

    // Text the user typed stays in front of the mark; a mark in the middle
    // counts as present.
    status->ChangeValue(U("查找进度:3/9 第1页"));
    ASSERT_TRUE(Click(dlg, IDC_STOP));
    EXPECT_EQ(status->GetValue(), U("查找进度:3/9 第1页 -> 已停止查询"));
    status->ChangeValue(U("前 -> 已停止查询 后"));
    ASSERT_TRUE(Click(dlg, IDC_STOP));
    EXPECT_EQ(status->GetValue(), U("前 -> 已停止查询 后"));
}
