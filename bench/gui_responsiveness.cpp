// Responsiveness of the dialog's window thread:
//  1. While a whole search runs against the demo marketplace, the delay of a
//     10 ms timer on the window thread, as percentiles (target: p99 < 50 ms).
//  2. 4,000 rows appended one by one from a worker thread, as a search
//     appends them: window-thread CPU time and wall time (target: CPU < 2 s).
// Run under an X server:  xvfb-run -a bench/gui_responsiveness
// Exit status 0 when both targets are met, 1 otherwise.
#include <sys/resource.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench_stats.h"
#include "gui_harness.h"
#include "resource.h"
#include "search_run.h"
#include "sorvik_dlg.h"

using namespace gui_test;
using Clock = std::chrono::steady_clock;

namespace {

double ThreadCpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Timer delays (ms) on the window thread during one search of `items` items.
bool MeasureTimerDelays(int items, std::vector<double>& delays, int& rows) {
    DemoMarket demo({"--items", std::to_string(items)});
    if (!demo.Running()) return false;
    TempWorkDir dir;
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    wxStaticCast(dlg.FindWindow(IDC_KEYWORD), wxTextCtrl)->ChangeValue("dress");

    constexpr int kPeriodMs = 10;
    wxTimer timer;
    Clock::time_point armed;
    bool started = false;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        const double late =
            std::chrono::duration<double, std::milli>(Clock::now() - armed).count() - kPeriodMs;
        if (started) delays.push_back(std::max(0.0, late));
        const bool ended =
            started && dlg.FindWindow(IDC_START)->IsEnabled() && dlg.Workers()->Idle();
        if (ended) {
            dlg.EndModal(0);
            return;
        }
        armed = Clock::now();
        timer.StartOnce(kPeriodMs);
    });
    dlg.CallAfter([&] {
        Click(dlg, IDC_START);
        started = true;
        armed = Clock::now();
        timer.StartOnce(kPeriodMs);
    });
    dlg.ShowModal();
    rows = Results(dlg)->GetItemCount();
    return true;
}

// Appends `count` rows from a worker; returns window-thread CPU and wall time.
void MeasureAppends(int count, double& cpuSeconds, double& wallSeconds) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    std::atomic<bool> done{false};
    double cpuBefore = 0;
    Clock::time_point wallBefore;
    std::thread worker;
    dlg.CallAfter([&] {
        cpuBefore = ThreadCpuSeconds();
        wallBefore = Clock::now();
        worker = std::thread([&] {
            for (int rank = 1; rank <= count; ++rank) {
                const std::string r = std::to_string(rank);
                dlg.AppendResultRow({r, "\xC1\xAC\xD2\xC2\xC8\xB9 item " + r, "shop" + r,
                                     "\xA3\xA4"
                                     "128.00",
                                     "35", "http://127.0.0.1/item.htm?id=" + r});
            }
            done = true;
        });
        wxTimer* poll = new wxTimer();
        poll->Bind(wxEVT_TIMER, [&, poll](wxTimerEvent&) {
            if (!done) return;
            poll->Stop();
            cpuSeconds = ThreadCpuSeconds() - cpuBefore;
            wallSeconds = std::chrono::duration<double>(Clock::now() - wallBefore).count();
            dlg.EndModal(0);
        });
        poll->Start(5);
    });
    dlg.ShowModal();
    worker.join();
}

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start the toolkit (is DISPLAY set?)\n");
        return 2;
    }
    wxInitAllImageHandlers();
    bool met = true;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);

        std::vector<double> delays;
        int rows = 0;
        if (!MeasureTimerDelays(400, delays, rows)) {
            std::fprintf(stderr, "the demo marketplace did not start\n");
            return 2;
        }
        const double p50 = Percentile(delays, 0.50), p99 = Percentile(delays, 0.99);
        const double worst = delays.empty() ? 0 : *std::max_element(delays.begin(), delays.end());
        std::printf(
            "timer delay during a search of %d rows: %zu samples, p50 %.2f ms, "
            "p99 %.2f ms, max %.2f ms (target p99 < 50 ms)\n",
            rows, delays.size(), p50, p99, worst);
        met = met && rows == 400 && p99 < 50.0;

        double cpu = 0, wall = 0;
        MeasureAppends(4000, cpu, wall);
        std::printf(
            "4000 rows appended one by one: window thread CPU %.3f s, wall %.3f s "
            "(target CPU < 2 s)\n",
            cpu, wall);
        met = met && cpu < 2.0;
    }
    wxEntryCleanup();
    std::printf("%s\n", met ? "targets met" : "TARGETS MISSED");
    return met ? 0 : 1;
}
