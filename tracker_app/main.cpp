// Entry point of `sorvik-tracker`.
#include <wx/app.h>

#include "tracker_app.h"

wxIMPLEMENT_APP(TrackerApp);
