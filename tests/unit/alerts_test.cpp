// The alerts after a check on made-up histories, their JSON lines, the
// robots' messages and signature, the hashes under them, and the alert
// settings.
#include "alerts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "alert_records.h"
#include "hmac_sha256.h"
#include "robot_message.h"
#include "test_environment.h"
#include "tracker_files.h"
#include "tracker_folder.h"

namespace sorvik {
namespace {

constexpr int kFailed = -1;   // a check that failed to download
constexpr int kStopped = -2;  // a check the user stopped

// One check per entry: a rank, 0 for a completed check that did not find
// the item, kFailed or kStopped.
std::vector<CheckPoint> History(const std::vector<int>& ranks) {
    std::vector<CheckPoint> checks;
    std::int64_t when = 1765000000;
    for (int rank : ranks) {
        CheckPoint point;
        point.when = when += 3600;
        point.rank = rank > 0 ? rank : 0;
        point.outcome = rank > 0          ? CheckOutcome::Found
                        : rank == 0       ? CheckOutcome::NotFound
                        : rank == kFailed ? CheckOutcome::DownloadFailed
                                          : CheckOutcome::Stopped;
        checks.push_back(point);
    }
    return checks;
}

SummaryRecord Check(int rank) {
    SummaryRecord summary;
    summary.keyword = "连衣裙";
    summary.target = "深夜小铺";
    summary.mode = 2;
    summary.checkedAt = "2026-12-08T15:04:05+08:00";
    summary.outcome = rank > 0          ? CheckOutcome::Found
                      : rank == 0       ? CheckOutcome::NotFound
                      : rank == kFailed ? CheckOutcome::DownloadFailed
                                        : CheckOutcome::Stopped;
    if (rank > 0) summary.rank = rank;
    return summary;
}

// The kinds raised, by name.
std::vector<std::string> Kinds(const std::vector<Alert>& alerts) {
    std::vector<std::string> kinds;
    for (const Alert& alert : alerts) kinds.push_back(AlertKindName(alert.kind));
    return kinds;
}

std::vector<std::string> KindsAfter(const std::vector<int>& before, int rank, int topN = 40) {
    return Kinds(AlertsOf(Check(rank), History(before), nullptr, nullptr, topN));
}

using Names = std::vector<std::string>;

TEST(Alerts, RankAlertsCompareCompletedChecksAgainstTheLinesUsualSwing) {
    // A stable line that drops: the sentence says from where to where.
    const std::vector<Alert> dropped =
        AlertsOf(Check(31), History({12, 12, 13, 12, 12}), nullptr, nullptr, 40);
    ASSERT_EQ(Kinds(dropped), Names{"dropped"});
    EXPECT_EQ(dropped[0].rank, 31);
    EXPECT_EQ(dropped[0].previousRank, 12);
    EXPECT_EQ(dropped[0].text, "连衣裙 / 深夜小铺：排名从第 12 名跌到第 31 名");
    EXPECT_EQ(dropped[0].checkedAt, "2026-12-08T15:04:05+08:00");
    // At least five places, and more than twice the swing (median 1 here).
    EXPECT_EQ(KindsAfter({12, 12, 13, 12, 12}, 16), Names{});
    EXPECT_EQ(KindsAfter({12, 12, 13, 12, 12}, 17), Names{"dropped"});
    EXPECT_EQ(KindsAfter({10, 14, 10, 14, 10}, 18), Names{});  // swing 4: 8 is not more
    EXPECT_EQ(KindsAfter({10, 14, 10, 14, 10}, 19), Names{"dropped"});
    // A noisy line swings by about 18 places without alerting.
    EXPECT_EQ(KindsAfter({10, 30, 12, 28, 11}, 29), Names{});
    // Only the last 14 completed checks give the swing: a calm past does
    // not make the line's recent noise alert.
    std::vector<int> calmThenNoisy(20, 12);
    for (int i = 0; i < 14; ++i) calmThenNoisy.push_back(i % 2 == 0 ? 10 + i % 3 : 28 + i % 3);
    EXPECT_EQ(KindsAfter(calmThenNoisy, calmThenNoisy.back() + 20, 100), Names{});
    // Too few checks to tell a swing: five places are enough.
    EXPECT_EQ(KindsAfter({12}, 17), Names{"dropped"});
    EXPECT_EQ(KindsAfter({12, 30}, 35), Names{"dropped"});
    EXPECT_EQ(KindsAfter({12}, 16), Names{});
    // Moving up raises nothing.
    EXPECT_EQ(KindsAfter({31, 30, 31}, 3), Names{});

    // Leaving the top places: not found, or ranked below them.
    const std::vector<Alert> left = AlertsOf(Check(0), History({12}), nullptr, nullptr, 40);
    ASSERT_EQ(Kinds(left), Names{"left_top"});
    EXPECT_EQ(left[0].rank, std::nullopt);
    EXPECT_EQ(left[0].previousRank, 12);
    EXPECT_EQ(left[0].text, "连衣裙 / 深夜小铺：排名从第 12 名跌出前 40 名（这次没有找到）");
    EXPECT_EQ(KindsAfter({39, 38, 39, 40}, 41), Names{"left_top"});
    EXPECT_EQ(KindsAfter({40}, 45), (Names{"left_top", "dropped"}));
    EXPECT_EQ(KindsAfter({41}, 90), Names{"dropped"});  // was not in the top 40
    EXPECT_EQ(KindsAfter({8}, 12, 10), Names{"left_top"});
    EXPECT_EQ(KindsAfter({0}, 0), Names{});

    // Failed and stopped checks are passed over: the check before is the
    // last completed one.
    EXPECT_EQ(KindsAfter({12, kFailed, kStopped}, 31), Names{"dropped"});
    // A failed check never raises a rank alert.
    EXPECT_EQ(KindsAfter({12}, kFailed), Names{});
    EXPECT_EQ(KindsAfter({}, 90), Names{});
}

TEST(Alerts, OnlyTwoFailuresInARowRaiseFailing) {
    EXPECT_EQ(KindsAfter({12}, kFailed), Names{});
    EXPECT_EQ(KindsAfter({kFailed, 12}, kFailed), Names{});
    EXPECT_EQ(KindsAfter({kFailed}, 12), Names{});
    EXPECT_EQ(KindsAfter({kFailed}, kStopped), Names{});
    EXPECT_EQ(KindsAfter({kStopped}, kFailed), Names{});
    EXPECT_EQ(KindsAfter({kStopped, kStopped}, kStopped), Names{});
    EXPECT_EQ(KindsAfter({kFailed, kStopped}, kFailed), Names{"failing"});
    const std::vector<Alert> failing =
        AlertsOf(Check(kFailed), History({12, kFailed}), nullptr, nullptr, 40);
    ASSERT_EQ(Kinds(failing), Names{"failing"});
    EXPECT_EQ(failing[0].text, "连衣裙 / 深夜小铺：连续两次检查失败");
    // A keyword-only line fails the same way, and names no target.
    SummaryRecord keywordOnly = Check(kFailed);
    keywordOnly.target.reset();
    keywordOnly.mode = 1;
    const std::vector<Alert> alone =
        AlertsOf(keywordOnly, History({kFailed}), nullptr, nullptr, 40);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0].text, "连衣裙：连续两次检查失败");
}

// A stored check of the line 连衣裙 / 深夜小铺 that saw `sellers` in rank
// order and found the seller's item at `rank`.
StoredCheck Stored(const std::vector<std::string>& sellers, int rank) {
    StoredCheck check;
    check.keyword = "连衣裙";
    check.target = "深夜小铺";
    check.mode = 2;
    check.outcome = CheckOutcome::Found;
    check.rank = rank;
    for (std::size_t i = 0; i < sellers.size(); ++i) {
        SeenRow row;
        row.rank = static_cast<std::int32_t>(i + 1);
        row.page = 1;
        row.itemId = std::to_string(1000 + i);
        row.seller = sellers[i];
        check.rows.push_back(row);
    }
    return check;
}

TEST(Alerts, ANewSellerRightAboveIsARivalAndTheUsersOwnNeverIs) {
    // The found row's seller is written "深夜 小铺" by the marketplace.
    const StoredCheck before = Stored({"甲", "乙", "丙", "丁", "戊", "深夜 小铺"}, 6);
    const StoredCheck now =
        Stored({"甲", "庚", "乙", "丙", "辛", "深夜 小铺", "辛", "深夜 小铺"}, 8);
    const std::vector<Alert> alerts = AlertsOf(Check(8), History({6}), &now, &before, 40);
    // 庚 is new but not within the five places above; 辛 once, at its best;
    // the user's own second item never.
    ASSERT_EQ(Kinds(alerts), Names{"new_rival"});
    EXPECT_EQ(alerts[0].text, "连衣裙 / 深夜小铺：新对手 辛 排到你前面第 5 名");
    EXPECT_EQ(alerts[0].rank, 8);
    EXPECT_EQ(alerts[0].previousRank, 6);
    // The seller the line looks for is the user's, however it is written.
    const StoredCheck named = Stored({"甲", "乙", "丙", "深夜小铺", "深夜 小铺"}, 5);
    EXPECT_EQ(Kinds(AlertsOf(Check(5), History({6}), &named, &before, 40)), Names{});
    // No store, or no completed check before in it: no such alert.
    EXPECT_EQ(Kinds(AlertsOf(Check(8), History({6}), &now, nullptr, 40)), Names{});
    // A check that did not find the item has nothing right above it.
    StoredCheck lost = Stored({"甲", "壬", "乙"}, 1);
    lost.outcome = CheckOutcome::NotFound;
    lost.rank.reset();
    EXPECT_EQ(Kinds(AlertsOf(Check(0), History({60}), &lost, &before, 40)), Names{});
}

TEST(Alerts, AnAlertIsOneJsonLineWithItsFields) {
    Alert alert;
    alert.keyword = "连衣裙";
    alert.target = "深夜小铺";
    alert.kind = AlertKind::LeftTop;
    alert.previousRank = 12;
    alert.checkedAt = "2026-12-08T15:04:05+08:00";
    alert.text = "连衣裙 / 深夜小铺：排名从第 12 名跌出前 40 名（这次没有找到）";
    const std::string line = FormatAlert(alert);
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(line);
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    EXPECT_EQ(keys,
              (Names{"keyword", "target", "kind", "rank", "previous_rank", "checked_at", "text"}));
    EXPECT_EQ(json["kind"], "left_top");
    EXPECT_TRUE(json["rank"].is_null());
    EXPECT_EQ(json["previous_rank"], 12);
    EXPECT_EQ(json["text"], alert.text);
    alert.target.clear();
    alert.group = "夏季";
    alert.text = "a \"quoted\"\nline \xff";  // not UTF-8 at its end
    const nlohmann::json other = nlohmann::json::parse(FormatAlert(alert));
    EXPECT_TRUE(other["target"].is_null());
    EXPECT_EQ(other["group"], "夏季");
    EXPECT_EQ(other["text"], "a \"quoted\"\nline \xef\xbf\xbd");
}

TEST(Alerts, HashesAndBase64MatchTheirPublishedVectors) {
    EXPECT_EQ(HexOf(Sha256("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexOf(Sha256("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HexOf(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // Where the length no longer fits in the last block, and a whole block.
    EXPECT_EQ(HexOf(Sha256(std::string(55, 'a'))),
              "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(HexOf(Sha256(std::string(56, 'a'))),
              "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(HexOf(Sha256(std::string(64, 'a'))),
              "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
    // RFC 4231, test cases 2 and 6 (a key longer than a block).
    EXPECT_EQ(HexOf(HmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(HexOf(HmacSha256(std::string(131, '\xaa'),
                               "Test Using Larger Than Block-Size Key - Hash Key First")),
              "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    EXPECT_EQ(Base64(""), "");
    EXPECT_EQ(Base64("f"), "Zg==");
    EXPECT_EQ(Base64("fo"), "Zm8=");
    EXPECT_EQ(Base64("foo"), "Zm9v");
    EXPECT_EQ(Base64("\xff\xfe\xfd"), "//79");
}

TEST(Alerts, RobotsAreKnownByTheirAddressAndDingTalksAreSigned) {
    UnsetEnv(kAllowHttpLoopbackVariable);
    std::string error;
    const auto ding =
        RobotAddressOf("https://oapi.dingtalk.com/robot/send?access_token=abc", error);
    ASSERT_TRUE(ding) << error;
    EXPECT_EQ(ding->kind, RobotKind::DingTalk);
    const auto wecom =
        RobotAddressOf("https://QYAPI.weixin.qq.com/cgi-bin/webhook/send?key=k", error);
    ASSERT_TRUE(wecom) << error;
    EXPECT_EQ(wecom->kind, RobotKind::WeCom);
    for (const char* refused :
         {"http://oapi.dingtalk.com/robot/send?access_token=abc", "https://example.com/robot/send",
          "https://oapi.dingtalk.com.evil.cn/robot/send",
          "https://oapi.dingtalk.com@evil.cn/robot/send", "https://oapi.dingtalk.com:8443/x",
          "oapi.dingtalk.com/robot/send", "https://oapi.dingtalk.com/robot/send?a=b c",
          "https://oapi.dingtalk.com/robot/send\r\nX: y", "http://127.0.0.1:9/robot/send"}) {
        error.clear();
        EXPECT_FALSE(RobotAddressOf(refused, error)) << refused;
        EXPECT_FALSE(error.empty()) << refused;
    }
    // The test hook takes http:// on 127.0.0.1 only, the robot by its path.
    SetEnv(kAllowHttpLoopbackVariable, "1");
    EXPECT_EQ(RobotAddressOf("http://127.0.0.1:9/robot/send?access_token=a", error)->kind,
              RobotKind::DingTalk);
    EXPECT_EQ(RobotAddressOf("http://127.0.0.1:9/cgi-bin/webhook/send?key=a", error)->kind,
              RobotKind::WeCom);
    EXPECT_FALSE(RobotAddressOf("http://10.0.0.1:9/robot/send", error));
    EXPECT_FALSE(RobotAddressOf("http://127.0.0.1:9/other", error));
    UnsetEnv(kAllowHttpLoopbackVariable);

    const nlohmann::json message = nlohmann::json::parse(RobotTextMessage("连衣裙 \"跌了\""));
    EXPECT_EQ(message,
              (nlohmann::json{{"msgtype", "text"}, {"text", {{"content", "连衣裙 \"跌了\""}}}}));

    // Worked by hand: base64(hmac_sha256(secret, "1700000000123\n" + secret)).
    EXPECT_EQ(DingTalkSignature("SECabc123测试", 1700000000123),
              "IRUda4N5vyPPUqJIBtYLEnC9k4jjC5bcNapWJc4k0bs=");
    EXPECT_EQ(SignedRobotUrl(*ding, "SECabc123测试", 1700000000123),
              "https://oapi.dingtalk.com/robot/send?access_token=abc&timestamp=1700000000123"
              "&sign=IRUda4N5vyPPUqJIBtYLEnC9k4jjC5bcNapWJc4k0bs%3D");
    EXPECT_EQ(SignedRobotUrl(*ding, "", 1700000000123), ding->url);
    EXPECT_EQ(SignedRobotUrl(*wecom, "SECabc", 1700000000123), wecom->url);
    EXPECT_EQ(UrlEncode("a+b/c=d~"), "a%2Bb%2Fc%3Dd~");
}

TEST(Alerts, TheSettingsKeepTheAlertKeys) {
    const std::filesystem::path dir = MakeTempDirectory("alerts");
    TrackerFiles files(dir.u8string());
    EXPECT_EQ(files.ReadSettings().alertTopN, kDefaultAlertTopN);
    EXPECT_EQ(files.ReadSettings().webhook, "");
    TrackerSettings settings;
    settings.storeDays = 90;
    settings.alertTopN = 20;
    settings.webhook = "https://oapi.dingtalk.com/robot/send?access_token=abc";
    settings.webhookSecret = "SEC1\nstore_days=1";  // no setting of its own
    std::string error;
    ASSERT_TRUE(files.WriteSettings(settings, error)) << error;
    const TrackerSettings read = files.ReadSettings();
    EXPECT_EQ(read.storeDays, 90);
    EXPECT_EQ(read.alertTopN, 20);
    EXPECT_EQ(read.webhook, settings.webhook);
    EXPECT_EQ(read.webhookSecret, "SEC1 store_days=1");
    {
        std::ofstream ini(dir / "tracker.ini", std::ios::binary);
        ini << "[tracker]\r\nalert_top_n=0\r\nwebhook=  https://x/y \r\nwebhook_secret=\r\n";
    }
    EXPECT_EQ(files.ReadSettings().alertTopN, kDefaultAlertTopN);
    EXPECT_EQ(files.ReadSettings().webhook, "https://x/y");
    EXPECT_EQ(files.ReadSettings().webhookSecret, "");
    std::filesystem::remove_all(dir);

#ifndef _WIN32
    // The console finds the window's settings where the window keeps them.
    const char* home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    SetEnv("HOME", "/home/seller");
    SetEnv("XDG_DATA_HOME", "/data");
    EXPECT_EQ(TrackerFolder(), "/data/sorvik");
    SetEnv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(TrackerFolder(), "/home/seller/.local/share/sorvik");
    UnsetEnv("XDG_DATA_HOME");
    EXPECT_EQ(TrackerFolder(), "/home/seller/.local/share/sorvik");
    SetEnv("HOME", oldHome);
#endif
}

}  // namespace
}  // namespace sorvik

namespace sorvik {
namespace {

TEST(Alerts, TheWindowReadsTheFileBackAndSaysWhyARobotAddressCantBeUsed) {
    Alert rival;
    rival.keyword = "连衣裙";
    rival.target = "深夜小铺";
    rival.group = "夏季";
    rival.kind = AlertKind::NewRival;
    rival.rank = 12;
    rival.previousRank = 9;
    rival.checkedAt = "2026-12-08T15:04:05+08:00";
    rival.text = "连衣裙 / 深夜小铺：新对手 shopB 排到你前面";
    Alert failing;
    failing.keyword = "毛衣";
    failing.kind = AlertKind::Failing;
    failing.text = "毛衣：连续两次检查失败";
    const std::filesystem::path dir = MakeTempDirectory("alert-file");
    const std::string path = (dir / "alerts.jsonl").u8string();
    // A damaged line, one of an unknown kind, a blank line, a CRLF end and a
    // half-written last line are no alerts.
    std::ofstream(dir / "alerts.jsonl", std::ios::binary)
        << FormatAlert(rival) << "{\"keyword\":\n"
        << R"({"keyword":"a","kind":"soon","text":"t"})"
        << "\n\n"
        << FormatAlert(failing).insert(FormatAlert(failing).size() - 1, "\r")
        << "{\"keyword\":\"半";
    int skipped = 0;
    const std::vector<Alert> read = ReadAlertFile(path, skipped);
    EXPECT_EQ(skipped, 3);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(FormatAlert(read[0]), FormatAlert(rival));
    EXPECT_EQ(FormatAlert(read[1]), FormatAlert(failing));
    EXPECT_TRUE(ReadAlertFile((dir / "none.jsonl").u8string(), skipped).empty());
    EXPECT_EQ(skipped, 0);

    EXPECT_EQ(AlertKindWords(AlertKind::LeftTop, 20), "跌出前20名");
    EXPECT_EQ(AlertKindWords(AlertKind::Dropped, 20), "大幅下跌");
    EXPECT_EQ(AlertKindWords(AlertKind::NewRival, 20), "新对手");
    EXPECT_EQ(AlertKindWords(AlertKind::Failing, 20), "连续失败");
    EXPECT_EQ(AlertNotice({}), "");
    EXPECT_EQ(AlertNotice({rival}), rival.text);
    EXPECT_EQ(AlertNotice({rival, failing, failing}), rival.text + " 等 3 条");

    EXPECT_EQ(RobotAddressProblem("https://oapi.dingtalk.com/robot/send?access_token=a"), "");
    EXPECT_EQ(RobotAddressProblem("HTTPS://qyapi.weixin.qq.com/cgi-bin/webhook/send?key=k"), "");
    EXPECT_EQ(RobotAddressProblem("http://oapi.dingtalk.com/robot/send?access_token=a")
                  .rfind("群机器人地址必须以 https:// 开头", 0),
              0u);
    EXPECT_EQ(RobotAddressProblem("oapi.dingtalk.com/robot/send").rfind("群机器人地址必须以", 0),
              0u);
    EXPECT_EQ(RobotAddressProblem("https://example.com/robot/send").rfind("群机器人地址既不是", 0),
              0u);
    EXPECT_EQ(RobotAddressProblem("https://oapi.dingtalk.com/robot/send?a b")
                  .rfind("群机器人地址中不能有空格", 0),
              0u);
}

}  // namespace
}  // namespace sorvik
