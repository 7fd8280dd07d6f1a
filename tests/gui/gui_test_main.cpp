// GoogleTest entry for the dialog tests: starts the toolkit on this thread
// (the window thread) with an active event loop, then runs the tests.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start the toolkit (is DISPLAY set?)\n");
        return 2;
    }
    wxTheApp->SetExitOnFrameDelete(false);
    wxInitAllImageHandlers();
    int result;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = RUN_ALL_TESTS();
    }
    wxEntryCleanup();
    return result;
}
