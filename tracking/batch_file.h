// The batch file of sorvik-cli: one search per line, KEYWORD or
// KEYWORD<TAB>TARGET, in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search_mode.h"

namespace sorvik {

struct BatchLine {
    int number = 0;       // 1-based line number in the file
    std::string keyword;  // UTF-8, as written without the blanks around it
    std::string target;   // seller name or item link; empty for a keyword-only search
    std::string problem;  // why the line cannot be used; empty when it can

    // 1 without a target, 3 for a target starting with http:// or https://
    // (in any case), else 2.
    SearchMode Mode() const;
};

// The longest line a batch file may hold, its line end left out: far beyond
// any keyword and target the marketplace takes.
constexpr std::size_t kMaxBatchLineBytes = 4096;

// The lines of the file that ask for a search, in file order. Blank lines
// (nothing but blanks and tabs) and lines starting with '#' are left out; a
// UTF-8 byte-order mark at the start and a CR before each line feed are
// dropped. Blanks (spaces and U+3000, and tabs after the first) around the
// two fields are dropped. A line with more than one tab between its fields
// is kept with its problem set, and so is a line longer than
// kMaxBatchLineBytes (with no keyword: it is read a piece at a time and
// never held whole). No value, and `error` set to a message for the user,
// when the file is missing, no regular file, unreadable, or not UTF-8 text.
std::optional<std::vector<BatchLine>> ReadBatchFile(const std::string& path, std::string& error);

// The same from text already read.
std::optional<std::vector<BatchLine>> ParseBatchText(const std::string& text,
                                                     const std::string& name, std::string& error);

// `text` without the blanks at its start and end: spaces and the
// ideographic space U+3000 that Chinese input methods type, and with
// `tabsToo` tabs as well.
std::string TrimBlanks(const std::string& text, bool tabsToo = false);

// The lines as a batch file holds them: KEYWORD or KEYWORD<TAB>TARGET, each
// ended by a line feed, in UTF-8 without a byte-order mark.
std::string FormatBatchFile(const std::vector<BatchLine>& lines);

}  // namespace sorvik
