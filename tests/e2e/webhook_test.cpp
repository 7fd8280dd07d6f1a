// Posting a message to a group robot, against a robot of the tests' own on
// 127.0.0.1: a message taken, refused by the robot or by HTTP, a robot that
// does not answer and an address nobody listens on.
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "robot_server.h"
#include "webhook_post.h"

namespace sorvik {
namespace test {
namespace {

using namespace std::chrono_literals;
using Answer = RobotServer::Answer;

TEST(Webhook, PostsOneMessageAndReportsEveryKindOfFailureAfterOneRetry) {
    {
        RobotServer robot;
        const RobotAddress ding{RobotKind::DingTalk, robot.DingTalkUrl()};
        const WebhookResult sent = PostRobotMessage(ding, "SECret", "连衣裙：排名下降");
        EXPECT_TRUE(sent.sent) << sent.failure;
        EXPECT_EQ(sent.attempts, 1);
        const WebhookResult wecom =
            PostRobotMessage({RobotKind::WeCom, robot.WeComUrl()}, "SECret", "第二条");
        EXPECT_TRUE(wecom.sent) << wecom.failure;
        const std::vector<RobotServer::Post> posts = robot.Posts();
        ASSERT_EQ(posts.size(), 2u);
        EXPECT_EQ(posts[0].contentType, "application/json; charset=utf-8");
        EXPECT_EQ(
            nlohmann::json::parse(posts[0].body),
            (nlohmann::json{{"msgtype", "text"}, {"text", {{"content", "连衣裙：排名下降"}}}}));
        // DingTalk's message is signed at the moment it is sent; WeCom's not.
        ASSERT_FALSE(posts[0].timestamp.empty());
        EXPECT_EQ(posts[0].sign, DingTalkSignature("SECret", std::stoll(posts[0].timestamp)));
        const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
        EXPECT_LE(std::llabs(now - std::stoll(posts[0].timestamp)), 60000);
        EXPECT_EQ(posts[1].path, "/cgi-bin/webhook/send");
        EXPECT_EQ(posts[1].timestamp, "");
    }
    for (const auto& [answer, says] :
         {std::pair{Answer::RobotError, "errcode 310000"},
          std::pair{Answer::HttpError, "HTTP status 500"}, std::pair{Answer::Hang, "timed out"}}) {
        RobotServer robot(answer);
        const auto start = std::chrono::steady_clock::now();
        const WebhookResult failed =
            PostRobotMessage({RobotKind::DingTalk, robot.DingTalkUrl()}, "", "x", 300ms);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(failed.sent);
        EXPECT_EQ(failed.attempts, 2);
        EXPECT_NE(failed.failure.find(says), std::string::npos) << failed.failure;
        EXPECT_NE(failed.failure.find("DingTalk"), std::string::npos) << failed.failure;
        EXPECT_EQ(robot.Posts().size(), 2u);
        EXPECT_LT(took, 2s);
    }
    std::string nobody;
    {
        RobotServer gone;
        nobody = gone.WeComUrl();
    }
    const auto start = std::chrono::steady_clock::now();
    const WebhookResult refused = PostRobotMessage({RobotKind::WeCom, nobody}, "", "x", 300ms);
    EXPECT_FALSE(refused.sent);
    EXPECT_EQ(refused.attempts, 2);
    EXPECT_NE(refused.failure.find("WeCom"), std::string::npos) << refused.failure;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace test
}  // namespace sorvik
