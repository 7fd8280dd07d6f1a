#include "page_analysis.h"

#include <gtest/gtest.h>

#include <random>

#include "gbk_text.h"
#include "page_fetch.h"
#include "test_window.h"

namespace sorvik {
namespace {

const char* const kSearchUrl =
    "http://s.taobao.com/search?initiative_id=staobaoz_20261207&tab=all&style=list&q=%61";

std::string Fixture(const std::string& name) {
    std::string text = ReadWholeFile(std::string(SORVIK_FIXTURES) + "/" + name);
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

// The item block of a cleaned page, as the cleaning lays it out.
std::string CleanedItem(const std::string& link, const std::string& seller) {
    return "  <div class=\"item\">\n"
           "    <h3 class=\"summary\"><a href=\"" +
           link +
           "\" title=\"t\">t</a></h3>\n"
           "    <div class=\"seller\">\n      <a href=\"#\">" +
           seller +
           "</a>\n    </div>\n"
           "    <div class=\"col total\">\n      <div class=\"price\">\n        1.00\n"
           "      </div>\n    </div>\n"
           "    <div class=\"col dealing\">\n      <div class=\"deal-cnt\">\n        9\n"
           "      </div>\n    </div>\n  </div>\n";
}

std::string CleanedPage(const std::string& items, int total = 99) {
    return "<html>\n<body>\n  <ul class=\"result-summary\">\n    <li class=\"result-info\">" +
           std::to_string(total) + "</li>\n  </ul>\n" + items + "</body>\n</html>\n";
}

class AnalysisTest : public ::testing::Test {
  protected:
    AnalysisTest() : analysis(window) {
        window.State().m_searchUrl = kSearchUrl;
        window.State().m_pageNumber = 1;
    }

    // Loads a page, reads the total on the first page and walks it.
    WalkEnd Walk(const std::string& pageText, bool firstPage = true) {
        window.State().m_pageText = pageText;
        analysis.Parse();
        if (firstPage) {
            EXPECT_TRUE(analysis.ReadTotal());
        }
        return analysis.WalkPage(firstPage);
    }

    TestWindow window;
    PageAnalysis analysis;
};

TEST_F(AnalysisTest, ReadsAPageOfFortyItemsIntoRows) {
    EXPECT_EQ(Walk(Fixture("page1_of_100.html")), WalkEnd::PagerMet);
    EXPECT_EQ(analysis.Total(), 100);
    const auto rows = window.Rows();
    ASSERT_EQ(rows.size(), 40u);
    const char* sellers[] = {"小美的店", "shopA", "韩都衣舍", "优衣库", "ZARA官方"};
    for (int pos = 1; pos <= 40; ++pos) {
        const ResultRow& row = rows[pos - 1];
        EXPECT_EQ(row.rank, std::to_string(pos));
        EXPECT_EQ(row.title, "韩版 修身 连衣裙 " + std::to_string(pos));
        EXPECT_EQ(row.seller, sellers[pos % 5]);
        EXPECT_EQ(row.price, "￥" + std::to_string(100 + pos) + ".00");
        EXPECT_EQ(row.sales, "最近成交" + std::to_string(pos * 3) + "笔");
        EXPECT_EQ(row.link,
                  "http://item.taobao.com/item.htm?id=" + std::to_string(10000000000LL + pos));
    }
    EXPECT_EQ(window.Status(), "查找进度:40/100 第1页");
    EXPECT_EQ(window.StatusHistory().front(), "查找进度:1/100 第1页");
    EXPECT_EQ(analysis.NextPageUrl(), std::string(kSearchUrl) + "&bcoffset=4&s=40#J_relative");
    EXPECT_EQ(analysis.PagerCount(), 1);
    EXPECT_EQ(window.State().m_rankText, "40");
}

TEST_F(AnalysisTest, RanksRunOnAcrossPagesAndLaterCountsAreIgnored) {
    Walk(Fixture("page1_of_100.html"));
    window.State().m_pageNumber = 2;
    EXPECT_EQ(Walk(Fixture("page2_of_100.html"), false), WalkEnd::PagerMet);
    const auto rows = window.Rows();
    ASSERT_EQ(rows.size(), 80u);
    EXPECT_EQ(rows[40].rank, "41");
    EXPECT_EQ(rows[40].title, "韩版 修身 连衣裙 41");
    EXPECT_EQ(analysis.Total(), 100);  // page 2 says 7
    EXPECT_EQ(window.Status(), "查找进度:80/100 第2页");
    EXPECT_EQ(analysis.NextPageUrl(), std::string(kSearchUrl) + "&bcoffset=4&s=80#J_relative");
}

TEST_F(AnalysisTest, TagsAndClassesMatchInAnyCase) {
    EXPECT_EQ(Walk(Fixture("upper_case.html")), WalkEnd::TotalReached);
    const auto rows = window.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].seller, "shopA");
    EXPECT_EQ(rows[0].price, "￥101.00");
    EXPECT_EQ(rows[0].sales, "最近成交3笔");
    EXPECT_EQ(rows[0].title, "韩版 修身 连衣裙 1");
}

TEST_F(AnalysisTest, ASecondClassWordOrAMissingPriceKeepsTheEarlierValues) {
    Walk(Fixture("odd_classes.html"));
    const auto rows = window.Rows();
    ASSERT_EQ(rows.size(), 2u);
    // "seller shop" is no seller marker and "cost" no price: item 1's values stay.
    EXPECT_EQ(rows[1].seller, rows[0].seller);
    EXPECT_EQ(rows[1].price, rows[0].price);
    EXPECT_EQ(rows[1].title, "韩版 修身 连衣裙 2");
    EXPECT_EQ(rows[1].sales, "最近成交6笔");
}

TEST_F(AnalysisTest, ATotalReachedMidPageEndsTheWalkBeforeThePager) {
    EXPECT_EQ(Walk(Fixture("total_mid_page.html")), WalkEnd::TotalReached);
    EXPECT_EQ(window.Rows().size(), 3u);
    EXPECT_TRUE(analysis.NextPageUrl().empty());
}

TEST_F(AnalysisTest, SalesBeforeTheCountAreNotCountedOnTheFirstPage) {
    EXPECT_EQ(Walk(Fixture("sales_before_count.html")), WalkEnd::EndOfDocument);
    const auto rows = window.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "韩版 修身 连衣裙 1");
}

TEST_F(AnalysisTest, AMarkerAmongTheLastNodesEndsTheWalkInsideTheTree) {
    EXPECT_EQ(Walk(Fixture("marker_at_end.html")), WalkEnd::EndOfDocument);
    EXPECT_EQ(window.Rows().size(), 1u);
    // The count as the document's very last node: no value node, no total.
    window.State().m_pageText = "<li class=\"result-info\">";
    analysis.Parse();
    EXPECT_FALSE(analysis.ReadTotal());
    // Title and price markers as the last nodes.
    for (const char* tail : {"<h3 class=\"summary\">", "<div class=\"col total\">\n",
                             "<div class=\"col dealing\"><div>"}) {
        window.State().m_pageText = CleanedPage("") + tail;
        analysis.Parse();
        ASSERT_TRUE(analysis.ReadTotal());
        EXPECT_EQ(analysis.WalkPage(true), WalkEnd::EndOfDocument) << tail;
    }
}

TEST_F(AnalysisTest, CountTextsAndTotals) {
    for (auto [text, total] : std::vector<std::pair<std::string, int>>{
             {"  42件宝贝", 42}, {"+7", 7}, {"-3x", -3}, {"99999999999", 2147483647}}) {
        window.State().m_pageText = "<li class=\"result-info\">" + text + "</li>";
        analysis.Parse();
        EXPECT_TRUE(analysis.ReadTotal()) << text;
        EXPECT_EQ(analysis.Total(), total) << text;
    }
    for (const char* text : {"件宝贝", "0", "", " - 5"}) {
        window.State().m_pageText = std::string("<li class=\"result-info\">") + text + "</li>";
        analysis.Parse();
        EXPECT_FALSE(analysis.ReadTotal()) << text;
    }
    // Only li elements hold the count.
    window.State().m_pageText = "<div class=\"result-info\">5</div>";
    analysis.Parse();
    EXPECT_FALSE(analysis.ReadTotal());
}

TEST_F(AnalysisTest, ModeTwoMatchesTheSellerExactly) {
    window.State().m_searchMode = kModeSeller;
    window.State().m_sellerName = Gbk("小美 的店");  // typed with a blank: never matches
    EXPECT_EQ(Walk(Fixture("page1_of_100.html")), WalkEnd::PagerMet);
    EXPECT_EQ(window.Rows().size(), 40u);

    TestWindow other;
    PageAnalysis again(other);
    other.State().m_searchMode = kModeSeller;
    other.State().m_sellerName = Gbk("小美的店");
    other.State().m_pageText = Fixture("page1_of_100.html");
    again.Parse();
    ASSERT_TRUE(again.ReadTotal());
    EXPECT_EQ(again.WalkPage(true), WalkEnd::ItemFound);
    EXPECT_EQ(other.Rows().size(), 5u);  // position 5 is the first of that seller
    EXPECT_EQ(again.Rank(), 5);
}

TEST_F(AnalysisTest, ModeThreeComparesTheIdParameter) {
    window.State().m_searchMode = kModeItemLink;
    window.State().m_itemLink = "http://item.taobao.com/item.htm?id=123";
    const std::string page =
        CleanedPage(CleanedItem("http://item.taobao.com/item.htm?id=1234", "a") +
                    CleanedItem("http://item.taobao.com/item.htm?nid=123&id=12", "b") +
                    CleanedItem("http://item.taobao.com/item.htm?id=123&ns=1", "c") +
                    CleanedItem("http://item.taobao.com/item.htm?id=123", "d"));
    EXPECT_EQ(Walk(page), WalkEnd::ItemFound);
    EXPECT_EQ(window.Rows().size(), 3u);

    // A wanted link copied from a browser: its id ends at the next parameter.
    TestWindow other;
    PageAnalysis again(other);
    other.State().m_searchMode = kModeItemLink;
    other.State().m_itemLink = "http://item.taobao.com/item.htm?spm=a.1&id=123&x=1#top";
    other.State().m_pageText = page;
    again.Parse();
    ASSERT_TRUE(again.ReadTotal());
    EXPECT_EQ(again.WalkPage(true), WalkEnd::ItemFound);
    EXPECT_EQ(other.Rows().size(), 3u);
}

TEST(ItemIdOf, TakesTheIdParameterAloneAndStepsOverDoubleByteCharacters) {
    EXPECT_EQ(ItemIdOf("http://h/item.htm?id=123&ns=1"), "123");
    EXPECT_EQ(ItemIdOf("http://h/item.htm?spm=a1z10.1&id=123"), "123");
    EXPECT_EQ(ItemIdOf("http://h/item.htm?spm=a21n57.1.0.0.3f2a&id=40&ns=1&abbucket=5"), "40");
    EXPECT_EQ(ItemIdOf("http://h/item.htm?id=40#detail"), "40");
    EXPECT_EQ(ItemIdOf("id=40&x=1"), "40");
    // A parameter named exactly "id" wins over one that only ends in "id";
    // without one the first "id=" is taken.
    EXPECT_EQ(ItemIdOf("http://h/item.htm?nid=7&id=40"), "40");
    EXPECT_EQ(ItemIdOf("http://h/item.htm?nid=7&x=1"), "7");
    // A GBK character whose second byte is 'i' stands right before "d=".
    EXPECT_EQ(ItemIdOf("http://h/item.htm?x=\xB0\x69"
                       "d=5&id=123"),
              "123");
    EXPECT_EQ(ItemIdOf("http://h/item.htm?ID=5"), std::nullopt);
    EXPECT_EQ(ItemIdOf("http://h/item.htm?id="), "");
}

TEST_F(AnalysisTest, AWantedLinkNeverMatchesAPageLinkWithoutAnId) {
    window.State().m_searchMode = kModeItemLink;
    window.State().m_itemLink = "http://item.taobao.com/item.htm?id=";
    EXPECT_EQ(Walk(CleanedPage(CleanedItem("http://item.taobao.com/item.htm", "a"))),
              WalkEnd::EndOfDocument);
    EXPECT_EQ(window.Rows().size(), 1u);
}

TEST_F(AnalysisTest, AStopIsSeenAtTheNextNode) {
    window.State().m_stopRequested = true;
    EXPECT_EQ(Walk(Fixture("page1_of_100.html")), WalkEnd::StopSeen);
    EXPECT_TRUE(window.Rows().empty());
}

TEST_F(AnalysisTest, AModeChangeDuringTheWalkTakesEffectAtTheNextItem) {
    // Mode 1 never matches, even with a seller name that would.
    window.State().m_sellerName = Gbk("shopA");
    EXPECT_EQ(Walk(Fixture("page1_of_100.html")), WalkEnd::PagerMet);
    window.State().m_searchMode = kModeSeller;
    window.State().m_pageNumber = 2;
    EXPECT_EQ(Walk(Fixture("page2_of_100.html"), false), WalkEnd::ItemFound);
    EXPECT_EQ(window.Rows().back().rank, "41");
}

TEST_F(AnalysisTest, AnyBytesGiveRowsOrNoneAndAWalkEnd) {
    std::mt19937 random(7);
    std::vector<std::string> pages = {"", "<", "<div class=\"seller\"",
                                      "<li class=\"result-info\">5", std::string("\0\0<\0li>", 7)};
    std::string garbage(200000, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    pages.push_back(garbage);
    // 5 MB of nested elements, closed and unclosed.
    std::string nested;
    for (int i = 0; i < 500000; ++i) nested += "<div>";
    pages.push_back(CleanedPage(nested));
    for (int i = 0; i < 500000; ++i) nested += "</div>";
    pages.push_back(CleanedPage(nested + CleanedItem("http://x/?id=1", "s")));
    for (const std::string& page : pages) {
        window.State().m_pageText = page;
        analysis.Parse();
        if (analysis.ReadTotal()) analysis.WalkPage(true);
        analysis.WalkPage(false);
    }
    // The balanced nesting still yields its item.
    EXPECT_EQ(window.Rows().back().link, "http://x/?id=1");
}

}  // namespace
}  // namespace sorvik
