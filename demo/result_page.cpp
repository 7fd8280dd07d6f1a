#include "result_page.h"

#include <algorithm>
#include <cstdio>

namespace sorvik::demo {
namespace {

using Attributes = HtmlNode::Attributes;

constexpr const char* kSiteName = "Sorvik 演示市场";

const char* const kBaseStyleSheet =
    "body{margin:0;font:12px/1.5 tahoma,arial,sans-serif}\n"
    ".item{overflow:hidden;border-bottom:1px solid #eee}\n"
    ".col{float:left;width:120px}\n"
    ".price{color:#f40;font-weight:bold}\n";

// Padding that makes the head as heavy as the marketplace's, which carries
// hundreds of kilobytes of styles and scripts. Each helper appends whole
// lines until `text` is at least `bytes` long.
void PadStyleSheet(std::string& text, std::size_t bytes) {
    char line[96];
    for (std::size_t rule = 0; text.size() < bytes; ++rule) {
        std::snprintf(line, sizeof line, ".srp-r%zu{margin:0 auto;padding:2px 4px;color:#3c3c3c}\n",
                      rule);
        text += line;
    }
}

void PadScript(std::string& text, std::size_t bytes) {
    char line[96];
    for (std::size_t entry = 0; text.size() < bytes; ++entry) {
        std::snprintf(line, sizeof line,
                      "g_srp_pad[%zu]=\"0123456789abcdefghijklmnopqrstuvwxyz\";\n", entry);
        text += line;
    }
}

HtmlNode MakeHead(const std::string& title, const std::string& pageConfig, std::size_t padBytes) {
    HtmlNode head = HtmlNode::Element("head");
    head.Block();
    head.AddElement("meta", {{"charset", "gbk"}});
    head.AddElement("title").AddText(title);
    head.AddElement("link", {{"rel", "stylesheet"}, {"href", "/static/search.css"}});

    std::string styleSheet = kBaseStyleSheet;
    PadStyleSheet(styleSheet, styleSheet.size() + padBytes / 2);
    head.AddElement("style").Add(HtmlNode::RawText(styleSheet));

    head.AddElement("script", {{"src", "/static/jquery.min.js"}});
    std::string script = "var g_page_config = " + pageConfig + ";\nvar g_srp_pad = [];\n";
    PadScript(script, script.size() + (padBytes - padBytes / 2));
    head.AddElement("script").Add(HtmlNode::RawText(script));
    return head;
}

// Site navigation, banner, search box and filter links above the results.
void AddPageTop(HtmlNode& body) {
    body.Add(HtmlNode::Comment(" site navigation "));
    HtmlNode& nav = body.AddElement("div", {{"id", "J_SiteNav"}, {"class", "site-nav"}});
    nav.AddElement("a", {{"href", "/"}}).AddText("首页");
    nav.AddElement("a", {{"href", "#"}}).AddText("我的市场");
    nav.AddElement("a", {{"href", "#"}}).AddText("购物车");

    HtmlNode& banner = body.AddElement("div", {{"class", "banner"}});
    banner.AddElement("a", {{"href", "#"}})
        .AddElement("img", {{"src", "/static/banner.png"}, {"alt", "春季上新"}});

    HtmlNode& form = body.AddElement("form", {{"class", "search-box"}, {"action", "/search"}});
    form.AddElement("input", {{"type", "text"}, {"name", "q"}, {"value", ""}});
    form.AddElement("button", {{"type", "submit"}}).AddText("搜索");

    HtmlNode& filter = body.AddElement("div", {{"class", "filter"}});
    filter.AddElement("span").AddText("筛选：");
    filter.AddElement("a", {{"href", "#"}, {"class", "sort"}}).AddText("价格");
    filter.AddElement("a", {{"href", "#"}, {"class", "sort"}}).AddText("销量");
    filter.AddElement("a", {{"href", "#"}, {"class", "sort"}}).AddText("信用");
}

void AddCount(HtmlNode& parent, std::uint64_t total) {
    HtmlNode& list = parent.AddElement("ul", {{"class", "result-summary"}});
    list.AddElement("li", {{"class", "result-info"}}).AddText(std::to_string(total) + "件宝贝");
    list.AddElement("li").AddText("综合排序");
}

void AddItem(HtmlNode& parent, const CatalogItem& item, const std::string& host) {
    HtmlNode& block = parent.AddElement("div", {{"class", "item"}});
    block.Block();

    HtmlNode& title =
        block.AddElement("h3", {{"class", "summary"}})
            .AddElement("a", {{"href", ItemLink(item, host)}, {"title", item.Title()}});
    title.AddText(item.titleBefore);
    title.AddElement("em").AddText(item.titleEmphasis);
    if (!item.titleAfter.empty()) title.AddText(item.titleAfter);

    block.AddElement("div", {{"class", "seller"}})
        .AddElement("a", {{"href", ShopLink(item, host)}})
        .AddText(item.seller);

    HtmlNode& total = block.AddElement("div", {{"class", "col total"}});
    total.AddElement("div", {{"class", "price"}}).AddText(item.price);
    total.AddElement("div", {{"class", "postage"}}).AddText(item.postage);

    block.AddElement("div", {{"class", "col dealing"}})
        .AddElement("div", {{"class", "deal-cnt"}})
        .AddText(item.sales);
}

// A promoted entry between the results, as the marketplace mixes them in.
void AddInlineAd(HtmlNode& parent) {
    HtmlNode& ad = parent.AddElement("div", {{"class", "ad-inline"}});
    HtmlNode& link = ad.AddElement("a", {{"href", "#"}});
    link.AddElement("span", {{"class", "ad-mark"}}).AddText("广告");
    link.AddText("掌柜热卖 精选好货");
}

void AddPager(HtmlNode& parent) {
    HtmlNode& pager = parent.AddElement("div", {{"class", "tb-pagination tb-pagination-new"}});
    pager.AddElement("a", {{"href", "#"}}).AddText("上一页");
    pager.AddElement("a", {{"href", "#"}}).AddText("下一页");
}

void AddPageBottom(HtmlNode& body) {
    HtmlNode& ad = body.AddElement("div", {{"class", "ad-block"}});
    ad.AddElement("a", {{"href", "#"}})
        .AddElement("img", {{"src", "/static/ad.png"}, {"alt", "推广"}});
    body.Add(HtmlNode::Comment(" footer "));
    body.AddElement("div", {{"class", "footer"}})
        .AddElement("p")
        .AddText(std::string(kSiteName) + " 仅供演示");
    body.AddElement("script").Add(HtmlNode::RawText("window.g_srp_loaded = true;"));
}

}  // namespace

PagePlan PlanResultPage(std::size_t catalogSize, std::uint64_t offset, const PageOptions& options) {
    PagePlan plan;
    plan.showCount = options.showCount;
    const std::uint64_t firstTotal = options.total.value_or(catalogSize);
    plan.total = offset == 0 ? firstTotal : options.laterTotal.value_or(firstTotal);

    std::uint64_t start = offset;
    const bool pastEnd = offset >= catalogSize && offset > 0;
    if (pastEnd) {
        if (options.pastEnd == PastEndAnswer::kEmptyPage) {
            plan.firstIndex = catalogSize;
            plan.itemCount = 0;
            plan.showPager = true;
            return plan;
        }
        start = catalogSize == 0 ? 0 : (catalogSize - 1) / kItemsPerPage * kItemsPerPage;
    }
    plan.firstIndex = static_cast<std::size_t>(start);
    plan.itemCount = std::min<std::size_t>(kItemsPerPage, catalogSize - plan.firstIndex);
    const bool lastPage = plan.firstIndex + kItemsPerPage >= catalogSize;
    plan.showPager = !lastPage || options.pagerOnLast;
    return plan;
}

std::string RenderResultPage(const Catalog& catalog, std::uint64_t offset,
                             const PageOptions& options) {
    const PagePlan plan = PlanResultPage(catalog.Size(), offset, options);

    const std::string pageConfig =
        "{\"pageName\":\"mainsrp\",\"pager\":{\"pageSize\":" + std::to_string(kItemsPerPage) +
        ",\"totalCount\":" + std::to_string(plan.total) +
        ",\"currentPage\":" + std::to_string(offset / kItemsPerPage + 1) + "}}";

    HtmlNode html = HtmlNode::Element("html");
    html.Block();
    html.Add(MakeHead(std::string("商品搜索 - ") + kSiteName, pageConfig, options.headBytes));

    HtmlNode& body = html.AddElement("body");
    body.Block();
    AddPageTop(body);

    HtmlNode& results = body.AddElement("div", {{"id", "mainsrp-itemlist"}});
    results.Block();
    if (plan.showCount) AddCount(results, plan.total);
    HtmlNode& items = results.AddElement("div", {{"class", "items"}});
    items.Block();
    for (std::size_t i = 0; i < plan.itemCount; ++i) {
        const CatalogItem& item = catalog.Items()[plan.firstIndex + i];
        items.Add(HtmlNode::Comment(" item " + std::to_string(item.position) + " "));
        AddItem(items, item, options.itemHost);
        if (i + 1 == kItemsPerPage / 2 && i + 1 < plan.itemCount) AddInlineAd(items);
    }
    if (plan.showPager) AddPager(results);

    AddPageBottom(body);
    return html.WriteDocument(options.style);
}

std::string RenderItemPage(const CatalogItem& item, const std::string& itemHost) {
    HtmlNode html = HtmlNode::Element("html");
    html.Block();
    html.Add(MakeHead(item.Title() + " - " + kSiteName, "{\"pageName\":\"item\"}", 0));

    HtmlNode& body = html.AddElement("body");
    body.Block();
    HtmlNode& detail = body.AddElement("div", {{"class", "item-detail"}, {"data-id", item.id}});
    detail.Block();
    detail.AddElement("h1").AddText(item.Title());
    HtmlNode& seller = detail.AddElement("p", {{"class", "seller"}});
    seller.AddText("掌柜：");
    seller.AddElement("a", {{"href", ShopLink(item, itemHost)}}).AddText(item.seller);
    detail.AddElement("p", {{"class", "price"}}).AddText("价格：" + item.price);
    detail.AddElement("p", {{"class", "postage"}}).AddText(item.postage);
    detail.AddElement("p", {{"class", "sales"}}).AddText(item.sales);
    detail.AddElement("p", {{"class", "item-id"}}).AddText("商品编号：" + item.id);
    return html.WriteDocument(WhitespaceStyle::kLines);
}

std::string RenderErrorPage(int status, const std::string& message) {
    HtmlNode html = HtmlNode::Element("html");
    html.Block();
    HtmlNode& head = html.AddElement("head");
    head.Block();
    head.AddElement("meta", {{"charset", "gbk"}});
    head.AddElement("title").AddText(std::to_string(status) + " - " + kSiteName);
    HtmlNode& body = html.AddElement("body");
    body.Block();
    body.AddElement("h1").AddText(std::to_string(status));
    body.AddElement("p").AddText(message);
    return html.WriteDocument(WhitespaceStyle::kLines);
}

}  // namespace sorvik::demo
