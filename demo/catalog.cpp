#include "catalog.h"

#include <algorithm>
#include <cstdio>

namespace sorvik::demo {
namespace {

constexpr std::uint64_t kFirstItemId = 10000000001ULL;

const char* const kStyles[] = {"韩版", "欧美", "复古", "简约", "日系",
                               "宽松", "修身", "加厚", "纯棉", "真丝"};
const char* const kCuts[] = {"长袖", "短款", "中长款", "高腰", "圆领", "V领", "百搭"};
const char* const kProducts[] = {"连衣裙", "毛衣", "衬衫", "外套", "牛仔裤",
                                 "半身裙", "卫衣", "风衣", "T恤",  "羽绒服"};

struct Seller {
    const char* name;
    int user;
};

// Sellers that recur through the whole catalog. Names mix Chinese text,
// ASCII and blanks; "shop A" and "shop AB" differ only by a suffix.
const Seller kRegularSellers[] = {
    {"小美 的店", 11},        {"shop A", 12},  {"韩风衣橱", 13},    {"Lucy Fashion", 14},
    {"潮流 前线 旗舰店", 15}, {"shop AB", 16}, {"老王家 服饰", 17},
};

// Sellers that own exactly one position each, so a search for them ends on
// a known page: the last item of page 1, the first and a middle item of
// page 2, and the last item of a 100-item catalog.
struct SingleSeller {
    std::uint64_t position;
    Seller seller;
};
const SingleSeller kSingleSellers[] = {
    {40, {"末位 小店", 21}},
    {41, {"shop B", 22}},
    {57, {"深夜 小铺", 23}},
    {100, {"最后 一家", 24}},
};

template <typename T, std::size_t N>
constexpr std::size_t CountOf(const T (&)[N]) {
    return N;
}

std::string FormatMoney(unsigned yuan, unsigned fen) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", yuan, fen);
    return text;
}

}  // namespace

CatalogItem MakeCatalogItem(std::uint64_t position) {
    CatalogItem item;
    item.position = position;
    item.id = std::to_string(kFirstItemId + position - 1);

    const std::uint64_t p = position;
    item.titleBefore =
        std::string(kStyles[p % CountOf(kStyles)]) + " " + kCuts[(p / 3) % CountOf(kCuts)] + " ";
    item.titleEmphasis = kProducts[(p * 7 / 5) % CountOf(kProducts)];
    if (p % 4 == 0) item.titleAfter = " 新款";

    Seller seller = kRegularSellers[((p - 1) * 5 + (p - 1) / 9) % CountOf(kRegularSellers)];
    for (const SingleSeller& single : kSingleSellers) {
        if (single.position == p) seller = single.seller;
    }
    item.seller = seller.name;
    item.sellerUser = seller.user;

    item.price = "￥" + FormatMoney(39 + static_cast<unsigned>(p * 37 % 500),
                                    static_cast<unsigned>(p * 13 % 100));
    item.postage = "运费 " + FormatMoney(p % 3 == 0 ? 10 : 0, 0);
    item.sales = "最近成交 " + std::to_string(p * 53 % 900 + 1) + " 笔";

    // Most links carry only the id; some have other keys before or after it.
    switch (p % 7) {
        case 3:
            item.linkQuery = "spm=a1z10.1&id=" + item.id;
            break;
        case 5:
            item.linkQuery = "id=" + item.id + "&ns=1";
            break;
        default:
            item.linkQuery = "id=" + item.id;
            break;
    }
    return item;
}

Catalog::Catalog(std::size_t size, std::size_t rotate) {
    size = std::min(size, kMaxCatalogSize);
    m_rotate = size == 0 ? 0 : rotate % size;
    m_items.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        m_items.push_back(MakeCatalogItem((i + m_rotate) % size + 1));
        m_items.back().position = i + 1;
    }
}

const CatalogItem* Catalog::FindById(const std::string& id) const {
    if (id.size() != 11 ||
        !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return nullptr;
    }
    const std::uint64_t value = std::stoull(id);
    if (value < kFirstItemId || value - kFirstItemId >= m_items.size()) return nullptr;
    const std::size_t made = static_cast<std::size_t>(value - kFirstItemId);
    return &m_items[(made + m_items.size() - m_rotate) % m_items.size()];
}

std::string ItemLink(const CatalogItem& item, const std::string& host) {
    std::string link = host.empty() ? std::string() : "http://" + host;
    return link + "/item.htm?" + item.linkQuery;
}

std::string ShopLink(const CatalogItem& item, const std::string& host) {
    return "http://" + host + "/shop.htm?user=" + std::to_string(item.sellerUser);
}

void WriteCatalogTsv(std::ostream& out, const Catalog& catalog, const std::string& host) {
    out << "position\tid\ttitle\tseller\tprice\tsales\tlink\n";
    for (const CatalogItem& item : catalog.Items()) {
        out << item.position << '\t' << item.id << '\t' << item.Title() << '\t' << item.seller
            << '\t' << item.price << '\t' << item.sales << '\t' << ItemLink(item, host) << '\n';
    }
}

}  // namespace sorvik::demo
