#include "nesting_depth.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(NestingDepth, CountsOpenElementsGenerously) {
    EXPECT_EQ(NestingDepth("", 100), 0u);
    EXPECT_EQ(NestingDepth("<html><body><div><p>x</p></div></body></html>", 100), 4u);
    // Void elements, self-closed tags, comments, declarations and a lone '<'
    // open nothing.
    EXPECT_EQ(NestingDepth("<!DOCTYPE html><br><img src=x><x/><!-- <div><div> -->a < b", 100), 0u);
    // An end tag closes everything inside its element; one with no open
    // element of its name closes nothing.
    EXPECT_EQ(NestingDepth("<div><a><b></div><div></i><span>", 100), 3u);
    EXPECT_EQ(NestingDepth("<DIV><div></Div><div>", 100), 2u);
    // Script and style contents are not markup.
    EXPECT_EQ(NestingDepth("<script>var s='<div><div><div>';</script><style>a<b{}</style>", 100),
              0u);
    EXPECT_EQ(NestingDepth("<SCRIPT>x='<p><p>'</Script ><p>", 100), 1u);
    // Implicit closes are not known: unclosed list items count as nested.
    EXPECT_EQ(NestingDepth("<ul>" + Repeat("<li>x", 5) + "</ul>", 100), 6u);
}

TEST(NestingDepth, StopsAtTheLimitAndStaysLinear) {
    EXPECT_EQ(NestingDepth(Repeat("<div>", 500), 100), 100u);
    EXPECT_EQ(NestingDepth(Repeat("<div>", 50) + Repeat("</div>", 50), 100), 50u);
    // A million end tags that close nothing and a million balanced pairs.
    EXPECT_EQ(NestingDepth(Repeat("<a>", 1000) + Repeat("</b>", 1000000), 5000), 1000u);
    EXPECT_EQ(NestingDepth(Repeat("<i></i>", 1000000), 5000), 1u);
    // An unterminated script or tag runs to the end of the page.
    EXPECT_EQ(NestingDepth("<div><script>" + Repeat("<div>", 1000), 5000), 1u);
    EXPECT_EQ(NestingDepth("<div><span class=\"x", 5000), 2u);
}

}  // namespace
}  // namespace sorvik
