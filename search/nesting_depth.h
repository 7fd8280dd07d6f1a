// A quick look at how deeply a raw page nests its elements, before it goes
// to HTML Tidy: Tidy's time grows with the square of the nesting and its
// stack with the nesting itself, so a hostile page of a hundred thousand
// nested elements would hang or crash the cleaning.
#pragma once

#include <cstddef>
#include <string_view>

namespace sorvik {

// What one pass over a raw page finds: its nesting depth (as NestingDepth
// counts it) and the font elements Tidy would open again (as ReopenedFonts
// counts them).
struct CleaningLoad {
    std::size_t depth = 0;
    std::size_t reopenedFonts = 0;
};

// Both counts in one pass over `html`, reading its tags once. The pass stops
// as soon as the depth reaches `depthLimit` or the fonts reach `fontLimit`;
// the count that reached its limit is then that limit, the other one is what
// was counted up to there. Linear in the size of the page.
CleaningLoad MeasureCleaningLoad(std::string_view html, std::size_t depthLimit,
                                 std::size_t fontLimit);

// The deepest nesting of open elements in `html`, counted generously: void
// elements and self-closed tags do not open, an end tag closes the nearest
// open element of its name and all inside it, and nothing is closed
// implicitly. Script, style and comment contents are skipped. Counting stops
// at `limit` (the result is then `limit`). Linear in the size of the page.
std::size_t NestingDepth(std::string_view html, std::size_t limit);

// How many font elements Tidy would open again, counted generously with the
// same rules: for every element that opens, the font elements open around
// it. Tidy opens the open inline elements again inside every block that
// starts among them; of any other inline element it keeps one however deeply
// they nest, but of font elements every one, so a page of a few thousand
// unclosed fonts and a few thousand blocks after them makes it build
// millions of elements, for minutes. Counting stops at `limit` (the result
// is then `limit`). Linear in the size of the page.
std::size_t ReopenedFonts(std::string_view html, std::size_t limit);

}  // namespace sorvik
