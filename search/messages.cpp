#include "messages.h"

#include <algorithm>
#include <cstdio>

#include "gbk_text.h"
#include "search_address.h"

namespace sorvik {
namespace messages {
namespace {

// The texts are written here in UTF-8 and converted to GBK once.
#define SORVIK_GBK_TEXT(name, utf8)                      \
    const std::string& name() {                          \
        static const std::string text = Utf8ToGbk(utf8); \
        return text;                                     \
    }

SORVIK_GBK_TEXT(ProgressFormat, "查找进度:%d/%d 第%d页")
SORVIK_GBK_TEXT(FoundFormat, "找到咯，排名为:%d/%d 第%d页")
SORVIK_GBK_TEXT(AllSeenFormat, "查找进度:%d/%d 第%d页->查找完毕1")
SORVIK_GBK_TEXT(NoNextPageFormat, "查找进度:%d/%d 第%d页->分析完成")
SORVIK_GBK_TEXT(BadItemLinkPrefix, "请输入正确的宝贝链接,如")
SORVIK_GBK_TEXT(OutsideGbkPrefix, "关键词中的“")
SORVIK_GBK_TEXT(OutsideGbkSuffix, "”无法按 GBK 编码发送，请删去它。")

// GBK trail bytes are 0x40 and above, so a GBK format string holds no
// stray '%' and can go to snprintf as it is.
std::string Fill(const std::string& format, int rank, int total, int page) {
    char buffer[256];
    int n = std::snprintf(buffer, sizeof buffer, format.c_str(), rank, total, page);
    return n < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(n, sizeof buffer - 1));
}

}  // namespace

SORVIK_GBK_TEXT(KeywordEmpty, "关键词不能为空")
SORVIK_GBK_TEXT(KeywordOrSellerEmpty, "关键词和用户名不能为空")
SORVIK_GBK_TEXT(KeywordOrLinkEmpty, "关键词和宝贝链接不能为空")
SORVIK_GBK_TEXT(FirstDownloadFailed, "网络连接失败1")
SORVIK_GBK_TEXT(LaterDownloadFailed, "网络连接失败2")
SORVIK_GBK_TEXT(NothingToAnalyse, "网络连接失败")
SORVIK_GBK_TEXT(NoItems, "没有查询到任何宝贝")

SORVIK_GBK_TEXT(KeywordTooLong, "关键词太长：编码后超过 5119 字节，请缩短关键词。")

#undef SORVIK_GBK_TEXT

std::string KeywordOutsideGbk(const std::string& character) {
    return OutsideGbkPrefix() + character + OutsideGbkSuffix();
}

std::string BadItemLink() {
    return BadItemLinkPrefix() + "http://" + ItemHost() + "/item.htm?id=16421734568";
}

std::string Progress(int rank, int total, int page) {
    return Fill(ProgressFormat(), rank, total, page);
}
std::string Found(int rank, int total, int page) {
    return Fill(FoundFormat(), rank, total, page);
}
std::string AllSeen(int rank, int total, int page) {
    return Fill(AllSeenFormat(), rank, total, page);
}
std::string NoNextPage(int rank, int total, int page) {
    return Fill(NoNextPageFormat(), rank, total, page);
}

}  // namespace messages
}  // namespace sorvik
