#include "tracker_app.h"

#include <wx/image.h>

#include "data_folder.h"
#include "tracker_frame.h"

bool TrackerApp::OnInit() {
    wxInitAllImageHandlers();
    SetAppName("sorvik-tracker");
    auto* frame = new sorvik_tracker::TrackerFrame(sorvik_tracker::TrackerDataFolder());
    frame->Show();
    SetTopWindow(frame);
    return true;
}
