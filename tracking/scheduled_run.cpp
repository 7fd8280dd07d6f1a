#include "scheduled_run.h"

#include <nlohmann/json.hpp>

#include "file_names.h"
#include "local_time.h"
#include "read_file.h"
#include "tracker_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace sorvik {

const char* const kScheduledLockName = ".sorvik-scheduled.lock";
const char* const kLastScheduledRunName = "last-scheduled-run.json";

#ifdef _WIN32

// The lock file opened and locked whole with LockFileEx; the lock ends
// with the handle, also when the process ends.
class ScheduledRunLock::Handle {
  public:
    explicit Handle(const std::string& path) {
        m_file = CreateFileW(PathFromUtf8(path).wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE) {
            m_taken = Taken::NoLockFile;
            return;
        }
        OVERLAPPED whole{};
        if (LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &whole))
            m_taken = Taken::Yes;
        else
            m_taken =
                GetLastError() == ERROR_LOCK_VIOLATION ? Taken::HeldElsewhere : Taken::NoLockFile;
    }
    ~Handle() {
        if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Taken State() const { return m_taken; }

  private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    Taken m_taken = Taken::NoLockFile;
};

#else

// An exclusive flock() on the lock file; it ends with the descriptor, also
// when the process ends or is killed.
class ScheduledRunLock::Handle {
  public:
    explicit Handle(const std::string& path) {
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_taken = Taken::NoLockFile;
            return;
        }
        if (flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            m_taken = Taken::Yes;
        else
            m_taken = errno == EWOULDBLOCK ? Taken::HeldElsewhere : Taken::NoLockFile;
    }
    ~Handle() {
        if (m_fd >= 0) close(m_fd);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Taken State() const { return m_taken; }

  private:
    int m_fd = -1;
    Taken m_taken = Taken::NoLockFile;
};

#endif

ScheduledRunLock::ScheduledRunLock(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}
ScheduledRunLock::~ScheduledRunLock() = default;

std::unique_ptr<ScheduledRunLock> ScheduledRunLock::Take(const std::string& folder, Taken& taken) {
    auto handle = std::make_unique<Handle>(folder + "/" + kScheduledLockName);
    taken = handle->State();
    if (taken != Taken::Yes) return nullptr;
    return std::unique_ptr<ScheduledRunLock>(new ScheduledRunLock(std::move(handle)));
}

void CountOutcomes(const std::vector<CheckOutcome>& outcomes, ScheduledRunRecord& record) {
    record.checked = record.failed = record.stopped = 0;
    for (CheckOutcome outcome : outcomes) {
        switch (outcome) {
            case CheckOutcome::Found:
            case CheckOutcome::NotFound:
            case CheckOutcome::Finished:
            case CheckOutcome::NoItems:
                ++record.checked;
                break;
            case CheckOutcome::Stopped:
                ++record.stopped;
                break;
            default:
                ++record.failed;
        }
    }
}

bool WriteScheduledRunRecord(const std::string& folder, const ScheduledRunRecord& record,
                             std::string& error) {
    const nlohmann::ordered_json json = {{"started", LocalTimestamp(record.started)},
                                         {"ended", LocalTimestamp(record.ended)},
                                         {"exit_status", record.exitStatus},
                                         {"checked", record.checked},
                                         {"failed", record.failed},
                                         {"stopped", record.stopped}};
    return WriteFileWhole(folder + "/" + kLastScheduledRunName, json.dump() + "\n", error);
}

std::optional<ScheduledRunRecord> ReadScheduledRunRecord(const std::string& folder) {
    std::string error;
    const std::optional<std::string> text =
        ReadInputFile(folder + "/" + kLastScheduledRunName, error);
    if (!text) return std::nullopt;
    const nlohmann::json json = nlohmann::json::parse(*text, nullptr, false);
    if (!json.is_object()) return std::nullopt;
    ScheduledRunRecord record;
    const auto time = [&json](const char* key) -> std::optional<std::int64_t> {
        const auto found = json.find(key);
        if (found == json.end() || !found->is_string()) return std::nullopt;
        return ParseTimestamp(found->get<std::string>());
    };
    const auto count = [&json](const char* key) -> std::optional<int> {
        const auto found = json.find(key);
        if (found == json.end() || !found->is_number_integer()) return std::nullopt;
        const long long value = found->get<long long>();
        if (value < 0 || value > 1000000) return std::nullopt;
        return static_cast<int>(value);
    };
    const auto started = time("started"), ended = time("ended");
    const auto status = count("exit_status"), checked = count("checked"), failed = count("failed"),
               stopped = count("stopped");
    if (!started || !ended || !status || !checked || !failed || !stopped) return std::nullopt;
    record.started = *started;
    record.ended = *ended;
    record.exitStatus = *status;
    record.checked = *checked;
    record.failed = *failed;
    record.stopped = *stopped;
    return record;
}

}  // namespace sorvik
