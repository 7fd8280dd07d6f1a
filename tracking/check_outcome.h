// How a check ended, as a summary records it.
#pragma once

#include <cstdint>
#include <string>

namespace sorvik {

// How a check ended, by the summary's name for it.
enum class CheckOutcome : std::uint8_t {
    Found,           // "found"
    NotFound,        // "not_found"
    Finished,        // "finished"
    NoItems,         // "no_items"
    DownloadFailed,  // "download_failed"
    FormRejected,    // "form_rejected"
    Stopped,         // "stopped"
    Other,           // a name this program does not know
};
CheckOutcome CheckOutcomeNamed(const std::string& name);
// The summary's name of an outcome; "other" for Other.
const char* CheckOutcomeName(CheckOutcome outcome);

}  // namespace sorvik
