// Tests of the demo marketplace's catalog, HTML writer, result pages,
// request reading and command line.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "catalog.h"
#include "gbk_encoding.h"
#include "html_writer.h"
#include "options.h"
#include "result_page.h"
#include "search_request.h"

namespace sorvik::demo {
namespace {

// ---- catalog ---------------------------------------------------------------

TEST(Catalog, IdsAreElevenDigitsInResultOrder) {
    const Catalog catalog(100);
    ASSERT_EQ(catalog.Size(), 100u);
    for (std::size_t i = 0; i < catalog.Size(); ++i) {
        const CatalogItem& item = catalog.Items()[i];
        EXPECT_EQ(item.position, i + 1);
        EXPECT_EQ(item.id, std::to_string(10000000001ULL + i));
        EXPECT_EQ(item.id.size(), 11u);
    }
}

TEST(Catalog, ItemsDoNotDependOnCatalogSize) {
    const Catalog small(45);
    const Catalog large(300);
    for (std::size_t i = 0; i < small.Size(); ++i) {
        EXPECT_EQ(small.Items()[i].Title(), large.Items()[i].Title());
        EXPECT_EQ(small.Items()[i].seller, large.Items()[i].seller);
        EXPECT_EQ(small.Items()[i].linkQuery, large.Items()[i].linkQuery);
    }
}

TEST(Catalog, SizeIsCapped) {
    EXPECT_EQ(Catalog(kMaxCatalogSize + 5).Size(), kMaxCatalogSize);
}

TEST(Catalog, LinksVaryTheQueryAroundTheId) {
    const Catalog catalog(100);
    std::set<std::string> shapes;
    for (const CatalogItem& item : catalog.Items()) {
        const std::string link = ItemLink(item, "host:1");
        ASSERT_EQ(link.rfind("http://host:1/item.htm?", 0), 0u) << link;
        const std::string query = link.substr(link.find('?') + 1);
        // The positions of the variants are documented in --help.
        if (item.position % 7 == 3) {
            EXPECT_EQ(query, "spm=a1z10.1&id=" + item.id);
            shapes.insert("key before");
        } else if (item.position % 7 == 5) {
            EXPECT_EQ(query, "id=" + item.id + "&ns=1");
            shapes.insert("key after");
        } else {
            EXPECT_EQ(query, "id=" + item.id);
            shapes.insert("plain");
        }
    }
    EXPECT_EQ(shapes.size(), 3u);
    EXPECT_EQ(ItemLink(catalog.Items()[0], ""), "/item.htm?id=10000000001");
}

TEST(Catalog, SellersIncludeBlanksChineseAndSingleOwners) {
    const Catalog catalog(100);
    std::map<std::string, std::vector<std::uint64_t>> positions;
    for (const CatalogItem& item : catalog.Items()) positions[item.seller].push_back(item.position);
    EXPECT_EQ(catalog.Items()[0].seller, "小美 的店");
    EXPECT_GT(positions["shop A"].size(), 1u);
    EXPECT_GT(positions["shop AB"].size(), 1u);
    EXPECT_EQ(positions["末位 小店"], std::vector<std::uint64_t>{40});
    EXPECT_EQ(positions["shop B"], std::vector<std::uint64_t>{41});
    EXPECT_EQ(positions["深夜 小铺"], std::vector<std::uint64_t>{57});
    EXPECT_EQ(positions["最后 一家"], std::vector<std::uint64_t>{100});
}

TEST(Catalog, FieldsHaveTheMarketplaceFormats) {
    const std::regex price("￥[0-9]+\\.[0-9]{2}");
    const std::regex sales("最近成交 [0-9]+ 笔");
    const Catalog catalog(100);
    for (const CatalogItem& item : catalog.Items()) {
        EXPECT_TRUE(std::regex_match(item.price, price)) << item.price;
        EXPECT_TRUE(std::regex_match(item.sales, sales)) << item.sales;
        EXPECT_FALSE(item.titleEmphasis.empty());
        EXPECT_EQ(item.Title().find('\t'), std::string::npos);
    }
}

TEST(Catalog, FindByIdAcceptsOnlyIdsInTheCatalog) {
    const Catalog catalog(100);
    ASSERT_NE(catalog.FindById("10000000001"), nullptr);
    EXPECT_EQ(catalog.FindById("10000000001")->position, 1u);
    ASSERT_NE(catalog.FindById("10000000100"), nullptr);
    EXPECT_EQ(catalog.FindById("10000000100")->position, 100u);
    EXPECT_EQ(catalog.FindById("10000000101"), nullptr);
    EXPECT_EQ(catalog.FindById("10000000000"), nullptr);
    EXPECT_EQ(catalog.FindById("1000000001"), nullptr);
    EXPECT_EQ(catalog.FindById("1000000000a"), nullptr);
    EXPECT_EQ(catalog.FindById(""), nullptr);
    EXPECT_EQ(catalog.FindById("99999999999"), nullptr);

    // A turned catalog: the same items, moved up by 30 places (the first 30
    // at the end), each found by its id at its new position.
    const Catalog turned(100, 30);
    ASSERT_EQ(turned.Size(), 100u);
    EXPECT_EQ(turned.Items()[0].id, "10000000031");
    EXPECT_EQ(turned.Items()[0].position, 1u);
    EXPECT_EQ(turned.Items()[70].id, "10000000001");
    for (const char* id : {"10000000001", "10000000031", "10000000100"}) {
        ASSERT_NE(turned.FindById(id), nullptr) << id;
        EXPECT_EQ(turned.FindById(id)->id, id);
    }
    EXPECT_EQ(turned.FindById("10000000101"), nullptr);
}

TEST(Catalog, TsvHasHeaderAndOneLinePerItem) {
    std::ostringstream out;
    WriteCatalogTsv(out, Catalog(3), "h:9");
    const std::string expectedStart =
        "position\tid\ttitle\tseller\tprice\tsales\tlink\n1\t10000000001\t";
    EXPECT_EQ(out.str().rfind(expectedStart, 0), 0u) << out.str();
    std::istringstream lines(out.str());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        std::size_t tabs = 0;
        for (char c : line) tabs += c == '\t';
        EXPECT_EQ(tabs, 6u) << line;
        ++count;
    }
    EXPECT_EQ(count, 4);
    const CatalogItem third = MakeCatalogItem(3);
    EXPECT_NE(out.str().find("3\t10000000003\t" + third.Title() + "\t" + third.seller + "\t" +
                             third.price + "\t" + third.sales + "\thttp://h:9/item.htm?" +
                             third.linkQuery + "\n"),
              std::string::npos);
}

// ---- GBK -------------------------------------------------------------------

TEST(GbkEncoding, ConvertsChineseAndKeepsAscii) {
    EXPECT_EQ(Utf8ToGbk("￥12.00"),
              "\xA3\xA4"
              "12.00");
    EXPECT_EQ(Utf8ToGbk("宝贝"), "\xB1\xA6\xB1\xB4");
    EXPECT_EQ(Utf8ToGbk(""), "");
}

TEST(GbkEncoding, RefusesWhatGbkCannotHold) {
    EXPECT_THROW(Utf8ToGbk("smile \xF0\x9F\x98\x80"), std::runtime_error);
    EXPECT_THROW(Utf8ToGbk("bad \xFF byte"), std::runtime_error);
}

TEST(GbkEncoding, ConvertsTextLongerThanOneBuffer) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "件";
    const std::string gbk = Utf8ToGbk(text);
    ASSERT_EQ(gbk.size(), 40000u);
    EXPECT_EQ(gbk.substr(39998), "\xBC\xFE");
}

// ---- HTML writer -----------------------------------------------------------

HtmlNode SampleTree() {
    HtmlNode root = HtmlNode::Element("div", {{"class", "outer"}});
    root.Block();
    HtmlNode& link = root.AddElement("a", {{"href", "/x?a=1&b=2"}, {"title", "say \"hi\" & <go>"}});
    link.AddText("A & B ");
    link.AddElement("em").AddText("<c>");
    root.AddElement("img", {{"src", "/i.png"}});
    return root;
}

TEST(HtmlWriter, MinifiedHasNoWhitespaceBetweenTags) {
    EXPECT_EQ(SampleTree().WriteDocument(WhitespaceStyle::kMinified),
              "<!DOCTYPE html><div class=\"outer\"><a href=\"/x?a=1&b=2\" "
              "title=\"say &quot;hi&quot; &amp; &lt;go&gt;\">A &amp; B <em>&lt;c&gt;</em></a>"
              "<img src=\"/i.png\"></div>");
}

TEST(HtmlWriter, LinesPutsBlockChildrenOnLinesOfTheirOwn) {
    EXPECT_EQ(SampleTree().WriteDocument(WhitespaceStyle::kLines),
              "<!DOCTYPE html>\n"
              "<div class=\"outer\">\n"
              "  <a href=\"/x?a=1&b=2\" title=\"say &quot;hi&quot; &amp; &lt;go&gt;\">A &amp; B "
              "<em>&lt;c&gt;</em></a>\n"
              "  <img src=\"/i.png\">\n"
              "</div>\n");
}

TEST(HtmlWriter, PrettyPutsEveryTagAndTextOnItsOwnLine) {
    EXPECT_EQ(SampleTree().WriteDocument(WhitespaceStyle::kPretty),
              "<!DOCTYPE html>\n"
              "<div class=\"outer\">\n"
              "  <a href=\"/x?a=1&b=2\" title=\"say &quot;hi&quot; &amp; &lt;go&gt;\">\n"
              "    A &amp; B\n"
              "    <em>\n"
              "      &lt;c&gt;\n"
              "    </em>\n"
              "  </a>\n"
              "  <img src=\"/i.png\">\n"
              "</div>\n");
}

TEST(HtmlWriter, RefusesContentThatWouldEndItsElementEarly) {
    EXPECT_THROW(HtmlNode::RawText("x = '</script>'"), std::invalid_argument);
    EXPECT_THROW(HtmlNode::Comment("a -- b"), std::invalid_argument);
    HtmlNode img = HtmlNode::Element("img");
    EXPECT_THROW(img.AddText("x"), std::logic_error);
}

// ---- page plans ------------------------------------------------------------

TEST(PagePlan, SplitsACatalogIntoPagesOfForty) {
    const PageOptions options;
    const PagePlan first = PlanResultPage(100, 0, options);
    EXPECT_EQ(first.firstIndex, 0u);
    EXPECT_EQ(first.itemCount, 40u);
    EXPECT_TRUE(first.showPager);
    EXPECT_EQ(first.total, 100u);
    const PagePlan second = PlanResultPage(100, 40, options);
    EXPECT_EQ(second.firstIndex, 40u);
    EXPECT_EQ(second.itemCount, 40u);
    EXPECT_TRUE(second.showPager);
    const PagePlan third = PlanResultPage(100, 80, options);
    EXPECT_EQ(third.firstIndex, 80u);
    EXPECT_EQ(third.itemCount, 20u);
    EXPECT_FALSE(third.showPager);
}

TEST(PagePlan, AFullLastPageHasNoPager) {
    const PagePlan last = PlanResultPage(80, 40, PageOptions());
    EXPECT_EQ(last.itemCount, 40u);
    EXPECT_FALSE(last.showPager);
}

TEST(PagePlan, PagerOnLastPageWhenAsked) {
    PageOptions options;
    options.pagerOnLast = true;
    EXPECT_TRUE(PlanResultPage(100, 80, options).showPager);
}

TEST(PagePlan, PastTheEndAnswersAnEmptyPageWithCountAndPager) {
    PageOptions options;
    options.pastEnd = PastEndAnswer::kEmptyPage;
    for (std::uint64_t offset : {100ULL, 120ULL, 4000ULL, 999999999999999999ULL}) {
        const PagePlan plan = PlanResultPage(100, offset, options);
        EXPECT_EQ(plan.itemCount, 0u) << offset;
        EXPECT_TRUE(plan.showPager) << offset;
        EXPECT_TRUE(plan.showCount) << offset;
    }
}

TEST(PagePlan, PastTheEndAnswersTheLastPageAgain) {
    PageOptions options;
    options.pastEnd = PastEndAnswer::kLastPage;
    const PagePlan plan = PlanResultPage(100, 120, options);
    EXPECT_EQ(plan.firstIndex, 80u);
    EXPECT_EQ(plan.itemCount, 20u);
    EXPECT_FALSE(plan.showPager);
    const PagePlan full = PlanResultPage(80, 200, options);
    EXPECT_EQ(full.firstIndex, 40u);
    EXPECT_EQ(full.itemCount, 40u);
}

TEST(PagePlan, EmptyCatalog) {
    PageOptions options;
    const PagePlan first = PlanResultPage(0, 0, options);
    EXPECT_EQ(first.itemCount, 0u);
    EXPECT_EQ(first.total, 0u);
    EXPECT_FALSE(first.showPager);
    EXPECT_TRUE(PlanResultPage(0, 40, options).showPager);
    options.pastEnd = PastEndAnswer::kLastPage;
    EXPECT_EQ(PlanResultPage(0, 40, options).itemCount, 0u);
    EXPECT_FALSE(PlanResultPage(0, 40, options).showPager);
}

TEST(PagePlan, TotalsOnFirstAndLaterPages) {
    PageOptions options;
    options.total = 2345;
    EXPECT_EQ(PlanResultPage(100, 0, options).total, 2345u);
    EXPECT_EQ(PlanResultPage(100, 40, options).total, 2345u);
    options.laterTotal = 77;
    EXPECT_EQ(PlanResultPage(100, 0, options).total, 2345u);
    EXPECT_EQ(PlanResultPage(100, 40, options).total, 77u);
    EXPECT_EQ(PlanResultPage(100, 400, options).total, 77u);
    options.total.reset();
    EXPECT_EQ(PlanResultPage(100, 0, options).total, 100u);
    // An overstated total does not add pages.
    options.total = 5000;
    options.laterTotal.reset();
    EXPECT_FALSE(PlanResultPage(100, 80, options).showPager);
}

// ---- rendered pages --------------------------------------------------------

// The page as a sequence of tags and texts, whitespace collapsed and texts
// trimmed, whitespace-only texts dropped: what stays the same in every style.
std::vector<std::string> Tokens(const std::string& page) {
    std::vector<std::string> tokens;
    std::size_t at = 0;
    auto addText = [&tokens](std::string text) {
        text = std::regex_replace(text, std::regex("\\s+"), " ");
        const auto first = text.find_first_not_of(' ');
        if (first == std::string::npos) return;
        tokens.push_back(text.substr(first, text.find_last_not_of(' ') - first + 1));
    };
    while (at < page.size()) {
        const std::size_t open = page.find('<', at);
        addText(page.substr(at, open - at));
        if (open == std::string::npos) break;
        const std::size_t close = page.find('>', open);
        tokens.push_back(page.substr(open, close + 1 - open));
        at = close + 1;
    }
    return tokens;
}

struct Row {
    std::string link, title, seller, price, sales;
};

// Reads the item blocks of a page written in the minified or lines style.
std::vector<Row> Rows(const std::string& page) {
    const std::regex item(
        "<h3 class=\"summary\"><a href=\"([^\"]*)\" title=\"([^\"]*)\">.*?</a></h3>\\s*"
        "<div class=\"seller\"><a href=\"[^\"]*\">([^<]*)</a></div>\\s*"
        "<div class=\"col total\"><div class=\"price\">([^<]*)</div><div "
        "class=\"postage\">[^<]*</div></div>\\s*"
        "<div class=\"col dealing\"><div class=\"deal-cnt\">([^<]*)</div></div>");
    std::vector<Row> rows;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), item);
         it != std::sregex_iterator(); ++it) {
        rows.push_back({(*it)[1], (*it)[2], (*it)[3], (*it)[4], (*it)[5]});
    }
    return rows;
}

std::size_t Occurrences(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

const char* const kCount100 =
    "<ul class=\"result-summary\"><li class=\"result-info\">100件宝贝</li><li>综合排序</li></ul>";
const char* const kPager =
    "<div class=\"tb-pagination tb-pagination-new\"><a href=\"#\">上一页</a><a "
    "href=\"#\">下一页</a></div>";

TEST(ResultPage, HoldsTheItemsOfItsOffsetInOrder) {
    const Catalog catalog(100);
    PageOptions options;
    options.itemHost = "127.0.0.1:5";
    for (WhitespaceStyle style : {WhitespaceStyle::kMinified, WhitespaceStyle::kLines}) {
        options.style = style;
        const std::string page = RenderResultPage(catalog, 40, options);
        const std::vector<Row> rows = Rows(page);
        ASSERT_EQ(rows.size(), 40u);
        EXPECT_EQ(Occurrences(page, "<h3 class=\"summary\">"), 40u);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CatalogItem& item = catalog.Items()[40 + i];
            EXPECT_EQ(rows[i].link, "http://127.0.0.1:5/item.htm?" + item.linkQuery);
            EXPECT_EQ(rows[i].title, item.Title());
            EXPECT_EQ(rows[i].seller, item.seller);
            EXPECT_EQ(rows[i].price, item.price);
            EXPECT_EQ(rows[i].sales, item.sales);
        }
        EXPECT_EQ(Occurrences(page, kCount100), 1u);
        EXPECT_EQ(Occurrences(page, kPager), 1u);
        EXPECT_LT(page.find(kCount100), page.find("<h3 class=\"summary\">"));
        EXPECT_GT(page.find(kPager), page.rfind("<div class=\"deal-cnt\">"));
    }
}

TEST(ResultPage, TitleLinkEmphasisesAWordOfTheTitle) {
    const Catalog catalog(1);
    const CatalogItem& item = catalog.Items()[0];
    PageOptions options;
    options.style = WhitespaceStyle::kMinified;
    options.itemHost = "h";
    const std::string page = RenderResultPage(catalog, 0, options);
    EXPECT_NE(page.find("<h3 class=\"summary\"><a href=\"http://h/item.htm?" + item.linkQuery +
                        "\" title=\"" + item.Title() + "\">" + item.titleBefore + "<em>" +
                        item.titleEmphasis + "</em>" + item.titleAfter + "</a></h3>"),
              std::string::npos)
        << page;
}

TEST(ResultPage, StylesDifferOnlyInWhitespace) {
    const Catalog catalog(100);
    PageOptions options;
    options.itemHost = "h:1";
    options.style = WhitespaceStyle::kMinified;
    const std::string minified = RenderResultPage(catalog, 0, options);
    options.style = WhitespaceStyle::kLines;
    const std::string lines = RenderResultPage(catalog, 0, options);
    options.style = WhitespaceStyle::kPretty;
    const std::string pretty = RenderResultPage(catalog, 0, options);

    EXPECT_NE(minified, lines);
    EXPECT_NE(lines, pretty);
    EXPECT_EQ(Tokens(minified), Tokens(lines));
    EXPECT_EQ(Tokens(minified), Tokens(pretty));
    EXPECT_EQ(Tokens(minified).size(), Tokens(pretty).size());
}

TEST(ResultPage, MinifiedHasNoWhitespaceBetweenTagsInTheBody) {
    PageOptions options;
    options.style = WhitespaceStyle::kMinified;
    const std::string page = RenderResultPage(Catalog(100), 0, options);
    const std::string body = page.substr(page.find("<body>"));
    EXPECT_FALSE(std::regex_search(body, std::regex(">\\s+<")));
}

TEST(ResultPage, PrettyPutsTagsAndTextsOnLinesOfTheirOwn) {
    PageOptions options;
    options.style = WhitespaceStyle::kPretty;
    const Catalog catalog(1);
    const std::string page = RenderResultPage(catalog, 0, options);
    const std::string body = page.substr(page.find("<body>"));
    // No line holds a tag together with anything else, but for the inline
    // script at the end of the body, whose content stands on its own line.
    std::istringstream lines(body);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string trimmed = line.substr(line.find_first_not_of(' '));
        if (trimmed.find('<') == std::string::npos) continue;
        EXPECT_EQ(trimmed.find('<'), 0u) << line;
        EXPECT_EQ(trimmed.find('>'), trimmed.size() - 1) << line;
    }
    EXPECT_TRUE(std::regex_search(
        page, std::regex("<div class=\"price\">\n +" + catalog.Items()[0].price + "\n +</div>")));
    EXPECT_TRUE(
        std::regex_search(page, std::regex("<li class=\"result-info\">\n +1件宝贝\n +</li>")));
}

TEST(ResultPage, CountAndPagerFollowTheOptions) {
    const Catalog catalog(100);
    PageOptions options;
    options.style = WhitespaceStyle::kMinified;
    options.showCount = false;
    EXPECT_EQ(RenderResultPage(catalog, 0, options).find("result-summary"), std::string::npos);
    options.showCount = true;
    options.total = 2345;
    options.laterTotal = 12;
    EXPECT_NE(RenderResultPage(catalog, 0, options).find(">2345件宝贝<"), std::string::npos);
    EXPECT_NE(RenderResultPage(catalog, 40, options).find(">12件宝贝<"), std::string::npos);
    EXPECT_EQ(RenderResultPage(catalog, 80, options).find("tb-pagination"), std::string::npos);
    options.pagerOnLast = true;
    EXPECT_EQ(Occurrences(RenderResultPage(catalog, 80, options), kPager), 1u);
}

TEST(ResultPage, EmptyPagePastTheEnd) {
    PageOptions options;
    options.style = WhitespaceStyle::kMinified;
    const std::string page = RenderResultPage(Catalog(100), 120, options);
    EXPECT_EQ(Rows(page).size(), 0u);
    EXPECT_EQ(Occurrences(page, kCount100), 1u);
    EXPECT_EQ(Occurrences(page, kPager), 1u);
}

TEST(ResultPage, HeadIsPaddedToTheAskedSize) {
    const Catalog catalog(1);
    PageOptions options;
    options.headBytes = 0;
    const std::size_t bare = RenderResultPage(catalog, 0, options).size();
    options.headBytes = 300000;
    const std::string padded = RenderResultPage(catalog, 0, options);
    EXPECT_GE(padded.size(), bare + 300000);
    EXPECT_LT(padded.size(), bare + 300000 + 200);
    EXPECT_LT(padded.find("</head>"), padded.find("<body>"));
    EXPECT_GT(padded.find("</head>"), 300000u);
}

TEST(ResultPage, WholePageConvertsToGbk) {
    PageOptions options;
    options.style = WhitespaceStyle::kPretty;
    EXPECT_NO_THROW(Utf8ToGbk(RenderResultPage(Catalog(1000), 0, options)));
    EXPECT_NO_THROW(Utf8ToGbk(RenderItemPage(MakeCatalogItem(57), "h")));
    EXPECT_NO_THROW(Utf8ToGbk(RenderErrorPage(404, "页面不存在")));
}

TEST(ItemPage, ShowsTheItem) {
    const CatalogItem item = MakeCatalogItem(57);
    const std::string page = RenderItemPage(item, "h:2");
    EXPECT_NE(page.find("<h1>" + item.Title() + "</h1>"), std::string::npos);
    EXPECT_NE(page.find(">" + item.seller + "</a>"), std::string::npos);
    EXPECT_NE(page.find(item.price), std::string::npos);
    EXPECT_NE(page.find(item.id), std::string::npos);
}

// ---- requests --------------------------------------------------------------

using Query = std::multimap<std::string, std::string>;

Query FirstPageQuery() {
    return {{"initiative_id", "staobaoz_20240131"}, {"tab", "all"}, {"style", "list"}, {"q", "裙"}};
}

TEST(SearchRequestTest, FirstPageHasOffsetZero) {
    const SearchRequest request = ReadSearchRequest(FirstPageQuery());
    EXPECT_TRUE(request.valid) << request.error;
    EXPECT_EQ(request.offset, 0u);
}

TEST(SearchRequestTest, LaterPageCarriesItsOffset) {
    Query query = FirstPageQuery();
    query.insert({{"bcoffset", "4"}, {"s", "80"}, {"other", "x"}});
    const SearchRequest request = ReadSearchRequest(query);
    EXPECT_TRUE(request.valid) << request.error;
    EXPECT_EQ(request.offset, 80u);
}

TEST(SearchRequestTest, EmptyKeywordIsAccepted) {
    Query query = FirstPageQuery();
    query.find("q")->second.clear();
    EXPECT_TRUE(ReadSearchRequest(query).valid);
}

TEST(SearchRequestTest, RefusesMalformedRequests) {
    auto refused = [](const std::function<void(Query&)>& change) {
        Query query = FirstPageQuery();
        query.insert({{"bcoffset", "4"}, {"s", "40"}});
        change(query);
        const SearchRequest request = ReadSearchRequest(query);
        return !request.valid && !request.error.empty();
    };
    EXPECT_FALSE(refused([](Query&) {}));
    EXPECT_TRUE(refused([](Query& q) { q.erase("q"); }));
    EXPECT_TRUE(refused([](Query& q) { q.erase("tab"); }));
    EXPECT_TRUE(refused([](Query& q) { q.erase("style"); }));
    EXPECT_TRUE(refused([](Query& q) { q.erase("initiative_id"); }));
    EXPECT_TRUE(refused([](Query& q) { q.find("initiative_id")->second = "staobaoz_2024013"; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("initiative_id")->second = "staobaoz_2024013x"; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("initiative_id")->second = "xtaobaoz_20240131"; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("tab")->second = "mall"; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("style")->second = "grid"; }));
    EXPECT_TRUE(refused([](Query& q) { q.erase("bcoffset"); }));
    EXPECT_TRUE(refused([](Query& q) { q.erase("s"); }));
    EXPECT_TRUE(refused([](Query& q) { q.find("bcoffset")->second = "3"; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("s")->second = "-40"; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("s")->second = ""; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("s")->second = "4O"; }));
    EXPECT_TRUE(refused([](Query& q) { q.find("s")->second = "1234567890123456789"; }));
    EXPECT_TRUE(refused([](Query& q) { q.insert({"s", "80"}); }));
    EXPECT_TRUE(refused([](Query& q) { q.insert({"q", "again"}); }));
}

// ---- command line ----------------------------------------------------------

DemoOptions Parse(std::vector<const char*> args) {
    return ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(Options, Defaults) {
    const DemoOptions options = Parse({});
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.items, 100u);
    EXPECT_EQ(options.page.style, WhitespaceStyle::kLines);
    EXPECT_FALSE(options.page.total.has_value());
    EXPECT_FALSE(options.page.laterTotal.has_value());
    EXPECT_TRUE(options.page.showCount);
    EXPECT_FALSE(options.page.pagerOnLast);
    EXPECT_EQ(options.page.pastEnd, PastEndAnswer::kEmptyPage);
    EXPECT_FALSE(options.failPage.has_value());
    EXPECT_FALSE(options.slowPage.has_value());
    EXPECT_FALSE(options.exitAfterSeconds.has_value());
    EXPECT_TRUE(options.logFile.empty());
    EXPECT_FALSE(options.dumpCatalog);
}

TEST(Options, ReadsEveryOption) {
    const DemoOptions options = Parse({"--port",
                                       "8080",
                                       "--style=pretty",
                                       "--items",
                                       "0",
                                       "--total",
                                       "2345",
                                       "--later-total=7",
                                       "--no-count",
                                       "--pager-on-last",
                                       "--past-end",
                                       "last",
                                       "--fail-page",
                                       "3",
                                       "--fail-mode",
                                       "close",
                                       "--slow-page=2",
                                       "--slow-ms",
                                       "1500",
                                       "--log",
                                       "/tmp/x.log",
                                       "--timing-log=/tmp/t.log",
                                       "--head-bytes",
                                       "300000",
                                       "--exit-after-seconds",
                                       "9",
                                       "--dump-catalog"});
    EXPECT_EQ(options.port, 8080);
    EXPECT_EQ(options.page.style, WhitespaceStyle::kPretty);
    EXPECT_EQ(options.items, 0u);
    EXPECT_EQ(options.page.total, 2345u);
    EXPECT_EQ(options.page.laterTotal, 7u);
    EXPECT_FALSE(options.page.showCount);
    EXPECT_TRUE(options.page.pagerOnLast);
    EXPECT_EQ(options.page.pastEnd, PastEndAnswer::kLastPage);
    EXPECT_EQ(options.failPage, 3u);
    EXPECT_EQ(options.failMode, FailMode::kClose);
    EXPECT_EQ(options.slowPage, 2u);
    EXPECT_EQ(options.slowMs, 1500u);
    EXPECT_EQ(options.logFile, "/tmp/x.log");
    EXPECT_EQ(options.timingLogFile, "/tmp/t.log");
    EXPECT_EQ(options.page.headBytes, 300000u);
    EXPECT_EQ(options.exitAfterSeconds, 9u);
    EXPECT_TRUE(options.dumpCatalog);
}

TEST(Options, RefusesBadValues) {
    const std::vector<std::vector<const char*>> bad = {
        {"--port", "65536"},
        {"--port", "-1"},
        {"--port"},
        {"--style", "fancy"},
        {"--items", "1000001"},
        {"--items", "ten"},
        {"--total", "+5"},
        {"--past-end", "first"},
        {"--fail-page", "0"},
        {"--fail-mode", "status"},
        {"--fail-page", "2", "--fail-mode", "hang"},
        {"--slow-page", "2"},
        {"--slow-ms", "10"},
        {"--slow-page", "2", "--slow-ms", "300001"},
        {"--log", ""},
        {"--timing-log", ""},
        {"--head-bytes", "67108865"},
        {"--exit-after-seconds", "0"},
        {"--no-count=yes"},
        {"--what"},
        {"extra"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const char* arg : args) joined += std::string(arg) + " ";
        EXPECT_THROW(Parse(args), OptionError) << joined;
    }
}

TEST(Options, HostCheck) {
    EXPECT_TRUE(IsValidHost("item.taobao.com"));
    EXPECT_TRUE(IsValidHost("127.0.0.1:8080"));
    EXPECT_TRUE(IsValidHost("[::1]:80"));
    EXPECT_FALSE(IsValidHost(""));
    EXPECT_FALSE(IsValidHost("a b"));
    EXPECT_FALSE(IsValidHost("a/b"));
    EXPECT_FALSE(IsValidHost("a\"b"));
    EXPECT_FALSE(IsValidHost(std::string(256, 'a')));
}

}  // namespace
}  // namespace sorvik::demo
