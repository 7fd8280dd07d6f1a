#include "page_analysis.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "gbk_text.h"
#include "messages.h"
#include "page_parser.h"

namespace sorvik {

// The parser of the pages. The analysis reads a text node's bytes from the
// page by its offset and length, so the tree keeps no copy of them: the
// scripts and styles of a page alone come to hundreds of kilobytes, which
// the tree would otherwise hold twice over (as text and as name).
class PageAnalysis::Parser : public PageParser {
  protected:
    void foundText(Node node) override {
        node.text(std::string());
        node.tagName(std::string());
        PageParser::foundText(node);
    }
};

namespace {

// The leading decimal number of a text, as atoi reads it (leading white
// space and one sign allowed), clamped to the int range; 0 when the text
// does not begin with a number.
int LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

std::optional<std::string> ItemIdOf(const std::string& link) {
    const std::size_t first = FindAnsi(link, "id=");
    if (first == std::string::npos) return std::nullopt;
    // The parameter named exactly "id" is the one at the start or after '?'
    // or '&' ("nid=7" is another parameter). Neither '?' nor '&' is ever the
    // second byte of a GBK character, so the byte before a match tells.
    std::size_t at = first;
    while (at != std::string::npos && at != 0 && link[at - 1] != '?' && link[at - 1] != '&')
        at = FindAnsi(link, "id=", at + 1);
    if (at == std::string::npos) at = first;
    // The value ends where the next parameter or the fragment begins, so a
    // link copied from a browser ("...&id=40&ns=1") gives its id alone.
    const std::size_t begin = at + 3;
    std::size_t end = link.size();
    for (const char* stop : {"&", "#"}) end = std::min(end, FindAnsi(link, stop, begin));
    return link.substr(begin, end - begin);
}

PageAnalysis::PageAnalysis(SearchWindow& window)
    : m_window(window), m_state(window.State()), m_parser(std::make_unique<Parser>()) {}

PageAnalysis::~PageAnalysis() = default;

void PageAnalysis::Parse() {
    m_nodes.clear();
    m_parser->parseTree(m_state.m_pageText);
    auto& tree = m_parser->Tree();
    for (auto it = tree.begin(); it != tree.end(); ++it) m_nodes.push_back(&*it);
    m_firstWalkStart = m_nodes.size();
}

std::string PageAnalysis::ClassOf(std::size_t index) {
    Node& node = *m_nodes[index];
    node.parseAttributes();
    return UpToFirstNul(node.attribute("class").second);
}

bool PageAnalysis::Is(std::size_t index, const char* tag, const char* cls) {
    // The parser keeps a text or comment node's text in its tag name; only
    // elements have a tag name here.
    const Node& node = *m_nodes[index];
    return node.isTag() && !node.isComment() && MatchesNoCase(node.tagName(), tag) &&
           MatchesNoCase(ClassOf(index), cls);
}

std::string PageAnalysis::SourceText(std::size_t index) const {
    const Node& node = *m_nodes[index];
    const std::string& page = m_state.m_pageText;
    if (node.offset() >= page.size()) return std::string();
    return UpToFirstNul(page.substr(node.offset(), node.length()));
}

std::string PageAnalysis::CleanedText(std::size_t index) const {
    return RemoveBlanks(SourceText(index));
}

bool PageAnalysis::ReadTotal() {
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        if (!Is(i, "li", "result-info")) continue;
        if (i + 1 >= m_nodes.size()) return false;  // the count is the last node
        m_total = LeadingNumber(SourceText(i + 1));
        m_hasCount = true;
        if (m_total == 0) return false;
        m_firstWalkStart = i + 1;
        return true;
    }
    return false;
}

WalkEnd PageAnalysis::WalkPage(bool firstPage) {
    const std::size_t count = m_nodes.size();
    std::size_t i = firstPage ? m_firstWalkStart : 0;
    // A rule that would step past the last node ends the walk there.
    auto step = [&](std::size_t n) { return i + n < count ? (i += n, true) : (i = count, false); };

    for (; i < count; ++i) {
        if (m_state.m_stopRequested.load()) return WalkEnd::StopSeen;

        if (Is(i, "h3", "summary")) {
            if (!step(1)) break;
            Node& link = *m_nodes[i];
            link.parseAttributes();
            m_state.m_itemHref = UpToFirstNul(link.attribute("href").second);
            m_state.m_itemTitle = UpToFirstNul(link.attribute("title").second);
            continue;
        }
        if (Is(i, "div", "seller")) {
            if (!step(3)) break;
            m_state.m_itemSeller = CleanedText(i);
            continue;
        }
        if (Is(i, "div", "col total")) {
            if (!step(2)) break;
            if (MatchesNoCase(ClassOf(i), "price")) {
                if (!step(1)) break;
                m_state.m_itemPrice = CleanedText(i);
                continue;
            }
            // The node two steps on is tested in the marker's place.
        }
        if (Is(i, "div", "col dealing")) {
            if (!step(3)) break;
            m_state.m_itemSales = CleanedText(i);
            ReportItem();
            if (IsWantedItem()) return WalkEnd::ItemFound;
            continue;
        }
        if (m_rank == m_total) return WalkEnd::TotalReached;
        if (Is(i, "div", "tb-pagination tb-pagination-new")) {
            m_nextPageUrl = m_state.m_searchUrl +
                            "&bcoffset=4&s=" + std::to_string((m_pagerCount + 1) * 40) +
                            "#J_relative";
            ++m_pagerCount;
            return WalkEnd::PagerMet;
        }
    }
    return WalkEnd::EndOfDocument;
}

void PageAnalysis::Restart(int total) {
    m_total = total;
    m_rank = 0;
    m_pagerCount = 0;
    m_nextPageUrl.clear();
}

void PageAnalysis::ReportItem() {
    ++m_rank;
    m_state.m_rankText = std::to_string(m_rank);
    m_window.AppendResultRow({m_state.m_rankText, m_state.m_itemTitle, m_state.m_itemSeller,
                              m_state.m_itemPrice, m_state.m_itemSales, m_state.m_itemHref});
    m_window.SetStatusText(messages::Progress(m_rank, m_total, m_state.m_pageNumber));
}

bool PageAnalysis::IsWantedItem() const {
    switch (m_state.m_searchMode.load()) {
        case kModeSeller:
            return m_state.m_itemSeller == m_state.m_sellerName;
        case kModeItemLink: {
            std::optional<std::string> pageId = ItemIdOf(m_state.m_itemHref);
            std::optional<std::string> wantedId = ItemIdOf(m_state.m_itemLink);
            return pageId && wantedId && *pageId == *wantedId;
        }
        default:
            return false;
    }
}

}  // namespace sorvik
