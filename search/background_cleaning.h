// A page cleaning prepared on a helper thread while its caller waits out a
// pause; its effects wait for the caller, who commits or drops it.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <thread>

#include "tidy_page.h"

namespace sorvik {

class BackgroundCleaning {
  public:
    // Starts preparing the cleaning of `inputFile` for `outputFile` on a
    // helper thread, or prepares it here and now when no thread can be
    // started. `buffers` belongs to the cleaning until it has been taken and
    // committed, or this object is gone.
    BackgroundCleaning(std::string outputFile, std::string inputFile, CleaningBuffers& buffers);
    // Waits for the helper if it still runs; a cleaning not taken is dropped.
    ~BackgroundCleaning();
    BackgroundCleaning(const BackgroundCleaning&) = delete;
    BackgroundCleaning& operator=(const BackgroundCleaning&) = delete;

    // Waits for the cleaning to be prepared and gives it; what the
    // preparation threw is thrown here. Once only.
    PreparedCleaning Take();

  private:
    void Prepare();

    const std::string m_outputFile;
    const std::string m_inputFile;
    CleaningBuffers& m_buffers;
    std::optional<PreparedCleaning> m_prepared;
    std::exception_ptr m_failure;
    std::thread m_helper;
};

}  // namespace sorvik
