// A small HTML tree and its writer. The demo builds each page once as a tree
// and writes it in the whitespace style asked for, so the styles can differ
// only in whitespace between and around tags.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sorvik::demo {

enum class WhitespaceStyle {
    kMinified,  // no whitespace at all between tags
    kLines,     // block containers put each child on a line of its own
    kPretty,    // every tag and every text on a line of its own, indented
};

class HtmlNode {
  public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;

    static HtmlNode Element(std::string tag, Attributes attributes = {});
    // Text, escaped when written.
    static HtmlNode Text(std::string text);
    // Content of a script or style element, written as is. It must not
    // contain "</".
    static HtmlNode RawText(std::string text);
    static HtmlNode Comment(std::string text);

    // Appends a child and returns it, so that trees can be built in place.
    HtmlNode& Add(HtmlNode child);
    // Shorthands for Add(Element(...)) and Add(Text(...)).
    HtmlNode& AddElement(std::string tag, Attributes attributes = {});
    HtmlNode& AddText(std::string text);

    // In the kLines style, writes each child of this element on a line of
    // its own (otherwise the element is written on one line).
    HtmlNode& Block() {
        m_block = true;
        return *this;
    }

    // Writes "<!DOCTYPE html>" and this node in the given style.
    std::string WriteDocument(WhitespaceStyle style) const;

  private:
    enum class Kind { kElement, kText, kRawText, kComment };

    HtmlNode(Kind kind, std::string name, std::string text)
        : m_kind(kind), m_name(std::move(name)), m_text(std::move(text)) {}

    bool IsVoid() const;
    std::string StartTag() const;
    std::string EndTag() const { return "</" + m_name + ">"; }
    void WriteInline(std::string& out) const;
    void WriteLines(std::string& out, int depth) const;
    void WritePretty(std::string& out, int depth) const;

    Kind m_kind;
    std::string m_name;
    std::string m_text;
    Attributes m_attributes;
    std::vector<HtmlNode> m_children;
    bool m_block = false;
};

}  // namespace sorvik::demo
