// Reading a whole input file, telling a missing or unreadable file apart
// from an empty one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sorvik {

// The bytes of `path`, unchanged. No value, and `error` set to a message
// naming the file, when it is missing, a directory or cannot be read.
std::optional<std::string> ReadInputFile(const std::string& path, std::string& error);

// Calls `line` with each line of `path`, in order, without its line feed,
// reading the file a piece at a time; `complete` is false for a last line
// that no line feed ends. False, with `error` set as ReadInputFile sets
// it, when the file can't be read (lines seen before a read error were
// handed on).
bool ReadInputLines(const std::string& path, std::string& error,
                    const std::function<void(std::string_view line, bool complete)>& line);

}  // namespace sorvik
