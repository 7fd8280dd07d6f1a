// The application object: sets up the toolkit, runs the main dialog modally
// as the program's only event loop, and ends the process when it closes.
#pragma once

#include <wx/app.h>

class CsorvikApp : public wxApp {
  public:
    // Start-up before the dialog: image formats for the icon, vendor name.
    bool OnInit() override;
    // Creates the main dialog (which shows the About box first), runs it
    // modally and ends the program when it closes.
    int OnRun() override;
};

wxDECLARE_APP(CsorvikApp);
