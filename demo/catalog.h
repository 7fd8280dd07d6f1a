// The demo marketplace's built-in catalog: a deterministic list of items in
// result order. Every keyword gets the same catalog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace sorvik::demo {

// One search result. Texts are UTF-8; the server converts pages to GBK.
struct CatalogItem {
    std::uint64_t position = 0;  // 1-based result position
    std::string id;              // 11 decimal digits
    // The title is titleBefore + titleEmphasis + titleAfter; the result page
    // wraps titleEmphasis in <em> inside the title link, as the marketplace
    // highlights the matched word.
    std::string titleBefore;
    std::string titleEmphasis;
    std::string titleAfter;
    std::string seller;
    int sellerUser = 0;     // the seller's shop number in the shop link
    std::string price;      // "￥128.00"
    std::string postage;    // "运费 0.00"
    std::string sales;      // "最近成交 35 笔"
    std::string linkQuery;  // query of the item link: "id=...", "spm=...&id=..." or "id=...&ns=1"

    std::string Title() const { return titleBefore + titleEmphasis + titleAfter; }
};

// The largest catalog the demo builds; keeps memory and page numbers sane.
constexpr std::size_t kMaxCatalogSize = 1000000;

class Catalog {
  public:
    // Builds the first `size` items (at most kMaxCatalogSize). The item at a
    // position is the same whatever the size. With `rotate`, the order is
    // turned by that many places, as if the results had moved since: the
    // item that would stand at position p + rotate stands at p (the first
    // ones go to the end).
    explicit Catalog(std::size_t size, std::size_t rotate = 0);

    const std::vector<CatalogItem>& Items() const { return m_items; }
    std::size_t Size() const { return m_items.size(); }

    // The item with this id, or nullptr.
    const CatalogItem* FindById(const std::string& id) const;

  private:
    std::vector<CatalogItem> m_items;
    std::size_t m_rotate = 0;
};

// Builds the item at a 1-based position.
CatalogItem MakeCatalogItem(std::uint64_t position);

// "http://HOST/item.htm?QUERY". With an empty host, only "/item.htm?QUERY".
std::string ItemLink(const CatalogItem& item, const std::string& host);

// "http://HOST/shop.htm?user=N".
std::string ShopLink(const CatalogItem& item, const std::string& host);

// Writes the catalog as tab-separated UTF-8 lines: a header line, then one
// line per item with position, id, title, seller, price, sales and link.
// The link is written as ItemLink(item, host).
void WriteCatalogTsv(std::ostream& out, const Catalog& catalog, const std::string& host);

}  // namespace sorvik::demo
