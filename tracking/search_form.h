// The form of one tracked search, as the search run reads it.
#pragma once

#include <string>

#include "batch_file.h"
#include "search_mode.h"

namespace sorvik {

// The form of one search. Texts are UTF-8.
struct SearchForm {
    SearchMode mode = kModeKeyword;
    std::string keyword;
    std::string seller;
    std::string item;
};

// The item link as the form takes it. Links copied from a browser are
// https; an https link of the item host is taken as its http form, since
// the item is matched by its id and the scheme plays no part. Any other
// text is left as it is, for the form's own check.
std::string FormItemLink(const std::string& link);

// The form of a keyword list line: its keyword, and its target as the
// seller name or (item link) as FormItemLink takes it.
SearchForm FormOf(const BatchLine& line);

}  // namespace sorvik
