// The state of the current search, shared by the window thread and the
// search worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "tidy_page.h"

namespace sorvik {

// The search mode chosen with the radio buttons.
enum SearchMode : std::int32_t {
    kModeKeyword = 1,   // keyword only: list until the results run out
    kModeSeller = 2,    // keyword and seller name
    kModeItemLink = 3,  // keyword and item link
};

// Values as the dialog sets them when it opens. Texts are GBK bytes.
struct SearchState {
    // Written by the radio buttons at any time, read by the worker.
    std::atomic<std::int32_t> m_searchMode{kModeKeyword};

    // Copies of the form fields, taken when a search starts.
    std::string m_keyword;
    std::string m_sellerName;
    std::string m_itemLink;

    // The current item: its rank text and the five texts of its row.
    std::string m_rankText;
    std::string m_itemTitle;
    std::string m_itemHref;
    std::string m_itemSeller;
    std::string m_itemPrice;
    std::string m_itemSales;

    // The cleaned page being analysed (bytes as served) and the address of
    // the first result page.
    std::string m_pageText;
    std::string m_searchUrl;

    // Working files in the current directory, never changed.
    std::string m_fetchFile = "data.html";
    std::string m_cleanFile = "data_backup.html";

    // Memory of the page cleaning, kept from page to page and from search
    // to search. Used by the worker alone, and by the helper that cleans a
    // page while the worker waits for it.
    CleaningBuffers m_cleaningBuffers;

    // Scratch copy of the status line's text.
    std::string m_statusText;

    // Set by Stop and by closing the window; cleared by a run as it starts.
    std::atomic<bool> m_stopRequested{false};

    // 1-based number of the result page being analysed.
    std::int32_t m_pageNumber = 0;
};

}  // namespace sorvik
