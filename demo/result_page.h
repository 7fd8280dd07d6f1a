// Renders the marketplace's list-view result pages and item pages from the
// catalog. Pages come out as UTF-8; the server converts them to GBK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "catalog.h"
#include "html_writer.h"

namespace sorvik::demo {

constexpr std::size_t kItemsPerPage = 40;

// What a request for an offset past the last item answers.
enum class PastEndAnswer {
    kLastPage,   // the last page again
    kEmptyPage,  // the count and the pager, no items
};

struct PageOptions {
    WhitespaceStyle style = WhitespaceStyle::kLines;
    // The number written in the count on the first page (offset 0); unset:
    // the catalog size.
    std::optional<std::uint64_t> total;
    // The number written in the count on later pages; unset: as on the
    // first page.
    std::optional<std::uint64_t> laterTotal;
    bool showCount = true;
    bool pagerOnLast = false;
    PastEndAnswer pastEnd = PastEndAnswer::kEmptyPage;
    // Bytes of style sheet and script text padded into the head (at least
    // this many; the last padding line may go past it).
    std::size_t headBytes = 2048;
    // host[:port] written into item and shop links.
    std::string itemHost;
};

// What one result page holds.
struct PagePlan {
    std::size_t firstIndex = 0;  // index into the catalog of the first item
    std::size_t itemCount = 0;
    bool showCount = true;
    std::uint64_t total = 0;  // the number written in the count
    bool showPager = false;
};

// Decides what the page for `offset` (the number of results before it)
// holds: the items at positions offset+1 to offset+40, the count and the
// pager, with the edge behaviour the options ask for.
PagePlan PlanResultPage(std::size_t catalogSize, std::uint64_t offset, const PageOptions& options);

// The full result page for `offset`.
std::string RenderResultPage(const Catalog& catalog, std::uint64_t offset,
                             const PageOptions& options);

// The page a browser shows for one item.
std::string RenderItemPage(const CatalogItem& item, const std::string& itemHost);

// A short page for an error status; `message` is the demo's own text.
std::string RenderErrorPage(int status, const std::string& message);

}  // namespace sorvik::demo
