// The state of the current search, shared by the window thread and the
// search worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "search_mode.h"
#include "tidy_page.h"

namespace sorvik {

// Values as the dialog sets them when it opens. Texts are GBK bytes.
//
// Threads meet here: the window thread, the search worker (one run at a
// time, see WorkerTracker::RunLock) and the helper that cleans a page for
// the worker. Each group says what guards it. A front end may set any field
// when its window opens, before a worker starts; after that, the window
// thread touches the first group only.
struct SearchState {
    // --- Shared between threads ---

    // Atomic. Written by the radio buttons at any time, also while a search
    // runs; read by the worker at validation and at every item.
    std::atomic<std::int32_t> m_searchMode{kModeKeyword};

    // Atomic. Set by Stop and by closing the window; cleared by a run as it
    // starts; tested by the worker between steps and at every node.
    std::atomic<bool> m_stopRequested{false};

    // Scratch copy of the status line's text. Both threads run
    // AppendStoppedMark; the window's exclusive section (RunExclusive)
    // keeps their uses apart.
    std::string m_statusText;

    // Memory of the page cleaning, kept from page to page and from search
    // to search. The worker's, lent to the helper that cleans a page while
    // the worker waits out the pause: the worker leaves it alone until it
    // has taken the cleaning back (BackgroundCleaning).
    CleaningBuffers m_cleaningBuffers;

    // --- Worker only ---

    // Copies of the form fields, taken when a search starts.
    std::string m_keyword;
    std::string m_sellerName;
    std::string m_itemLink;
    // The keyword's first character that GBK cannot hold, noted by the
    // front end as it converted the form; the form check refuses on it.
    std::string m_keywordOutsideGbk;

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

    // 1-based number of the result page being analysed.
    std::int32_t m_pageNumber = 0;

    // --- Set when the window opens, then only read ---

    // Working files in the current directory.
    std::string m_fetchFile = "data.html";
    std::string m_cleanFile = "data_backup.html";
};

}  // namespace sorvik
