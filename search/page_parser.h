// The htmlcxx DOM parser, made safe for hostile pages.
#pragma once

#include <htmlcxx/html/ParserDom.h>

#include <string>
#include <unordered_map>

namespace sorvik {

// Builds the same tree as htmlcxx's ParserDom, in pre-order node for node,
// but in linear time and without deep recursion:
// - ParserDom closes an end tag by walking up all open elements and, when
//   the match is far up, flattening every element on the way, which is
//   quadratic for thousands of unclosed elements. Flattening never changes
//   the pre-order sequence or how later tags are placed, so it is left out,
//   and a count of open elements per name answers "is one open?" at once.
// - The tree library frees trees recursively; FlattenTree makes the tree
//   flat before it is freed or replaced.
class PageParser : public htmlcxx::HTML::ParserDom {
  public:
    ~PageParser() override;

    tree<htmlcxx::HTML::Node>& Tree() { return mHtmlTree; }
    void FlattenTree();

  protected:
    void beginParsing() override;
    void foundTag(htmlcxx::HTML::Node node, bool isEnd) override;

  private:
    std::unordered_map<std::string, int> m_openByName;
};

}  // namespace sorvik
