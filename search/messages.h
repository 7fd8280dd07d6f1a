// Every text the search shows to the user, in GBK.
#pragma once

#include <string>

namespace sorvik {
namespace messages {

// Form validation.
const std::string& KeywordEmpty();          // 关键词不能为空
const std::string& KeywordOrSellerEmpty();  // 关键词和用户名不能为空
const std::string& KeywordOrLinkEmpty();    // 关键词和宝贝链接不能为空
// 关键词太长：编码后超过 5119 字节，请缩短关键词。
const std::string& KeywordTooLong();
// 关键词中的“CHARACTER”无法按 GBK 编码发送，请删去它。 with the character as
// the front end named it (ASCII, such as U+1F600).
std::string KeywordOutsideGbk(const std::string& character);
// 请输入正确的宝贝链接,如http://ITEM_HOST/item.htm?id=... with the configured item host.
std::string BadItemLink();

// Failures.
const std::string& FirstDownloadFailed();  // 网络连接失败1
const std::string& LaterDownloadFailed();  // 网络连接失败2
const std::string& NothingToAnalyse();     // 网络连接失败
const std::string& NoItems();              // 没有查询到任何宝贝

// Progress and outcomes, filled with rank, total and page number.
std::string Progress(int rank, int total, int page);    // 查找进度:%d/%d 第%d页
std::string Found(int rank, int total, int page);       // 找到咯，排名为:%d/%d 第%d页
std::string AllSeen(int rank, int total, int page);     // ...->查找完毕1
std::string NoNextPage(int rank, int total, int page);  // ...->分析完成

}  // namespace messages
}  // namespace sorvik
