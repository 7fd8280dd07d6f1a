#include "search_address.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "search_limits.h"
#include "test_environment.h"
#include "test_window.h"

namespace sorvik {
namespace {

std::string Encoded(const std::string& utf8) {
    return EncodeKeyword(Gbk(utf8));
}

TEST(EncodeKeyword, EncodesEveryByteOutsideTheLiteralSet) {
    EXPECT_EQ(Encoded("abc"), "%61%62%63");
    EXPECT_EQ(Encoded("A1"), "%41%31");
    EXPECT_EQ(Encoded("中"), "%E4%B8%AD");
    EXPECT_EQ(Encoded("连衣裙 2013"), "%E8%BF%9E%E8%A1%A3%E8%A3%99%20%32%30%31%33");
    // '&', '=' and '#' would split the keyword off the q value: encoded.
    EXPECT_EQ(Encoded("a&b=c"), "%61%26%62%3D%63");
    EXPECT_EQ(Encoded("H&M#2"), "%48%26%4D%23%32");
    EXPECT_EQ(Encoded("x/y.z"), "%78/%79.%7A");
    EXPECT_EQ(Encoded("-_~+,?%"), "%2D%5F%7E%2B%2C%3F%25");
    EXPECT_EQ(Encoded("a\tb"), "%61%09%62");
    EXPECT_EQ(Encoded("  "), "%20%20");
    EXPECT_EQ(Encoded("'"), "%27");
    EXPECT_EQ(Encoded("!$()*./:;@"), "!$()*./:;@");
    EXPECT_EQ(Encoded(""), "");
}

TEST(EncodeKeyword, KeepsItsLengthLimits) {
    // 5119 literal characters fill the work area exactly.
    const std::string literal5119(5119, '.');
    EXPECT_EQ(EncodeKeyword(literal5119), literal5119);
    // A UTF-8 form of 5121 bytes gives the empty text.
    EXPECT_EQ(EncodeKeyword(std::string(5121, '.')), "");
    // 5120 bytes whose encoding would not fit: refused as a whole, never cut.
    EXPECT_EQ(EncodeKeyword(std::string(5120, '.')), "");
    EXPECT_EQ(EncodeKeyword(std::string(1706, 'a')).size(), 5118u);
    EXPECT_EQ(EncodeKeyword(std::string(1707, 'a')), "");

    // KeywordFits tells ahead which keywords those are, at the same edges.
    EXPECT_TRUE(KeywordFits(literal5119));
    EXPECT_FALSE(KeywordFits(std::string(5120, '.')));
    EXPECT_TRUE(KeywordFits(std::string(1706, 'a')));
    EXPECT_FALSE(KeywordFits(std::string(1707, 'a')));
    EXPECT_TRUE(KeywordFits(std::string(1706, 'a') + "."));
    // A Chinese character is three UTF-8 bytes, nine encoded.
    std::string chinese;
    for (int i = 0; i < 568; ++i) chinese += "中";
    EXPECT_TRUE(KeywordFits(Gbk(chinese)));
    EXPECT_FALSE(KeywordFits(Gbk(chinese + "中")));
    EXPECT_TRUE(KeywordFits(""));
}

TEST(SearchLimits, ThePageTimeLimitIsWholeSecondsFrom1To3600OrAMinute) {
    using std::chrono::seconds;
    EXPECT_EQ(PageTimeLimitOf("2"), seconds(2));
    EXPECT_EQ(PageTimeLimitOf("1"), seconds(1));
    EXPECT_EQ(PageTimeLimitOf("3600"), seconds(3600));
    for (const char* ignored : {"0", "3601", "1.5", "-2", " 2", "2s", "", "99999"})
        EXPECT_EQ(PageTimeLimitOf(ignored), seconds(60)) << ignored;
    EXPECT_EQ(PageTimeLimitOf(nullptr), seconds(60));
}

class AddressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetEnv("TZ", "UTC0");
        UnsetEnv("SORVIK_SEARCH_HOST");
    }
    void TearDown() override { UnsetEnv("SORVIK_SEARCH_HOST"); }
    static constexpr std::int64_t kDec7of2026 = 1796601600;  // 2026-12-07 00:00 UTC
};

TEST_F(AddressTest, DateStampIsTheLocalDate) {
    EXPECT_EQ(MakeDateStamp(kDec7of2026), "20261207");
    EXPECT_EQ(MakeDateStamp(kDec7of2026 - 1), "20261206");
    EXPECT_EQ(MakeDateStamp(0), "19700101");
    SetEnv("TZ", "CST-8");  // China Standard Time, UTC+8, in the form every C library reads
    EXPECT_EQ(MakeDateStamp(kDec7of2026 - 3600), "20261207");  // 07:00 in Shanghai
    // A time whose year cannot be formed gives the empty stamp.
    EXPECT_EQ(MakeDateStamp(INT64_MAX), "");
}

TEST_F(AddressTest, BuildsTheFirstAddressWithTheConfiguredHost) {
    EXPECT_EQ(BuildSearchUrl("abc", kDec7of2026),
              "http://s.taobao.com/search?initiative_id=staobaoz_20261207&tab=all&style=list"
              "&q=%61%62%63");
    SetEnv("SORVIK_SEARCH_HOST", "127.0.0.1:8080");
    EXPECT_EQ(BuildSearchUrl("abc", kDec7of2026),
              "http://127.0.0.1:8080/search?initiative_id=staobaoz_20261207&tab=all"
              "&style=list&q=%61%62%63");
}

TEST_F(AddressTest, OnlyTheDateStampChangesAndKeywordDigitsStay) {
    const std::string a = BuildSearchUrl("x20130404", kDec7of2026);
    const std::string b = BuildSearchUrl("x20130404", kDec7of2026 + 86400);
    EXPECT_EQ(a.substr(a.size() - 27), "%78%32%30%31%33%30%34%30%34");
    ASSERT_EQ(a.size(), b.size());
    std::size_t stamp = a.find("staobaoz_") + 9;
    EXPECT_EQ(a.substr(0, stamp), b.substr(0, stamp));
    EXPECT_EQ(a.substr(stamp + 8), b.substr(stamp + 8));
    EXPECT_EQ(b.substr(stamp, 8), "20261208");
    // No stamp: "staobaoz_" followed by "&tab=all".
    EXPECT_NE(BuildSearchUrl("a", INT64_MAX).find("staobaoz_&tab=all"), std::string::npos);
}

}  // namespace
}  // namespace sorvik
