#include "page_fetch.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "background_cleaning.h"
#include "file_replacement.h"

namespace sorvik {
namespace {

constexpr auto kPauseAfterDownload = std::chrono::milliseconds(500);
constexpr auto kPauseAfterCleaning = std::chrono::milliseconds(100);

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// curl_global_init is not thread-safe in older libcurl; run it once, early.
void InitCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return static_cast<FileReplacement*>(file)->Write(data, size * count);
}

}  // namespace

bool DownloadToFile(const std::string& url, const std::string& fileName) {
    InitCurlOnce();
    std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (!curl) return false;
    // A download that fails half way leaves what it received.
    FileReplacement file(fileName);
    if (!file.IsOpen()) return false;

    curl_slist* rawHeaders = curl_slist_append(nullptr, "Cache-Control: no-cache");
    rawHeaders = rawHeaders ? curl_slist_append(rawHeaders, "Pragma: no-cache") : nullptr;
    std::unique_ptr<curl_slist, SlistCleanup> headers(rawHeaders);
    if (!headers) return false;

    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());  // libcurl never sends the fragment
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &file);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);

    if (curl_easy_perform(h) != CURLE_OK) return false;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) return false;
    return file.Finish();
}

bool DownloadPage(const std::string& url, const std::string& file) {
    const bool ok = DownloadToFile(url, file);
    std::this_thread::sleep_for(kPauseAfterDownload);
    return ok;
}

PageLoad LoadResultPage(SearchState& state, const std::string& url, bool stopTests) {
    auto stopped = [&] { return stopTests && state.m_stopRequested.load(); };

    if (!DownloadToFile(url, state.m_fetchFile)) {
        std::this_thread::sleep_for(kPauseAfterDownload);
        return {PageLoadResult::DownloadFailed, 0};
    }
    // The page is cleaned while the pause goes by, in memory only. What the
    // cleaning writes is written after the stop test that follows the pause,
    // where a cleaning run then would write it; a stop drops it unwritten,
    // as if it had never run.
    BackgroundCleaning cleaning(state.m_cleanFile, state.m_fetchFile, state.m_cleaningBuffers);
    std::this_thread::sleep_for(kPauseAfterDownload);
    if (stopped()) return {PageLoadResult::Stopped, 0};
    const int tidyStatus = cleaning.Take().Commit();
    std::this_thread::sleep_for(kPauseAfterCleaning);
    if (stopped()) return {PageLoadResult::Stopped, tidyStatus};

    // The page text keeps its capacity from page to page.
    ReadWholeFile(state.m_cleanFile, state.m_pageText);
    if (stopped()) return {PageLoadResult::Stopped, tidyStatus};
    return {PageLoadResult::Loaded, tidyStatus};
}

}  // namespace sorvik
