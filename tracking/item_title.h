// The title of the item an item link line stands for, as its checks saw it.
#pragma once

#include <optional>
#include <string>

#include "batch_file.h"

namespace sorvik {

class RowStore;

// The title of the item `line` (an item link line) found at its latest check
// that found it, in `store`; none for another line, without a store, when
// no kept check found it, or when its row has no title.
std::optional<std::string> LastFoundTitle(RowStore* store, const BatchLine& line);

}  // namespace sorvik
