// The batch file of sorvik-cli: one search per line, KEYWORD or
// KEYWORD<TAB>TARGET, in UTF-8, with an optional third field that puts the
// line in a group: KEYWORD<TAB>TARGET<TAB>GROUP (KEYWORD<TAB><TAB>GROUP
// for a keyword-only search).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "search_mode.h"

namespace sorvik {

struct BatchLine {
    BatchLine() = default;
    // The group is the optional last field, as in the file.
    BatchLine(int number, std::string keyword, std::string target, std::string problem,
              std::string group = std::string())
        : number(number),
          keyword(std::move(keyword)),
          target(std::move(target)),
          problem(std::move(problem)),
          group(std::move(group)) {}

    int number = 0;       // 1-based line number in the file
    std::string keyword;  // UTF-8, as written without the blanks around it
    std::string target;   // seller name or item link; empty for a keyword-only search
    std::string problem;  // why the line cannot be used; empty when it can
    std::string group;    // UTF-8, without the blanks around it; empty for none

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
// dropped. Each tab separates two fields; blanks (spaces and U+3000) around
// the fields and tabs at the line's end are dropped. A line with more than
// two tabs between its fields is kept with its problem set, and so is a line
// longer than kMaxBatchLineBytes (with no keyword: it is read a piece at a
// time and never held whole). No value, and `error` set to a message for the
// user, when the file is missing, no regular file, unreadable, or not UTF-8
// text.
std::optional<std::vector<BatchLine>> ReadBatchFile(const std::string& path, std::string& error);

// The same from text already read.
std::optional<std::vector<BatchLine>> ParseBatchText(const std::string& text,
                                                     const std::string& name, std::string& error);

// `text` without the blanks at its start and end: spaces and the
// ideographic space U+3000 that Chinese input methods type, and with
// `tabsToo` tabs as well.
std::string TrimBlanks(const std::string& text, bool tabsToo = false);

// The lines as a batch file holds them: KEYWORD or KEYWORD<TAB>TARGET, and
// <TAB>GROUP after them for a line with a group; each ended by a line feed,
// in UTF-8 without a byte-order mark.
std::string FormatBatchFile(const std::vector<BatchLine>& lines);

}  // namespace sorvik
