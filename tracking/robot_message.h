// The text messages of the group robots of DingTalk and WeCom, the robot a
// webhook address belongs to, and DingTalk's signed address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sorvik {

enum class RobotKind : std::uint8_t {
    DingTalk,  // https://oapi.dingtalk.com/robot/send?access_token=...
    WeCom,     // https://qyapi.weixin.qq.com/cgi-bin/webhook/send?key=...
};

struct RobotAddress {
    RobotKind kind = RobotKind::DingTalk;
    std::string url;
};

// Test hook: when this environment variable is "1", an http:// address of
// 127.0.0.1 is taken too, as DingTalk's robot when its path starts with
// /robot/send and as WeCom's when it starts with /cgi-bin/webhook/send, so
// that tests can stand a local server in for the robot. Never set it in use.
constexpr const char* kAllowHttpLoopbackVariable = "SORVIK_WEBHOOK_ALLOW_HTTP_LOOPBACK";

// The robot of `webhook`: an https:// address of oapi.dingtalk.com or
// qyapi.weixin.qq.com (host without user or port). No value, and `error`
// set (English), for any other address, for http://, and for an address
// with blanks or control characters.
std::optional<RobotAddress> RobotAddressOf(const std::string& webhook, std::string& error);

// The text message both robots take: {"msgtype":"text","text":{"content":...}}.
std::string RobotTextMessage(const std::string& content);

// DingTalk's signature of a message sent at `milliseconds` (since
// 1970-01-01 UTC) under `secret`: Base64(HMAC-SHA256(secret,
// milliseconds + "\n" + secret)), not yet URL-encoded.
std::string DingTalkSignature(const std::string& secret, std::int64_t milliseconds);

// The address to post to: `robot.url` as it is, or for DingTalk with a
// secret, with &timestamp=MS&sign=SIGNATURE appended (URL-encoded). WeCom's
// robot has no signing: its secret is not used.
std::string SignedRobotUrl(const RobotAddress& robot, const std::string& secret,
                           std::int64_t milliseconds);

// `text` with every byte but A-Z a-z 0-9 - . _ ~ written as %XX.
std::string UrlEncode(const std::string& text);

}  // namespace sorvik
