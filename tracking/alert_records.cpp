#include "alert_records.h"

#include <deque>
#include <fstream>
#include <nlohmann/json.hpp>

#include "file_names.h"
#include "robot_message.h"

namespace sorvik {
namespace {

constexpr AlertKind kKinds[] = {AlertKind::LeftTop, AlertKind::Dropped, AlertKind::NewRival,
                                AlertKind::Failing};

std::optional<int> OptionalInt(const nlohmann::json& line, const char* field) {
    const auto found = line.find(field);
    if (found == line.end() || !found->is_number_integer()) return std::nullopt;
    return found->get<int>();
}

std::string Text(const nlohmann::json& line, const char* field) {
    const auto found = line.find(field);
    return found != line.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The alert of one line of the file; none when it is none.
std::optional<Alert> AlertOfLine(const std::string& text) {
    const nlohmann::json line = nlohmann::json::parse(text, nullptr, false);
    if (!line.is_object()) return std::nullopt;
    const std::optional<AlertKind> kind = AlertKindOfName(Text(line, "kind"));
    Alert alert;
    alert.keyword = Text(line, "keyword");
    alert.text = Text(line, "text");
    if (!kind || alert.keyword.empty() || alert.text.empty()) return std::nullopt;
    alert.kind = *kind;
    alert.target = Text(line, "target");
    alert.group = Text(line, "group");
    alert.rank = OptionalInt(line, "rank");
    alert.previousRank = OptionalInt(line, "previous_rank");
    alert.checkedAt = Text(line, "checked_at");
    return alert;
}

}  // namespace

std::optional<AlertKind> AlertKindOfName(const std::string& name) {
    for (AlertKind kind : kKinds)
        if (name == AlertKindName(kind)) return kind;
    return std::nullopt;
}

std::vector<Alert> ReadAlertFile(const std::string& path, int& skipped) {
    skipped = 0;
    std::deque<Alert> alerts;
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    std::string text;
    while (std::getline(file, text)) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty()) continue;
        std::optional<Alert> alert = AlertOfLine(text);
        if (!alert) {
            ++skipped;
            continue;
        }
        alerts.push_back(std::move(*alert));
        if (alerts.size() > kMaxReadAlerts) alerts.pop_front();
    }
    return {alerts.begin(), alerts.end()};
}

std::string AlertKindWords(AlertKind kind, int topN) {
    switch (kind) {
        case AlertKind::LeftTop:
            return "跌出前" + std::to_string(topN) + "名";
        case AlertKind::Dropped:
            return "大幅下跌";
        case AlertKind::NewRival:
            return "新对手";
        case AlertKind::Failing:
            break;
    }
    return "连续失败";
}

std::string AlertNotice(const std::vector<Alert>& alerts) {
    if (alerts.empty()) return std::string();
    std::string notice = alerts.front().text;
    if (alerts.size() > 1) notice += " 等 " + std::to_string(alerts.size()) + " 条";
    return notice;
}

std::string RobotAddressProblem(const std::string& webhook) {
    std::string error;
    if (RobotAddressOf(webhook, error)) return std::string();
    for (unsigned char c : webhook)
        if (c <= ' ' || c == 0x7f) return "群机器人地址中不能有空格或控制字符。";
    const std::size_t schemeEnd = webhook.find("://");
    std::string scheme =
        schemeEnd == std::string::npos ? std::string() : webhook.substr(0, schemeEnd);
    for (char& c : scheme)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (scheme != "https")
        return "群机器人地址必须以 https:// 开头（用 http 发送的提醒在途中可能被人看到）。";
    return "群机器人地址既不是钉钉机器人（oapi.dingtalk.com）也不是企业微信机器人"
           "（qyapi.weixin.qq.com）的地址。";
}

}  // namespace sorvik
