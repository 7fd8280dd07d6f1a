#include "robot_message.h"

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "hmac_sha256.h"

namespace sorvik {
namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool LoopbackHookOn() {
    const char* value = std::getenv(kAllowHttpLoopbackVariable);
    return value && std::string(value) == "1";
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

std::optional<RobotAddress> RobotAddressOf(const std::string& webhook, std::string& error) {
    for (unsigned char c : webhook) {
        if (c <= ' ' || c == 0x7f) {
            error = "the webhook address holds a blank or a control character";
            return std::nullopt;
        }
    }
    const std::size_t schemeEnd = webhook.find("://");
    if (schemeEnd == std::string::npos) {
        error = "the webhook address is no https:// address: " + webhook;
        return std::nullopt;
    }
    const std::string scheme = Lower(webhook.substr(0, schemeEnd));
    const std::size_t hostStart = schemeEnd + 3;
    std::size_t hostEnd = webhook.find_first_of("/?#", hostStart);
    if (hostEnd == std::string::npos) hostEnd = webhook.size();
    const std::string host = Lower(webhook.substr(hostStart, hostEnd - hostStart));
    const std::string rest = webhook.substr(hostEnd);

    RobotAddress robot;
    robot.url = webhook;
    if (LoopbackHookOn() && scheme == "http" && StartsWith(host, "127.0.0.1:")) {
        if (StartsWith(rest, "/robot/send")) return robot;
        robot.kind = RobotKind::WeCom;
        if (StartsWith(rest, "/cgi-bin/webhook/send")) return robot;
    }
    if (scheme != "https") {
        error = "the webhook address must start with https:// (a message sent over " + scheme +
                " could be read on the way): " + webhook;
        return std::nullopt;
    }
    if (host == "oapi.dingtalk.com") {
        robot.kind = RobotKind::DingTalk;
        return robot;
    }
    if (host == "qyapi.weixin.qq.com") {
        robot.kind = RobotKind::WeCom;
        return robot;
    }
    error =
        "the webhook address is neither a DingTalk robot (oapi.dingtalk.com) nor a WeCom "
        "robot (qyapi.weixin.qq.com): " +
        webhook;
    return std::nullopt;
}

std::string RobotTextMessage(const std::string& content) {
    nlohmann::json message = {{"msgtype", "text"}, {"text", {{"content", content}}}};
    // A text that is not UTF-8 is sent with its bad bytes replaced rather
    // than not at all.
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string DingTalkSignature(const std::string& secret, std::int64_t milliseconds) {
    const std::string toSign = std::to_string(milliseconds) + "\n" + secret;
    const Sha256Digest digest = HmacSha256(secret, toSign);
    return Base64(std::string(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

std::string SignedRobotUrl(const RobotAddress& robot, const std::string& secret,
                           std::int64_t milliseconds) {
    if (robot.kind != RobotKind::DingTalk || secret.empty()) return robot.url;
    const char joint = robot.url.find('?') == std::string::npos ? '?' : '&';
    return robot.url + joint + "timestamp=" + std::to_string(milliseconds) +
           "&sign=" + UrlEncode(DingTalkSignature(secret, milliseconds));
}

std::string UrlEncode(const std::string& text) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kDigits[c >> 4];
            encoded += kDigits[c & 15];
        }
    }
    return encoded;
}

}  // namespace sorvik
