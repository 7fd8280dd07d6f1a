// GoogleTest entry for the dialog tests: starts the toolkit on this thread
// (the window thread) with an active event loop, then runs the tests.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>

namespace {

// A failed wx debugging check fails the running test, instead of opening a
// box that nobody is there to close.
void FailTheTest(const wxString& file, int line, const wxString& function,
                 const wxString& condition, const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wx check failed in " << function << ": " << condition << " " << message;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start the toolkit (is DISPLAY set?)\n");
        return 2;
    }
    wxSetAssertHandler(FailTheTest);
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
