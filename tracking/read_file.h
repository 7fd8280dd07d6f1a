// Reading a whole input file, telling a missing or unreadable file apart
// from an empty one.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sorvik {

// The bytes of `path`, unchanged. No value, and `error` set to a message
// naming the file, when it is missing, not a regular file (a directory, a
// FIFO, a device: reading those may never end) or cannot be read.
std::optional<std::string> ReadInputFile(const std::string& path, std::string& error);

// One line of an input file, without its line feed.
struct InputLine {
    std::string_view text;
    bool complete = true;  // false for a last line that no line feed ends
    bool tooLong = false;  // longer than the reader's limit: `text` is its start only
};

// Calls `line` with each line of `path`, in order, reading the file a piece
// at a time. A line longer than `maxLine` bytes is never held whole: it is
// handed on once, with its first `maxLine` bytes and `tooLong` set. False,
// with `error` set as ReadInputFile sets it, when the file can't be read
// (lines seen before a read error were handed on).
bool ReadInputLines(const std::string& path, std::string& error,
                    const std::function<void(const InputLine& line)>& line,
                    std::size_t maxLine = std::string::npos);

}  // namespace sorvik
