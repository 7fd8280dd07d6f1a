// The tracker's application object: opens the tracker window on the data
// folder and runs until the window closes.
#pragma once

#include <wx/app.h>

class TrackerApp : public wxApp {
  public:
    bool OnInit() override;
};

wxDECLARE_APP(TrackerApp);
