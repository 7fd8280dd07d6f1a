#include "item_title.h"

#include "competition.h"
#include "row_store.h"
#include "search_mode.h"

namespace sorvik {

std::optional<std::string> LastFoundTitle(RowStore* store, const BatchLine& line) {
    if (!store || line.Mode() != kModeItemLink) return std::nullopt;
    const std::optional<StoredCheck> check =
        store->LatestFound(line.keyword, line.target, kModeItemLink);
    if (!check) return std::nullopt;
    const SeenRow* own = OwnRow(*check);
    if (!own || own->title.empty()) return std::nullopt;
    return own->title;
}

}  // namespace sorvik
