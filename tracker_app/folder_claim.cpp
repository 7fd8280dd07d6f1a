#include "folder_claim.h"

#include <filesystem>
#include <system_error>

#include "file_names.h"
#include "tracker_frame.h"

#ifdef _WIN32
#include <wx/snglinst.h>
#include <wx/utils.h>

#include <functional>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace sorvik_tracker {

#ifdef _WIN32

// A named mutex, which a second claim sees even in the same process. Its
// name: the user and the folder's full path, hashed, since a mutex name
// can't hold a backslash.
class FolderClaim::Lock {
  public:
    explicit Lock(const std::string& folder) {
        std::error_code ec;
        std::filesystem::path full =
            std::filesystem::weakly_canonical(sorvik::PathFromUtf8(folder), ec);
        if (ec) full = sorvik::PathFromUtf8(folder);
        const std::size_t hash = std::hash<std::wstring>()(full.wstring());
        const wxString name = wxString::Format("sorvik-tracker-%s-%016llx", wxGetUserId(),
                                               static_cast<unsigned long long>(hash));
        if (m_checker.Create(name))
            m_held = !m_checker.IsAnotherRunning();
        else
            m_held = true;  // no mutex: the window opens all the same
    }
    bool Held() const { return m_held; }

  private:
    wxSingleInstanceChecker m_checker;
    bool m_held = false;
};

#else

// An exclusive flock() on a lock file in the folder itself: it names the
// folder whatever path leads there, a second open of the file conflicts
// with it even in the same process, and it ends with the process.
class FolderClaim::Lock {
  public:
    explicit Lock(const std::string& folder) {
        std::error_code ec;
        std::filesystem::create_directories(sorvik::PathFromUtf8(folder), ec);
        m_fd = open((folder + "/" + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        // No lock file (a folder that can't be written): the window opens
        // and says what it can't do there.
        if (m_fd < 0) {
            m_held = true;
            return;
        }
        // Only another holder refuses the claim; a file system that can't
        // lock files at all is no reason to keep the window closed.
        m_held = flock(m_fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
    }
    ~Lock() {
        if (m_fd >= 0) close(m_fd);
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    bool Held() const { return m_held; }

  private:
    static constexpr const char* kLockName = ".sorvik-tracker.lock";
    int m_fd = -1;
    bool m_held = false;
};

#endif

FolderClaim::FolderClaim(std::unique_ptr<Lock> lock) : m_lock(std::move(lock)) {}
FolderClaim::~FolderClaim() = default;

std::unique_ptr<FolderClaim> FolderClaim::Take(const std::string& folder) {
    auto lock = std::make_unique<Lock>(folder);
    if (!lock->Held()) return nullptr;
    return std::unique_ptr<FolderClaim>(new FolderClaim(std::move(lock)));
}

TrackerFrame* OpenTrackerWindow(const std::string& folder, const TrackerSeams& seams,
                                std::unique_ptr<FolderClaim>& claim) {
    claim = FolderClaim::Take(folder);
    if (!claim) {
        seams.message(wxString::FromUTF8("排名跟踪已在另一个窗口中打开了数据文件夹 " + folder +
                                         "。\n请使用那个窗口；同一个列表只能在一个窗口中修改。"),
                      nullptr);
        return nullptr;
    }
    return new TrackerFrame(folder, seams);
}

}  // namespace sorvik_tracker
