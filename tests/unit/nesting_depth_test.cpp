#include "nesting_depth.h"

#include <gtest/gtest.h>

#include "test_window.h"

namespace sorvik {
namespace {

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
    // End tags that a table keeps from closing their element, each with
    // thousands of open elements in between (a look through all of them for
    // every end tag took minutes).
    EXPECT_EQ(NestingDepth("<x><table>" + Repeat("<div>", 5000) + Repeat("</x>", 200000), 10000),
              5002u);
    EXPECT_EQ(
        ReopenedFonts("<font><table>" + Repeat("<p>", 5000) + Repeat("</font>", 200000), 100000),
        5001u);
    // An unterminated script or tag runs to the end of the page.
    EXPECT_EQ(NestingDepth("<div><script>" + Repeat("<div>", 1000), 5000), 1u);
    EXPECT_EQ(NestingDepth("<div><span class=\"x", 5000), 2u);
}

TEST(NestingDepth, ReadsTagsAsTidyDoes) {
    // End tags that Tidy takes for text or leaves out count for nothing:
    // in a quoted attribute value, a document type or a CDATA section.
    EXPECT_EQ(NestingDepth(Repeat("<div><p title='></div></p>'>", 50), 1000), 100u);
    EXPECT_EQ(NestingDepth(Repeat("<div><!DOCTYPE x '></div>'>", 50), 1000), 50u);
    EXPECT_EQ(NestingDepth(Repeat("<div><![CDATA[</div>]]>", 50), 1000), 50u);
    // A '<' inside a tag starts the next tag; "/>" after an attribute name
    // closes nothing.
    EXPECT_EQ(NestingDepth(Repeat("<br <div>", 50), 1000), 50u);
    EXPECT_EQ(NestingDepth(Repeat("<div a/>", 50), 1000), 50u);
    EXPECT_EQ(NestingDepth("<x/><x /><x a='1'/><x a=\"/>\"/>", 1000), 0u);
    // Script content ends at the end tag of any open element.
    EXPECT_EQ(NestingDepth(Repeat("<b><script></b><div></script></b>", 50), 1000), 50u);
    EXPECT_EQ(NestingDepth("<p><script>'</x><div><div>'</script>", 1000), 1u);
}

TEST(NestingDepth, EndTagsDoNotReachOutOfTablesSelectsHeadingsAndTextAreas) {
    for (const char* inside : {"table", "tr", "td", "select", "option", "h1", "dl", "textarea"}) {
        const std::string unit = std::string("<div><") + inside + "></div></" + inside + ">";
        EXPECT_EQ(NestingDepth(Repeat(unit, 50), 1000), 51u) << inside;
    }
    // Their own parts close as usual.
    EXPECT_EQ(NestingDepth(Repeat("<table><tr><td>x</table>", 50), 1000), 3u);
    EXPECT_EQ(NestingDepth(Repeat("<select><option>x</select>", 50), 1000), 2u);
    EXPECT_EQ(NestingDepth(Repeat("<div><span><b></div>", 50), 1000), 3u);
}

TEST(ReopenedFonts, CountsTheFontsOpenAroundEveryElement) {
    EXPECT_EQ(ReopenedFonts("", 100), 0u);
    EXPECT_EQ(ReopenedFonts(Repeat("<div><font color=red>x</font></div>", 100), 1000), 0u);
    EXPECT_EQ(ReopenedFonts("<font>" + Repeat("<div>x</div><br>", 10), 1000), 10u);
    // Fonts stay open past the end of their block, until their own end tag.
    EXPECT_EQ(ReopenedFonts(Repeat("<div><font></div>", 3) + Repeat("<p>x</p>", 10), 1000), 36u);
    EXPECT_EQ(ReopenedFonts("<font><font></font>" + Repeat("<p>", 10), 1000), 11u);
    // A font end tag that Tidy does not apply closes nothing.
    EXPECT_EQ(ReopenedFonts("<font><table><tr><td></font></table>" + Repeat("<p>", 10), 1000), 13u);
    EXPECT_EQ(ReopenedFonts("<font><p title='></font>'>" + Repeat("<p>", 10), 1000), 11u);
    EXPECT_EQ(ReopenedFonts(Repeat("<br <font>", 10) + Repeat("<p>", 10), 1000), 145u);
}

TEST(CleaningLoad, OnePassCountsBothAndStopsAtTheFirstLimit) {
    const std::string page = "<font>" + Repeat("<div>", 10) + Repeat("</div>", 10);
    CleaningLoad load = MeasureCleaningLoad(page, 100, 100);
    EXPECT_EQ(load.depth, NestingDepth(page, 100));
    EXPECT_EQ(load.reopenedFonts, ReopenedFonts(page, 100));
    EXPECT_EQ(load.depth, 11u);
    EXPECT_EQ(load.reopenedFonts, 10u);
    // The fonts reach their limit at the fifth div, four levels short of it.
    load = MeasureCleaningLoad(page, 100, 5);
    EXPECT_EQ(load.reopenedFonts, 5u);
    EXPECT_EQ(load.depth, 6u);
    load = MeasureCleaningLoad(page, 3, 100);
    EXPECT_EQ(load.depth, 3u);
    EXPECT_EQ(load.reopenedFonts, 2u);
}

TEST(ReopenedFonts, StopsAtTheLimitAndStaysLinear) {
    EXPECT_EQ(ReopenedFonts(Repeat("<font>", 1000) + Repeat("<p>", 1000), 5000), 5000u);
    EXPECT_EQ(ReopenedFonts(Repeat("<font>x</font>", 1000000), 5000), 0u);
    EXPECT_EQ(ReopenedFonts("<font>" + Repeat("<i></i>", 1000000), 2000000), 1000000u);
}

}  // namespace
}  // namespace sorvik
