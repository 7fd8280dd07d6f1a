#include "fuzz_support.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "page_analysis.h"

namespace sorvik {
namespace fuzz {
namespace {

const char kSearchUrl[] =
    "http://127.0.0.1:9/search?initiative_id=staobaoz_20261207&tab=all&style=list&q=%61";

std::string g_privateDirectory;

void RemovePrivateDirectory() {
    if (g_privateDirectory.empty()) return;
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(g_privateDirectory, ignored);
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

const char* EndName(WalkEnd end) {
    switch (end) {
        case WalkEnd::EndOfDocument:
            return "EndOfDocument";
        case WalkEnd::StopSeen:
            return "StopSeen";
        case WalkEnd::TotalReached:
            return "TotalReached";
        case WalkEnd::PagerMet:
            return "PagerMet";
        case WalkEnd::ItemFound:
            return "ItemFound";
    }
    return "?";
}

bool SameRow(const ResultRow& a, const ResultRow& b) {
    return a.rank == b.rank && a.title == b.title && a.seller == b.seller && a.price == b.price &&
           a.sales == b.sales && a.link == b.link;
}

// The analysis of one search on a window of its own.
struct Session {
    Session(SearchMode mode, const std::string& seller, const std::string& link)
        : analysis(window) {
        SearchState& state = window.State();
        state.m_searchMode = mode;
        state.m_sellerName = seller;
        state.m_itemLink = link;
        state.m_searchUrl = kSearchUrl;
        state.m_pageNumber = 1;
    }

    // Loads and parses `pageText` as the next page of this search.
    void Load(const std::string& pageText) {
        window.State().m_pageText = pageText;
        analysis.Parse();
    }

    // Walks the current page and checks the walk against what held before.
    WalkEnd Walk(bool firstPage) {
        const int rankBefore = analysis.Rank();
        const int pagersBefore = analysis.PagerCount();
        const std::string urlBefore = analysis.NextPageUrl();
        const WalkEnd end = analysis.WalkPage(firstPage);
        const std::string detail = std::string("walk ended ") + EndName(end) + ", rank " +
                                   std::to_string(analysis.Rank()) + ", total " +
                                   std::to_string(analysis.Total());

        // Every item seen is one row, ranked in order from 1.
        FUZZ_CHECK(analysis.Rank() >= rankBefore, detail);
        FUZZ_CHECK(window.rows.size() == static_cast<std::size_t>(analysis.Rank()), detail);
        for (std::size_t k = static_cast<std::size_t>(rankBefore); k < window.rows.size(); ++k) {
            const ResultRow& row = window.rows[k];
            FUZZ_CHECK(row.rank == std::to_string(k + 1), detail + ", row " + row.rank);
            for (const std::string* field :
                 {&row.title, &row.seller, &row.price, &row.sales, &row.link}) {
                FUZZ_CHECK(field->find('\0') == std::string::npos, Printable(*field));
            }
        }

        const SearchState& state = window.State();
        switch (end) {
            case WalkEnd::StopSeen:
                FUZZ_CHECK(state.m_stopRequested.load(), detail);
                break;
            case WalkEnd::TotalReached:
                FUZZ_CHECK(analysis.Rank() == analysis.Total(), detail);
                break;
            case WalkEnd::ItemFound:
                FUZZ_CHECK(state.m_searchMode.load() != kModeKeyword, detail);
                FUZZ_CHECK(analysis.Rank() > rankBefore, detail);
                FUZZ_CHECK(analysis.IsWantedItem(), detail);
                break;
            case WalkEnd::PagerMet:
            case WalkEnd::EndOfDocument:
                break;
        }
        if (end == WalkEnd::PagerMet) {
            FUZZ_CHECK(analysis.PagerCount() == pagersBefore + 1, detail);
            FUZZ_CHECK(analysis.NextPageUrl() == std::string(kSearchUrl) + "&bcoffset=4&s=" +
                                                     std::to_string(40 * analysis.PagerCount()) +
                                                     "#J_relative",
                       Printable(analysis.NextPageUrl()));
        } else {
            FUZZ_CHECK(analysis.PagerCount() == pagersBefore, detail);
            FUZZ_CHECK(analysis.NextPageUrl() == urlBefore, detail);
        }
        if (state.m_stopRequested.load()) {
            FUZZ_CHECK(end == WalkEnd::StopSeen && analysis.Rank() == rankBefore, detail);
        }
        return end;
    }

    RowWindow window;
    PageAnalysis analysis;
};

// The rank of the first row that `matches`, if any.
template <typename Match>
std::optional<int> FirstMatch(const std::vector<ResultRow>& rows, Match matches) {
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (matches(rows[k])) return static_cast<int>(k + 1);
    }
    return std::nullopt;
}

// A search in mode 2 or 3 walks exactly as the keyword-only one did up to the
// first row that is the wanted item, and stops there.
void CheckWantedSearch(const std::string& pageText, const Session& keywordOnly,
                       WalkEnd keywordOnlyEnd, SearchMode mode, const std::string& seller,
                       const std::string& link, std::optional<int> expectedRank) {
    Session search(mode, seller, link);
    search.Load(pageText);
    FUZZ_CHECK(search.analysis.ReadTotal(), "the count was read once but not twice");
    FUZZ_CHECK(search.analysis.Total() == keywordOnly.analysis.Total(), "the count changed");
    const WalkEnd end = search.Walk(true);
    const std::vector<ResultRow>& expected = keywordOnly.window.rows;
    if (expectedRank) {
        FUZZ_CHECK(end == WalkEnd::ItemFound, std::string("expected the item at rank ") +
                                                  std::to_string(*expectedRank) +
                                                  ", the walk ended " + EndName(end));
        FUZZ_CHECK(search.analysis.Rank() == *expectedRank,
                   std::string("found at rank ") + std::to_string(search.analysis.Rank()) +
                       ", expected " + std::to_string(*expectedRank));
    } else {
        FUZZ_CHECK(end == keywordOnlyEnd, std::string("the walk ended ") + EndName(end) +
                                              " instead of " + EndName(keywordOnlyEnd));
        FUZZ_CHECK(search.window.rows.size() == expected.size(), "a different number of rows");
    }
    for (std::size_t k = 0; k < search.window.rows.size(); ++k) {
        FUZZ_CHECK(SameRow(search.window.rows[k], expected[k]),
                   "row " + std::to_string(k + 1) + " differs from the keyword-only walk");
    }
}

}  // namespace

void CheckFailed(const char* file, int line, const char* condition, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, condition, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

void EnterPrivateDirectory(bool withConfig) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sorvik-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_privateDirectory = pattern;
    std::atexit(RemovePrivateDirectory);
    if (withConfig) {
        std::filesystem::copy_file(SORVIK_CONFIG_FILE, g_privateDirectory + "/config.txt");
    }
    std::filesystem::current_path(g_privateDirectory);
    // Only config.txt configures the cleaning here.
    unsetenv("HTML_TIDY");
}

void WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    FILE* file = std::fopen(name.c_str(), "wb");
    FUZZ_CHECK(file != nullptr, name);
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    FUZZ_CHECK(std::fclose(file) == 0 && written, name);
}

void AnalysePage(const std::string& pageText) {
    // Keyword only, as the first page of a search.
    Session keywordOnly(kModeKeyword, std::string(), std::string());
    keywordOnly.Load(pageText);
    const bool counted = keywordOnly.analysis.ReadTotal();
    if (!counted) {
        FUZZ_CHECK(keywordOnly.analysis.Total() == 0, std::to_string(keywordOnly.analysis.Total()));
    }
    std::optional<WalkEnd> keywordOnlyEnd;
    if (counted) {
        FUZZ_CHECK(keywordOnly.analysis.Total() != 0, "a count of 0 was accepted");
        keywordOnlyEnd = keywordOnly.Walk(true);
    }

    // After a pager, the same text again as the second page: the ranks run
    // on and the first page's rows stay as they were.
    if (keywordOnlyEnd == WalkEnd::PagerMet) {
        Session twoPages(kModeKeyword, std::string(), std::string());
        twoPages.Load(pageText);
        twoPages.analysis.ReadTotal();
        FUZZ_CHECK(twoPages.Walk(true) == WalkEnd::PagerMet, "the first walk changed");
        twoPages.window.State().m_pageNumber = 2;
        twoPages.Load(pageText);
        twoPages.Walk(false);
        const std::vector<ResultRow>& firstRows = keywordOnly.window.rows;
        FUZZ_CHECK(twoPages.window.rows.size() >= firstRows.size(), "rows were lost");
        for (std::size_t k = 0; k < firstRows.size(); ++k) {
            FUZZ_CHECK(SameRow(twoPages.window.rows[k], firstRows[k]), "an earlier row changed");
        }
    }

    // Modes 2 and 3, wanting an item of the keyword-only walk (or one that is
    // on no row), must stop at the first row that is it.
    if (keywordOnlyEnd) {
        const std::vector<ResultRow>& rows = keywordOnly.window.rows;
        const std::string seller =
            rows.empty() ? std::string("\xD0\xA1 nobody") : rows[rows.size() / 2].seller;
        CheckWantedSearch(pageText, keywordOnly, *keywordOnlyEnd, kModeSeller, seller,
                          std::string(),
                          FirstMatch(rows, [&](const ResultRow& r) { return r.seller == seller; }));

        std::string link = "http://item.taobao.com/item.htm?id=\x01none";
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            if (ItemIdOf(row->link)) {
                link = row->link;
                break;
            }
        }
        const std::optional<std::string> wantedId = ItemIdOf(link);
        CheckWantedSearch(pageText, keywordOnly, *keywordOnlyEnd, kModeItemLink, std::string(),
                          link, FirstMatch(rows, [&](const ResultRow& r) {
                              const std::optional<std::string> id = ItemIdOf(r.link);
                              return id && id == wantedId;
                          }));
    }

    // A later page, parsed once and walked from its first node with a few
    // totals. No total is reached with INT_MAX; every other walk is a prefix
    // of that one.
    Session later(kModeKeyword, std::string(), std::string());
    later.window.State().m_pageNumber = 2;
    later.Load(pageText);
    std::vector<ResultRow> unbounded;
    WalkEnd unboundedEnd = WalkEnd::EndOfDocument;
    for (const int total : {INT_MAX, 1, 3, 40, -1}) {
        // As a fresh search would start: no item read yet.
        SearchState& state = later.window.State();
        for (std::string* field : {&state.m_rankText, &state.m_itemTitle, &state.m_itemHref,
                                   &state.m_itemSeller, &state.m_itemPrice, &state.m_itemSales}) {
            field->clear();
        }
        later.window.rows.clear();
        later.analysis.Restart(total);
        const WalkEnd end = later.Walk(false);
        if (total == INT_MAX) {
            FUZZ_CHECK(end == WalkEnd::EndOfDocument || end == WalkEnd::PagerMet, EndName(end));
            unbounded = later.window.rows;
            unboundedEnd = end;
            continue;
        }
        const std::string detail =
            "with total " + std::to_string(total) + " the walk ended " + EndName(end) + " after " +
            std::to_string(later.window.rows.size()) + " rows, without " + EndName(unboundedEnd) +
            " after " + std::to_string(unbounded.size());
        FUZZ_CHECK(later.window.rows.size() <= unbounded.size(), detail);
        for (std::size_t k = 0; k < later.window.rows.size(); ++k) {
            FUZZ_CHECK(SameRow(later.window.rows[k], unbounded[k]),
                       "row " + std::to_string(k + 1) + " differs, " + detail);
        }
        if (end != WalkEnd::TotalReached) {
            FUZZ_CHECK(end == unboundedEnd && later.window.rows.size() == unbounded.size(), detail);
        }
    }

    // A stop seen before the walk ends it at the first node, without a row.
    later.window.State().m_stopRequested = true;
    FUZZ_CHECK(later.Walk(false) == WalkEnd::StopSeen, "a requested stop was not seen");
}

}  // namespace fuzz
}  // namespace sorvik
