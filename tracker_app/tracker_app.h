// The tracker's application object: opens the tracker window on the data
// folder, unless another window has it open, and runs until the window
// closes.
#pragma once

#include <wx/app.h>

#include <memory>

#include "folder_claim.h"

class TrackerApp : public wxApp {
  public:
    bool OnInit() override;

  private:
    // The data folder, held while the window is open.
    std::unique_ptr<sorvik_tracker::FolderClaim> m_claim;
};

wxDECLARE_APP(TrackerApp);
