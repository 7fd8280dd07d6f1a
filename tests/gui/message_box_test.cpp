// A real message box from the worker: a modal window owned by the dialog,
// captioned with the application name, and the worker waits until the user
// has closed it.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/timer.h>

#include "gui_harness.h"
#include "resource.h"
#include "search_run.h"
#include "sorvik_dlg.h"
#include "x11_probe.h"

using namespace gui_test;

TEST(MessageBox, RealBoxIsModalToTheDialogAndTheWorkerWaitsForIt) {
    TempWorkDir dir;
    Recorder recorder;
    sorvik_app::DialogSeams seams = recorder.Seams();
    seams.messageBox = sorvik_app::DialogSeams().messageBox;
    CsorvikDlg dlg(nullptr, seams);
    dlg.Show();
    Pump(200);
    X11Probe x;
    ASSERT_TRUE(x.Ok());
    const XWindow main = x.FindShown("Sorvik", getpid());
    ASSERT_NE(main, 0u);

    // The box runs its own modal loop; a timer inspects it from there and
    // then closes it as the user would.
    bool found = false, owned = false, modal = false, workerWaiting = false, startDisabled = false;
    wxTimer poll;
    poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        const XWindow box = x.FindShown(wxTheApp->GetAppName().ToStdString(), getpid());
        if (!box) return;
        poll.Stop();
        found = true;
        owned = x.TransientFor(box) == main;
        modal = x.HasState(box, "_NET_WM_STATE_MODAL");
        workerWaiting = !dlg.Workers()->Idle();
        startDisabled = !dlg.FindWindow(IDC_START)->IsEnabled();
        x.RequestClose(box);
    });
    poll.Start(50);
    // An empty keyword: the worker shows "关键词不能为空" and waits.
    ASSERT_TRUE(Click(dlg, IDC_START));
    const bool ended = PumpUntil(
        [&] { return dlg.FindWindow(IDC_START)->IsEnabled() && dlg.Workers()->Idle(); }, 10000);
    poll.Stop();
    ASSERT_TRUE(ended);
    ASSERT_TRUE(found);
    EXPECT_TRUE(owned);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(workerWaiting);
    EXPECT_TRUE(startDisabled);
}
