#include "scheduled.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "exit_status.h"
#include "file_names.h"
#include "scheduled_run.h"
#include "tracking.h"

namespace sorvik {
namespace cli {

int RunScheduled(const CliOptions& options) {
    std::string folder = PathFromUtf8(options.batchFile).parent_path().u8string();
    if (folder.empty()) folder = ".";
    ScheduledRunLock::Taken taken = ScheduledRunLock::Taken::NoLockFile;
    const std::unique_ptr<ScheduledRunLock> lock = ScheduledRunLock::Take(folder, taken);
    if (taken == ScheduledRunLock::Taken::HeldElsewhere) {
        std::fprintf(stderr,
                     "sorvik-cli: skipped: the scheduled run before this one still checks the "
                     "list (it holds %s/%s)\n",
                     folder.c_str(), kScheduledLockName);
        return kExitDone;
    }
    if (taken == ScheduledRunLock::Taken::NoLockFile)
        std::fprintf(stderr,
                     "sorvik-cli: warning: cannot lock %s/%s: this run is not kept from "
                     "overlapping another\n",
                     folder.c_str(), kScheduledLockName);

    ScheduledRunRecord record;
    record.started = std::time(nullptr);
    RunEnd end;
    int status = RunSearches(options, &end);
    record.ended = std::time(nullptr);
    record.exitStatus = status;
    CountOutcomes(end.outcomes, record);
    std::string error;
    if (!WriteScheduledRunRecord(folder, record, error)) {
        std::fprintf(stderr, "sorvik-cli: the end of this scheduled run was not recorded: %s\n",
                     error.c_str());
        if (status == kExitDone) status = kExitRecordLost;
    }
    return status;
}

}  // namespace cli
}  // namespace sorvik
