#include "page_parser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace sorvik {
namespace {

using htmlcxx::HTML::Node;

// The tree in pre-order, one line per node with everything the analysis reads.
std::vector<std::string> PreOrder(const tree<Node>& t) {
    std::vector<std::string> lines;
    for (auto it = t.begin(); it != t.end(); ++it) {
        lines.push_back(it->tagName() + "|" + std::to_string(it->offset()) + "|" +
                        std::to_string(it->length()) + "|" + std::to_string(it->isTag()) +
                        std::to_string(it->isComment()) + "|" + it->text() + "|" +
                        it->closingText());
    }
    return lines;
}

// Tag soup from a small alphabet, so that names repeat and nest badly.
std::string TagSoup(std::mt19937& random, int tags) {
    const char* names[] = {"div", "DIV", "a", "li", "b", "Li", "br", "p"};
    std::string soup;
    for (int i = 0; i < tags; ++i) {
        const char* name = names[random() % 8];
        switch (random() % 5) {
            case 0:
                soup += std::string("</") + name + ">";
                break;
            case 1:
                soup += "text ";
                break;
            case 2:
                soup += "<!-- c -->";
                break;
            default:
                soup += std::string("<") + name + " class=\"x\">";
                break;
        }
    }
    return soup;
}

TEST(PageParser, BuildsTheSameNodesAsTheLibraryParser) {
    std::mt19937 random(11);
    std::vector<std::string> pages = {"",
                                      "<",
                                      "</div>",
                                      "<p><a>x</b>y</a>z</p>",
                                      "<br><i>t</i></BR>w",
                                      "<a><b><c></a></c>x",
                                      std::string("<d\0iv>x</div>", 13)};
    for (int i = 0; i < 300; ++i) pages.push_back(TagSoup(random, 1 + i % 60));
    for (const std::string& page : pages) {
        htmlcxx::HTML::ParserDom reference;
        PageParser ours;
        EXPECT_EQ(PreOrder(reference.parseTree(page)), PreOrder(ours.parseTree(page))) << page;
    }
}

TEST(PageParser, ParsesDeepAndBadlyClosedNestingInLinearTime) {
    // Unclosed elements closed at once by an outer end tag, end tags that
    // close nothing, and a deep tree that is replaced and freed.
    std::string unclosed = "<body>", unmatched;
    for (int i = 0; i < 300000; ++i) unclosed += "<div>";
    unclosed += "</body>";
    for (int i = 0; i < 200000; ++i) unmatched += "<a>";
    for (int i = 0; i < 200000; ++i) unmatched += "</b>";
    const auto start = std::chrono::steady_clock::now();
    PageParser parser;
    EXPECT_EQ(parser.parseTree(unclosed).size(), 300002u);
    EXPECT_EQ(parser.parseTree(unmatched).size(), 400001u);
    // Generous: the library parser takes minutes on either page.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace sorvik
