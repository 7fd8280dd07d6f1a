#include "html_writer.h"

#include <stdexcept>

namespace sorvik::demo {
namespace {

// Escapes &, < and > (and " when `quotes` is set); with `bareAmpersands`
// ampersands stay as they are.
std::string Escape(const std::string& text, bool bareAmpersands, bool quotes) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += bareAmpersands ? "&" : "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += quotes ? "&quot;" : "\"";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string EscapeText(const std::string& text) {
    return Escape(text, false, false);
}

// Links keep their ampersands bare, as the marketplace writes them; other
// attribute values are escaped in full.
std::string EscapeAttribute(const std::string& name, const std::string& value) {
    return Escape(value, name == "href" || name == "src", true);
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

void Indent(std::string& out, int depth) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
}

}  // namespace

HtmlNode HtmlNode::Element(std::string tag, Attributes attributes) {
    HtmlNode node(Kind::kElement, std::move(tag), std::string());
    node.m_attributes = std::move(attributes);
    return node;
}

HtmlNode HtmlNode::Text(std::string text) {
    return HtmlNode(Kind::kText, std::string(), std::move(text));
}

HtmlNode HtmlNode::RawText(std::string text) {
    if (text.find("</") != std::string::npos) {
        throw std::invalid_argument("script or style content must not contain \"</\"");
    }
    return HtmlNode(Kind::kRawText, std::string(), std::move(text));
}

HtmlNode HtmlNode::Comment(std::string text) {
    if (text.find("--") != std::string::npos) {
        throw std::invalid_argument("comment text must not contain \"--\"");
    }
    return HtmlNode(Kind::kComment, std::string(), std::move(text));
}

HtmlNode& HtmlNode::Add(HtmlNode child) {
    if (m_kind != Kind::kElement || IsVoid()) {
        throw std::logic_error("only non-void elements take children");
    }
    m_children.push_back(std::move(child));
    return m_children.back();
}

HtmlNode& HtmlNode::AddElement(std::string tag, Attributes attributes) {
    return Add(Element(std::move(tag), std::move(attributes)));
}

HtmlNode& HtmlNode::AddText(std::string text) {
    return Add(Text(std::move(text)));
}

bool HtmlNode::IsVoid() const {
    return m_kind == Kind::kElement && (m_name == "meta" || m_name == "link" || m_name == "img" ||
                                        m_name == "input" || m_name == "br");
}

std::string HtmlNode::StartTag() const {
    std::string tag = "<" + m_name;
    for (const auto& [name, value] : m_attributes) {
        tag += " " + name + "=\"" + EscapeAttribute(name, value) + "\"";
    }
    return tag + ">";
}

std::string HtmlNode::WriteDocument(WhitespaceStyle style) const {
    std::string out = "<!DOCTYPE html>";
    switch (style) {
        case WhitespaceStyle::kMinified:
            WriteInline(out);
            break;
        case WhitespaceStyle::kLines:
            out += '\n';
            WriteLines(out, 0);
            break;
        case WhitespaceStyle::kPretty:
            out += '\n';
            WritePretty(out, 0);
            break;
    }
    return out;
}

void HtmlNode::WriteInline(std::string& out) const {
    switch (m_kind) {
        case Kind::kText:
            out += EscapeText(m_text);
            return;
        case Kind::kRawText:
            out += m_text;
            return;
        case Kind::kComment:
            out += "<!--" + m_text + "-->";
            return;
        case Kind::kElement:
            out += StartTag();
            if (IsVoid()) return;
            for (const HtmlNode& child : m_children) child.WriteInline(out);
            out += EndTag();
            return;
    }
}

void HtmlNode::WriteLines(std::string& out, int depth) const {
    Indent(out, depth);
    if (m_kind != Kind::kElement || !m_block) {
        WriteInline(out);
        out += '\n';
        return;
    }
    out += StartTag() + '\n';
    for (const HtmlNode& child : m_children) child.WriteLines(out, depth + 1);
    Indent(out, depth);
    out += EndTag() + '\n';
}

void HtmlNode::WritePretty(std::string& out, int depth) const {
    switch (m_kind) {
        case Kind::kText: {
            const std::string text = Trim(m_text);
            if (text.empty()) return;
            Indent(out, depth);
            out += EscapeText(text) + '\n';
            return;
        }
        case Kind::kRawText:
            Indent(out, depth);
            out += m_text;
            if (m_text.empty() || m_text.back() != '\n') out += '\n';
            return;
        case Kind::kComment:
            Indent(out, depth);
            out += "<!--" + m_text + "-->\n";
            return;
        case Kind::kElement:
            Indent(out, depth);
            out += StartTag() + '\n';
            if (IsVoid()) return;
            for (const HtmlNode& child : m_children) child.WritePretty(out, depth + 1);
            Indent(out, depth);
            out += EndTag() + '\n';
            return;
    }
}

}  // namespace sorvik::demo
