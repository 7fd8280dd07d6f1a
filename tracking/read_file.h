// Reading a whole input file, telling a missing or unreadable file apart
// from an empty one.
#pragma once

#include <optional>
#include <string>

namespace sorvik {

// The bytes of `path`, unchanged. No value, and `error` set to a message
// naming the file, when it is missing, a directory or cannot be read.
std::optional<std::string> ReadInputFile(const std::string& path, std::string& error);

}  // namespace sorvik
