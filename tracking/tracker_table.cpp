#include "tracker_table.h"

#include <algorithm>

#include "form_check.h"
#include "gbk_text.h"
#include "messages.h"
#include "search_address.h"
#include "search_form.h"
#include "summary.h"

namespace sorvik {

const char* TableColumnCaption(TableColumn column) {
    switch (column) {
        case TableColumn::Keyword:
            return "关键词";
        case TableColumn::Target:
            return "目标";
        case TableColumn::Mode:
            return "方式";
        case TableColumn::Group:
            return "分组";
        case TableColumn::Rank:
            return "排名";
        case TableColumn::Page:
            return "页";
        case TableColumn::Change:
            return "变化";
        case TableColumn::BestRank:
            return "最佳";
        case TableColumn::CheckedAt:
            return "上次检查";
        case TableColumn::Outcome:
            return "结果";
    }
    return "";
}

const char* EmptyListHint() {
    return "还没有要跟踪的关键词。点“添加”（Ctrl+N）加一行，或用“文件 → 导入列表”读入一个列表。";
}

std::string ModeWord(SearchMode mode) {
    switch (mode) {
        case kModeSeller:
            return "用户名";
        case kModeItemLink:
            return "宝贝链接";
        default:
            return "关键词";
    }
}

std::string OutcomeWords(CheckOutcome outcome) {
    switch (outcome) {
        case CheckOutcome::Found:
            return "找到";
        case CheckOutcome::NotFound:
            return "未找到";
        case CheckOutcome::Finished:
            return "已列完";
        case CheckOutcome::NoItems:
            return "没有宝贝";
        case CheckOutcome::DownloadFailed:
            return "下载失败";
        case CheckOutcome::FormRejected:
            return "输入有误";
        case CheckOutcome::Stopped:
            return "已停止";
        case CheckOutcome::Other:
            break;
    }
    return "未知结果";
}

std::string OutcomeWords(const std::string& outcome) {
    const CheckOutcome named = CheckOutcomeNamed(outcome);
    if (named == CheckOutcome::Other) return "未知结果（" + outcome + "）";
    return OutcomeWords(named);
}

std::string ChangeWords(const SummaryRecord& summary) {
    // The console's mark, with 新 for its "new".
    const std::string mark = ChangeMark(summary);
    return mark == "new" ? "新" : mark;
}

std::string ShortTime(const std::string& checkedAt) {
    if (checkedAt.size() < 16 || checkedAt[10] != 'T') return checkedAt;
    return checkedAt.substr(0, 10) + " " + checkedAt.substr(11, 5);
}

const std::string& TableRow::Shown(TableColumn column) const {
    static const std::string kNone;
    const auto index = static_cast<std::size_t>(column);
    if (column == TableColumn::Target && !itemTitle.empty()) return itemTitle;
    return index < cells.size() ? cells[index] : kNone;
}

TableRow DescribeLine(const BatchLine& line, const SummaryRecord* latest,
                      const std::optional<std::string>& itemTitle) {
    TableRow row;
    row.cells.resize(kTableColumnCount);
    // A link reads as a string of digits; its item's title says which it is.
    if (line.Mode() == kModeItemLink && itemTitle) row.itemTitle = *itemTitle;
    auto cell = [&](TableColumn column) -> std::string& {
        return row.cells[static_cast<std::size_t>(column)];
    };
    cell(TableColumn::Keyword) = line.keyword;
    cell(TableColumn::Target) = line.target;
    cell(TableColumn::Mode) = ModeWord(line.Mode());
    cell(TableColumn::Group) = line.group;
    if (!latest) {
        cell(TableColumn::Outcome) = "未检查";
        return row;
    }
    const CheckOutcome outcome = latest->outcome;
    if (!IsCompletedCheck(outcome)) {
        // A failed check has no rank of its own: shown as failed, never as
        // a rank or as not ranked.
        row.state = LineState::Failed;
    } else if (latest->rank) {
        row.state = LineState::Ranked;
        cell(TableColumn::Rank) = std::to_string(*latest->rank);
        if (latest->page) cell(TableColumn::Page) = std::to_string(*latest->page);
    } else {
        row.state = LineState::NotRanked;
        if (outcome == CheckOutcome::NotFound) cell(TableColumn::Rank) = "未上榜";
    }
    cell(TableColumn::Change) = ChangeWords(*latest);
    if (latest->bestRank) cell(TableColumn::BestRank) = std::to_string(*latest->bestRank);
    cell(TableColumn::CheckedAt) = ShortTime(latest->checkedAt);
    cell(TableColumn::Outcome) = OutcomeWords(latest->outcome);
    return row;
}

std::string RowsAsTsv(const std::vector<TableRow>& rows) {
    std::string text;
    for (std::size_t i = 0; i < kTableColumnCount; ++i)
        text += std::string(i ? "\t" : "") + TableColumnCaption(static_cast<TableColumn>(i));
    text += '\n';
    for (const TableRow& row : rows) {
        for (std::size_t i = 0; i < row.cells.size(); ++i)
            text += (i ? "\t" : "") + RowField(row.cells[i]);
        text += '\n';
    }
    return text;
}

namespace {

// The dialog's message for a link it can't use, and what is wrong with
// this one: a browser's https link is taken too, so the example shows it,
// and a link of another host is named as such.
std::string BadLinkProblem(const std::string& link) {
    std::string problem = GbkToUtf8(messages::BadItemLink()) +
                          "\n\n可以直接从浏览器复制，如 https://" + ItemHost() +
                          "/item.htm?id=16421734568";
    const std::size_t scheme = link.find("://");
    if (scheme != std::string::npos) {
        const std::string rest = link.substr(scheme + 3);
        const std::string host = rest.substr(0, rest.find_first_of("/?#"));
        if (!host.empty() && host != ItemHost())
            problem += "。\n这个链接的网站是 " + host + "，宝贝链接应在 " + ItemHost() + " 上";
        else if (link.find("id=") == std::string::npos)
            problem += "。\n这个链接里没有宝贝 id（id=…）";
    }
    return problem + "。";
}

}  // namespace

std::optional<std::string> LineProblem(SearchMode mode, const std::string& keyword,
                                       const std::string& target,
                                       const std::vector<BatchLine>& list,
                                       std::optional<std::size_t> editing) {
    const std::string kept = mode == kModeKeyword ? std::string() : target;
    // The search's own form check and messages, on the form a check of the
    // line would read.
    const FormCheck check =
        ValidateForm(mode, mode == kModeItemLink ? GbkForm(keyword, "", FormItemLink(kept))
                                                 : GbkForm(keyword, kept, ""));
    if (check.rejection == FormRejection::BadItemLink) return BadLinkProblem(kept);
    if (check.rejection != FormRejection::None) return GbkToUtf8(check.message);
    // What the list file can't hold.
    if ((keyword + kept).find_first_of("\t\r\n") != std::string::npos)
        return std::string("关键词和目标里不能有制表符或换行");
    if (keyword[0] == '#') return std::string("关键词不能以 # 开头（列表文件中这样的行是注释）");
    const BatchLine line{0, keyword, kept, std::string()};
    if (mode == kModeSeller && line.Mode() != kModeSeller)
        return std::string("用户名不能以 http:// 或 https:// 开头");
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (editing && *editing == i) continue;
        if (list[i].keyword == keyword && list[i].target == kept)
            return std::string("列表中已有这个关键词和目标");
    }
    return std::nullopt;
}

std::optional<std::string> GroupProblem(const std::string& group) {
    if (group.find_first_of("\t\r\n") != std::string::npos)
        return std::string("分组里不能有制表符或换行");
    return std::nullopt;
}

std::vector<std::string> GroupsInUse(const std::vector<BatchLine>& lines) {
    std::vector<std::string> groups;
    for (const BatchLine& line : lines)
        if (!line.group.empty() &&
            std::find(groups.begin(), groups.end(), line.group) == groups.end())
            groups.push_back(line.group);
    return groups;
}

std::vector<std::size_t> LinesInGroup(const std::vector<BatchLine>& lines,
                                      const std::string& group) {
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (group.empty() || lines[i].group == group) places.push_back(i);
    return places;
}

}  // namespace sorvik
