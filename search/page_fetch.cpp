#include "page_fetch.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "background_cleaning.h"
#include "file_replacement.h"

namespace sorvik {
namespace {

constexpr auto kPauseAfterDownload = std::chrono::milliseconds(500);
constexpr auto kPauseAfterCleaning = std::chrono::milliseconds(100);
// How long a transfer waits for its sockets before it looks at the stop
// flag again: the most a stop request waits for the transfer to end.
constexpr int kStopPollMs = 25;

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Keeps an easy handle in a multi handle for the length of one transfer.
class MultiTransfer {
  public:
    MultiTransfer(CURLM* multi, CURL* easy) : m_multi(multi), m_easy(easy) {
        m_added = curl_multi_add_handle(multi, easy) == CURLM_OK;
    }
    ~MultiTransfer() {
        if (m_added) curl_multi_remove_handle(m_multi, m_easy);
    }
    MultiTransfer(const MultiTransfer&) = delete;
    MultiTransfer& operator=(const MultiTransfer&) = delete;
    bool Added() const { return m_added; }

  private:
    CURLM* m_multi;
    CURL* m_easy;
    bool m_added = false;
};

// curl_global_init is not thread-safe in older libcurl; run it once, early.
void InitCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

// Where the body goes, and how much of it has come.
struct BodySink {
    FileReplacement& file;
    std::size_t received = 0;
    bool tooLarge = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* sink) {
    auto& body = *static_cast<BodySink*>(sink);
    const std::size_t bytes = size * count;
    if (bytes > kMaxPageBytes - body.received) {
        body.tooLarge = true;
        return 0;  // ends the transfer as a write error
    }
    body.received += bytes;
    return body.file.Write(data, bytes);
}

Download Failure(std::string why) {
    return {DownloadStatus::Failed, std::move(why)};
}

std::string TooLarge() {
    return "the page is larger than " + std::to_string(kMaxPageBytes >> 20) + " MB";
}

std::string TookTooLong(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    return "the page took longer than " +
           (ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms") +
           " to download";
}

// How a transfer that did not run to its end was ended.
enum class TransferEnd { Ran, Stopped, TimedOut };

// Runs the transfer of `easy` to its end, until `*stop` is set or until
// `deadline`. Returns the transfer's result; `end` tells a stop and the
// deadline apart.
CURLcode Perform(CURL* easy, const std::atomic<bool>* stop,
                 std::chrono::steady_clock::time_point deadline, TransferEnd& end) {
    end = TransferEnd::Ran;
    std::unique_ptr<CURLM, MultiCleanup> multi(curl_multi_init());
    if (!multi) return CURLE_OUT_OF_MEMORY;
    MultiTransfer transfer(multi.get(), easy);
    if (!transfer.Added()) return CURLE_FAILED_INIT;
    for (int running = 1;;) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) return CURLE_FAILED_INIT;
        if (running == 0) break;
        if (stop && stop->load()) {
            end = TransferEnd::Stopped;
            return CURLE_ABORTED_BY_CALLBACK;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            end = TransferEnd::TimedOut;
            return CURLE_OPERATION_TIMEDOUT;
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, kStopPollMs, nullptr) != CURLM_OK)
            return CURLE_FAILED_INIT;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
            return message->data.result;
    }
    return CURLE_FAILED_INIT;
}

}  // namespace

Download DownloadToFile(const std::string& url, const std::string& fileName,
                        const std::atomic<bool>* stop, std::chrono::milliseconds timeLimit) {
    // The limit counts from here, so that it holds whatever the set-up costs.
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    InitCurlOnce();
    std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (!curl) return Failure("the download cannot be set up");
    // A download that fails half way leaves what it received.
    FileReplacement file(fileName);
    if (!file.IsOpen())
        return Failure("cannot write " + fileName + ": " + std::strerror(file.Error()));

    curl_slist* rawHeaders = curl_slist_append(nullptr, "Cache-Control: no-cache");
    rawHeaders = rawHeaders ? curl_slist_append(rawHeaders, "Pragma: no-cache") : nullptr;
    std::unique_ptr<curl_slist, SlistCleanup> headers(rawHeaders);
    if (!headers) return Failure("the download cannot be set up");

    BodySink body{file};
    char errorText[CURL_ERROR_SIZE] = "";
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());  // libcurl never sends the fragment
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
    // A length announced beyond the limit fails before the body comes.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxPageBytes));

    TransferEnd end = TransferEnd::Ran;
    const CURLcode result = Perform(h, stop, deadline, end);
    if (end == TransferEnd::Stopped) return {DownloadStatus::Stopped, std::string()};
    if (end == TransferEnd::TimedOut) return Failure(TookTooLong(timeLimit));
    if (body.tooLarge || result == CURLE_FILESIZE_EXCEEDED) return Failure(TooLarge());
    if (result == CURLE_WRITE_ERROR && file.Error() != 0)
        return Failure("cannot write " + fileName + ": " + std::strerror(file.Error()));
    if (result != CURLE_OK) return Failure(*errorText ? errorText : curl_easy_strerror(result));
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400)
        return Failure("the server answered with HTTP status " + std::to_string(status));
    if (!file.Finish())
        return Failure("cannot write " + fileName + ": " + std::strerror(file.Error()));
    return {DownloadStatus::Done, std::string()};
}

bool DownloadPage(const std::string& url, const std::string& file) {
    const bool ok = DownloadToFile(url, file).status == DownloadStatus::Done;
    std::this_thread::sleep_for(kPauseAfterDownload);
    return ok;
}

PageLoad LoadResultPage(SearchState& state, const std::string& url, bool stopTests,
                        const SearchLimits& limits) {
    auto stopped = [&] { return stopTests && state.m_stopRequested.load(); };

    const Download download = DownloadToFile(
        url, state.m_fetchFile,
        limits.stopDuringDownload == StopDuringDownload::EndTransfer ? &state.m_stopRequested
                                                                     : nullptr,
        limits.pageTimeLimit);
    // A transfer ended by a stop has nothing to wait for.
    if (download.status == DownloadStatus::Stopped) return {PageLoadResult::Stopped, 0, {}};
    if (download.status == DownloadStatus::Failed) {
        std::this_thread::sleep_for(kPauseAfterDownload);
        return {PageLoadResult::DownloadFailed, 0, download.failure};
    }
    // The page is cleaned while the pause goes by, in memory only. What the
    // cleaning writes is written after the stop test that follows the pause,
    // where a cleaning run then would write it; a stop drops it unwritten,
    // as if it had never run.
    BackgroundCleaning cleaning(state.m_cleanFile, state.m_fetchFile, state.m_cleaningBuffers);
    std::this_thread::sleep_for(kPauseAfterDownload);
    if (stopped()) return {PageLoadResult::Stopped, 0, {}};
    const int tidyStatus = cleaning.Take().Commit();
    std::this_thread::sleep_for(kPauseAfterCleaning);
    if (stopped()) return {PageLoadResult::Stopped, tidyStatus, {}};

    // The page text keeps its capacity from page to page.
    ReadWholeFile(state.m_cleanFile, state.m_pageText);
    if (stopped()) return {PageLoadResult::Stopped, tidyStatus, {}};
    return {PageLoadResult::Loaded, tidyStatus, {}};
}

}  // namespace sorvik
