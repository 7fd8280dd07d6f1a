#include "background_cleaning.h"

#include <system_error>
#include <utility>

namespace sorvik {

BackgroundCleaning::BackgroundCleaning(std::string outputFile, std::string inputFile,
                                       CleaningBuffers& buffers)
    : m_outputFile(std::move(outputFile)), m_inputFile(std::move(inputFile)), m_buffers(buffers) {
    try {
        m_helper = std::thread([this] { Prepare(); });
    } catch (const std::system_error&) {
        Prepare();
    }
}

BackgroundCleaning::~BackgroundCleaning() {
    if (m_helper.joinable()) m_helper.join();
}

void BackgroundCleaning::Prepare() {
    try {
        m_prepared = PrepareCleaning(m_outputFile, m_inputFile, m_buffers);
    } catch (...) {
        m_failure = std::current_exception();
    }
}

PreparedCleaning BackgroundCleaning::Take() {
    if (m_helper.joinable()) m_helper.join();
    if (m_failure) std::rethrow_exception(m_failure);
    // Prepared or failed, never neither; value() would throw rather than
    // hand out a cleaning that was never made.
    return std::move(m_prepared.value());
}

}  // namespace sorvik
