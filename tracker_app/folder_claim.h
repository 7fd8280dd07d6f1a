// One tracker window per data folder: two windows on one list would each
// save their own lines over the other's.
#pragma once

#include <memory>
#include <string>

#include "tracker_seams.h"

namespace sorvik_tracker {

class TrackerFrame;

// A data folder taken by a tracker window, for as long as this lives. The
// same folder named by another path (a link) is the same folder.
class FolderClaim {
  public:
    // The claim of `folder` (UTF-8); null when another tracker window, in
    // this process or another, holds it. A claim that can't be checked (no
    // place for its lock) is granted, so that the window still opens.
    static std::unique_ptr<FolderClaim> Take(const std::string& folder);
    ~FolderClaim();
    FolderClaim(const FolderClaim&) = delete;
    FolderClaim& operator=(const FolderClaim&) = delete;

  private:
    class Lock;  // the system's lock, one kind per platform
    explicit FolderClaim(std::unique_ptr<Lock> lock);
    std::unique_ptr<Lock> m_lock;
};

// Opens the tracker window on `folder` and hands its claim to `claim`; when
// another tracker has the folder open, says so through `seams` and returns
// null.
TrackerFrame* OpenTrackerWindow(const std::string& folder, const TrackerSeams& seams,
                                std::unique_ptr<FolderClaim>& claim);

}  // namespace sorvik_tracker
