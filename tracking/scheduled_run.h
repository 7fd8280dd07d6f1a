// What a scheduled run of sorvik-cli leaves in the tracker's data folder:
// a lock held while it runs, so that a run that finds the one before still
// going skips instead of overlapping it, and the record of how the last
// scheduled run ended, which the window shows. A scheduled run and the
// window's own check may still write at the same time: the history is
// appended by whole lines under its own lock and the store guards itself.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check_outcome.h"

namespace sorvik {

extern const char* const kScheduledLockName;     // .sorvik-scheduled.lock
extern const char* const kLastScheduledRunName;  // last-scheduled-run.json

// The scheduled runs' lock on a data folder, held for as long as this lives.
class ScheduledRunLock {
  public:
    enum class Taken {
        Yes,            // this run holds it
        HeldElsewhere,  // another scheduled run holds it
        NoLockFile,     // the lock file can't be made: the run goes on unlocked
    };
    // Tries once, without waiting.
    static std::unique_ptr<ScheduledRunLock> Take(const std::string& folder, Taken& taken);
    ~ScheduledRunLock();
    ScheduledRunLock(const ScheduledRunLock&) = delete;
    ScheduledRunLock& operator=(const ScheduledRunLock&) = delete;

  private:
    class Handle;  // the system's locked file
    explicit ScheduledRunLock(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

// How the last scheduled run ended.
struct ScheduledRunRecord {
    std::int64_t started = 0;  // seconds since 1970-01-01 UTC
    std::int64_t ended = 0;
    int exitStatus = 0;
    int checked = 0;  // lines whose check ran to its end
    int failed = 0;   // lines that could not be checked or failed to download
    int stopped = 0;  // lines cut short by a stop request
};

// The record's counts from the outcomes of the run's checks.
void CountOutcomes(const std::vector<CheckOutcome>& outcomes, ScheduledRunRecord& record);

// Written whole into `folder`'s last-run file; false with `error` set.
bool WriteScheduledRunRecord(const std::string& folder, const ScheduledRunRecord& record,
                             std::string& error);
// No value when there is no record or it can't be read.
std::optional<ScheduledRunRecord> ReadScheduledRunRecord(const std::string& folder);

}  // namespace sorvik
