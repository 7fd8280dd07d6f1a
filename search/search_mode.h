// The search mode: what a search looks for besides listing the results.
#pragma once

#include <cstdint>

namespace sorvik {

// The search mode chosen with the radio buttons. The numbers are stored in
// history files and given on the command line.
enum SearchMode : std::int32_t {
    kModeKeyword = 1,   // keyword only: list until the results run out
    kModeSeller = 2,    // keyword and seller name
    kModeItemLink = 3,  // keyword and item link
};

}  // namespace sorvik
