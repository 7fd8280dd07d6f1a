// The command line of sorvik-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sorvik {

struct CliOptions {
    std::int32_t mode = 0;  // 0 until chosen; see ParseCliOptions
    std::string keyword;    // UTF-8, as given
    std::string seller;
    std::string item;
    bool help = false;
};

// Parses "--mode 1|2|3 --keyword TEXT --seller NAME --item LINK" (also the
// "--name=value" form). Without --mode: 3 when --item is given, else 2 when
// --seller is given, else 1. On a bad command line returns no value and sets
// `error` to a message for the user.
std::optional<CliOptions> ParseCliOptions(int argc, const char* const* argv, std::string& error);

extern const char* const kCliUsage;

}  // namespace sorvik
