// Takes the picture of the dialog used in the documentation: a seller search
// against the demo marketplace, found on page 2, shown as the user sees it
// when the search has ended. Run under an X server:
//   xvfb-run -a -s "-screen 0 1280x1024x24" sorvik_screenshot docs/sorvik.png
#include <unistd.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/textctrl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "gui_harness.h"
#include "resource.h"
#include "search_run.h"
#include "sorvik_dlg.h"
#include "x11_probe.h"

using namespace gui_test;

namespace {

int TakePicture(const std::string& output) {
    DemoMarket demo({"--items", "120"});
    if (!demo.Running()) return 1;
    const auto catalog = demo.Catalog(120);
    // The first seller whose first item stands on page 2.
    std::set<std::string> earlier;
    std::string seller;
    for (std::size_t i = 0; i < catalog.size() && seller.empty(); ++i) {
        std::string listed;  // as the list shows it: without blanks
        for (char c : catalog[i][3])
            if (c != ' ') listed += c;
        if (i >= 40 && !earlier.count(listed)) seller = listed;
        earlier.insert(listed);
    }

    TempWorkDir dir;
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    ChooseRadio(dlg, IDC_MODE_SELLER);
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    Edit(dlg, IDC_SELLER)->ChangeValue(U(seller.c_str()));
    Click(dlg, IDC_START);
    if (!PumpUntil([&] { return dlg.FindWindow(IDC_START)->IsEnabled() && dlg.Workers()->Idle(); },
                   60000))
        return 1;
    Pump(500);

    X11Probe x;
    const XWindow window = x.FindShown("Sorvik", getpid());
    if (!window) return 1;
    const std::string command = "import -window " + std::to_string(window) + " '" + output + "'";
    return std::system(command.c_str()) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    const std::string output = std::filesystem::absolute(argv[1]).string();
    int one = 1;
    char* name[] = {argv[0], nullptr};
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(one, name)) return 2;
    wxInitAllImageHandlers();
    int result;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = TakePicture(output);
    }
    wxEntryCleanup();
    return result;
}
