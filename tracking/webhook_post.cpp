#include "webhook_post.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>

namespace sorvik {
namespace {

// What a robot may answer: a few hundred bytes. More is cut off.
constexpr std::size_t kMaxAnswerBytes = std::size_t{64} * 1024;

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

void InitCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

std::size_t KeepAnswer(char* data, std::size_t size, std::size_t count, void* answer) {
    auto* text = static_cast<std::string*>(answer);
    const std::size_t bytes = size * count;
    if (text->size() < kMaxAnswerBytes)
        text->append(data, std::min(bytes, kMaxAnswerBytes - text->size()));
    return bytes;
}

const char* RobotName(RobotKind kind) {
    return kind == RobotKind::DingTalk ? "DingTalk robot" : "WeCom robot";
}

std::int64_t NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Why the robot did not take the message in its answer `body`; empty when
// it did.
std::string AnswerProblem(const std::string& body) {
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    if (!answer.is_object() || !answer.contains("errcode") ||
        !answer["errcode"].is_number_integer())
        return "an answer without errcode";
    if (answer["errcode"].get<long long>() == 0) return std::string();
    std::string problem = "errcode " + std::to_string(answer["errcode"].get<long long>());
    if (answer.contains("errmsg") && answer["errmsg"].is_string())
        problem += " (" + answer["errmsg"].get<std::string>() + ")";
    return problem;
}

// One attempt; empty when the robot took the message, else why not.
std::string PostOnce(const RobotAddress& robot, const std::string& secret, const std::string& body,
                     std::chrono::milliseconds timeLimit) {
    InitCurlOnce();
    std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    std::unique_ptr<curl_slist, SlistCleanup> headers(
        curl_slist_append(nullptr, "Content-Type: application/json; charset=utf-8"));
    if (!curl || !headers) return "libcurl could not be set up";
    const std::string url = SignedRobotUrl(robot, secret, NowMilliseconds());
    // Only the address's own scheme: an https:// address never goes out in
    // plain text, and no redirect is followed.
    const bool plain = url.rfind("http://", 0) == 0;
    std::string answer;
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, plain ? "http" : "https");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, KeepAnswer);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS,
                     std::max<long>(1, static_cast<long>(timeLimit.count())));
    curl_easy_setopt(h, CURLOPT_NOPROXY, "127.0.0.1");
    const CURLcode result = curl_easy_perform(h);
    if (result != CURLE_OK) return *errorText ? errorText : curl_easy_strerror(result);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) return "HTTP status " + std::to_string(status);
    return AnswerProblem(answer);
}

}  // namespace

WebhookResult PostRobotMessage(const RobotAddress& robot, const std::string& secret,
                               const std::string& content, std::chrono::milliseconds timeLimit) {
    WebhookResult result;
    try {
        const std::string body = RobotTextMessage(content);
        std::string problem;
        for (result.attempts = 1; result.attempts <= 2; ++result.attempts) {
            problem = PostOnce(robot, secret, body, timeLimit);
            if (problem.empty()) {
                result.sent = true;
                return result;
            }
        }
        result.attempts = 2;
        result.failure = std::string("the ") + RobotName(robot.kind) +
                         " did not take the message after 2 attempts: " + problem;
    } catch (const std::exception& e) {
        result.failure = std::string("the message could not be sent: ") + e.what();
    }
    return result;
}

}  // namespace sorvik
