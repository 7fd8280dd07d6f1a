#include "gbk_text.h"

#include <gtest/gtest.h>

#include "search_window.h"
#include "test_window.h"

namespace sorvik {
namespace {

TEST(GbkText, ConvertsBothWaysAndReplacesWhatGbkCannotHold) {
    EXPECT_EQ(Gbk("中"), "\xD6\xD0");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0 abc"), "中 abc");
    EXPECT_EQ(GbkToUtf8(Gbk("连衣裙 2013 ￥128.00")), "连衣裙 2013 ￥128.00");
    // An emoji and a stray UTF-8 byte become '?'; the text around survives.
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80z"), "a?z");
    EXPECT_EQ(Utf8ToGbk("a\xFFz"), "a?z");
    // A cut-off or invalid GBK sequence becomes U+FFFD, nothing is lost after it.
    EXPECT_EQ(GbkToUtf8("x\xD6"), "x\xEF\xBF\xBD");
    EXPECT_EQ(GbkToUtf8("\xFF"
                        "ab"),
              "\xEF\xBF\xBD"
              "ab");
    EXPECT_EQ(GbkToUtf8(""), "");
    EXPECT_EQ(Utf8ToGbk(""), "");
}

TEST(GbkText, FindNeverStartsOnTheSecondByteOfACharacter) {
    // 0xB0 0x69 is one character whose second byte is 'i'.
    const std::string link =
        "item.htm?x=\xB0\x69"
        "d=5&id=123";
    EXPECT_EQ(FindAnsi(link, "id="), link.find("&id=") + 1);
    EXPECT_EQ(FindAnsi("abcabc", "bc"), 1u);
    EXPECT_EQ(FindAnsi("abcabc", "bc", 2), 4u);
    EXPECT_EQ(FindAnsi("abc", "abcd"), std::string::npos);
    EXPECT_EQ(FindAnsi("ABC", "abc"), std::string::npos);  // case-sensitive
    // A lead byte at the very end is stepped over without reading past it.
    EXPECT_EQ(FindAnsi("ab\xB0", "x"), std::string::npos);
    EXPECT_EQ(FindAnsi("\xB0\x69\x69", "\x69"), 2u);
}

TEST(GbkText, RemoveBlanksTakesSpacesAndLineFeedsOnly) {
    EXPECT_EQ(RemoveBlanks(Gbk("\n   小美 的店\n  ")), Gbk("小美的店"));
    EXPECT_EQ(RemoveBlanks(" a\tb\r\n c "), "a\tb\rc");
    EXPECT_EQ(RemoveBlanks(""), "");
    // A double-byte character is kept whole even when invalid GBK follows.
    EXPECT_EQ(RemoveBlanks("\x81\x20 x"), "\x81\x20x");
}

TEST(GbkText, MatchesIgnoresAsciiCaseOnlyAndComparesWholeStrings) {
    EXPECT_TRUE(MatchesNoCase("Col Dealing", "col dealing"));
    EXPECT_TRUE(MatchesNoCase("DIV", "div"));
    EXPECT_FALSE(MatchesNoCase("seller shop", "seller"));
    EXPECT_FALSE(MatchesNoCase(" seller", "seller"));
    EXPECT_FALSE(MatchesNoCase("\xC1", "\xE1"));  // no folding beyond ASCII
    EXPECT_TRUE(MatchesNoCase("", ""));
}

TEST(StoppedMark, IsAppendedOnceWhereverTheStatusLineHoldsIt) {
    const std::string mark = GbkToUtf8(kStoppedMark);
    EXPECT_EQ(std::string(kStoppedMark).size(), 14u);
    EXPECT_EQ(mark, " -> 已停止查询");

    TestWindow empty;
    empty.AppendStoppedMark();
    EXPECT_EQ(empty.Status(), " -> 已停止查询");
    empty.AppendStoppedMark();
    EXPECT_EQ(empty.Status(), " -> 已停止查询");

    TestWindow middle;
    middle.SetStatusText(Gbk("查找进度:3/9 第1页 -> 已停止查询 typed"));
    middle.AppendStoppedMark();
    EXPECT_EQ(middle.Status(), "查找进度:3/9 第1页 -> 已停止查询 typed");

    TestWindow progress;
    progress.SetStatusText(Gbk("查找进度:3/9 第1页"));
    progress.AppendStoppedMark();
    EXPECT_EQ(progress.Status(), "查找进度:3/9 第1页 -> 已停止查询");
}

}  // namespace
}  // namespace sorvik
