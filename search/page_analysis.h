// Analysis of one cleaned result page: parse it, read the total, walk the
// nodes in document order and turn every item into a row.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search_window.h"

namespace htmlcxx {
namespace HTML {
class Node;
}
}  // namespace htmlcxx

namespace sorvik {

// How one page's walk ended.
enum class WalkEnd { EndOfDocument, StopSeen, TotalReached, PagerMet, ItemFound };

// The item id of a link: the value of its "id" parameter, from after "id="
// up to the next '&' or '#' or the end ("123" for "...?spm=1&id=123&ns=1").
// The parameter named exactly "id" (at the start, or after '?' or '&') is
// taken when there is one, else the first "id=" ("7" of "...?nid=7"). No
// value when the link holds no "id=".
std::optional<std::string> ItemIdOf(const std::string& link);

// The run state of one search's analysis: the parser and the tree of the
// page parsed last, the counters and the next page's address.
class PageAnalysis {
  public:
    explicit PageAnalysis(SearchWindow& window);
    ~PageAnalysis();
    PageAnalysis(const PageAnalysis&) = delete;
    PageAnalysis& operator=(const PageAnalysis&) = delete;

    // Parses m_pageText; the new tree replaces the previous page's.
    void Parse();

    // First page only: finds the count marker, sets `total` and the node the
    // first walk starts at. False when there is no count or it is 0.
    bool ReadTotal();
    // True once ReadTotal has found the count marker, whatever it counts.
    bool HasCount() const { return m_hasCount; }

    // Walks the current tree from the node ReadTotal found (first page) or
    // from the first node (later pages).
    WalkEnd WalkPage(bool firstPage);

    // Counts the current item, appends its row and shows the progress.
    void ReportItem();

    // True when the current item is the wanted one (modes 2 and 3).
    bool IsWantedItem() const;

    // The count read from the first page.
    int Total() const { return m_total; }
    // The rank of the last item counted: the rows listed so far.
    int Rank() const { return m_rank; }
    // The pager markers met so far in the search.
    int PagerCount() const { return m_pagerCount; }
    // The next page's address, set when a walk meets the pager marker;
    // empty when none has been met since ForgetNextPage.
    const std::string& NextPageUrl() const { return m_nextPageUrl; }

    // Forgets the next page's address, before a page is walked.
    void ForgetNextPage() { m_nextPageUrl.clear(); }

    // Counts from the start again, as a new search whose first page gave
    // `total`: no item counted, no pager met, no next page. The parsed page
    // stays.
    void Restart(int total);

  private:
    class Parser;
    using Node = htmlcxx::HTML::Node;

    bool Is(std::size_t index, const char* tag, const char* cls);
    std::string ClassOf(std::size_t index);
    std::string SourceText(std::size_t index) const;
    std::string CleanedText(std::size_t index) const;

    SearchWindow& m_window;
    SearchState& m_state;
    std::unique_ptr<Parser> m_parser;
    std::vector<Node*> m_nodes;  // the tree in pre-order
    std::size_t m_firstWalkStart = 0;
    bool m_hasCount = false;
    int m_total = 0;
    int m_rank = 0;
    int m_pagerCount = 0;
    std::string m_nextPageUrl;
};

}  // namespace sorvik
