// Sends one text message to a group robot over HTTPS.
#pragma once

#include <chrono>
#include <string>

#include "robot_message.h"

namespace sorvik {

// The longest one attempt to post a message may take.
constexpr std::chrono::milliseconds kWebhookTimeLimit{10000};

struct WebhookResult {
    bool sent = false;
    int attempts = 0;
    std::string failure;  // why it was not sent, in English, when not sent
};

// Posts `content` as a text message to `robot` (signed with `secret` for
// DingTalk, when one is given) as application/json in UTF-8. The robot
// took it when it answers with an HTTP status of 2xx and {"errcode":0}; a
// refused connection, an HTTP error, another errcode or no answer within
// `timeLimit` fails the attempt, and a failed attempt is made once more.
// Never throws; takes at most twice `timeLimit` (and the time to set up a
// transfer).
WebhookResult PostRobotMessage(const RobotAddress& robot, const std::string& secret,
                               const std::string& content,
                               std::chrono::milliseconds timeLimit = kWebhookTimeLimit);

}  // namespace sorvik
