#include "tracker_app.h"

#include <wx/image.h>

#include "data_folder.h"
#include "folder_claim.h"
#include "toolkit_language.h"
#include "tracker_frame.h"
#include "window_title_charset.h"

bool TrackerApp::OnInit() {
    wxInitAllImageHandlers();
    SetAppName("sorvik-tracker");
    sorvik_ui::UseUtf8Characters();
    sorvik_ui::LoadToolkitTexts();
    auto* frame = sorvik_tracker::OpenTrackerWindow(sorvik_tracker::TrackerDataFolder(),
                                                    sorvik_tracker::TrackerSeams(), m_claim);
    // Another window has the data folder open, and was named in a message.
    if (!frame) return false;
    frame->Show();
    SetTopWindow(frame);
    return true;
}
