#include "page_parser.h"

#include "gbk_text.h"

namespace sorvik {
namespace {

// Tag names compare as strcasecmp does: ASCII case folded, up to a zero byte.
std::string NameKey(const std::string& tagName) {
    std::string key = UpToFirstNul(tagName);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

}  // namespace

PageParser::~PageParser() {
    FlattenTree();
}

void PageParser::FlattenTree() {
    for (auto it = mHtmlTree.begin(); it != mHtmlTree.end(); ++it) mHtmlTree.flatten(it);
}

void PageParser::beginParsing() {
    FlattenTree();
    m_openByName.clear();
    ParserDom::beginParsing();
}

void PageParser::foundTag(htmlcxx::HTML::Node node, bool isEnd) {
    if (!isEnd) {
        const auto before = mCurrentState;
        const std::string key = NameKey(node.tagName());
        ParserDom::foundTag(node, false);
        if (mCurrentState != before) ++m_openByName[key];
        return;
    }

    const std::string key = NameKey(node.tagName());
    auto open = m_openByName.find(key);
    if (open == m_openByName.end() || open->second == 0) {
        // No open element of that name: the end tag stays as a non-tag node.
        node.isTag(false);
        node.isComment(true);
        mHtmlTree.append_child(mCurrentState, node);
        return;
    }
    // Close the nearest open element of that name and every one inside it.
    for (auto it = mCurrentState; it != mHtmlTree.begin(); it = mHtmlTree.parent(it)) {
        const std::string itKey = NameKey(it->tagName());
        --m_openByName[itKey];
        if (itKey == key) {
            it->length(node.offset() + node.length() - it->offset());
            it->closingText(node.text());
            mCurrentState = mHtmlTree.parent(it);
            return;
        }
    }
}

}  // namespace sorvik
