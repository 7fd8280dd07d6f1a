#include "tidy_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "page_fetch.h"
#include "test_environment.h"
#include "test_window.h"

namespace sorvik {
namespace {

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Runs each test in a directory of its own holding the repository's
// config.txt, as the programs run.
class TidyPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = MakeTempDirectory("sorvik-tidy");
        m_previous = std::filesystem::current_path();
        std::filesystem::copy_file(std::string(SORVIK_FIXTURES) + "/../../../config.txt",
                                   m_dir / "config.txt");
        std::filesystem::current_path(m_dir);
        UnsetEnv("HTML_TIDY");
    }
    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // Cleans `page` and returns the status; `cleaned` receives the result.
    int Clean(const std::string& page, std::string& cleaned) {
        std::ofstream("data.html", std::ios::binary) << page;
        const int status = TidyPage("data_backup.html", "data.html");
        cleaned = ReadWholeFile("data_backup.html");
        return status;
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_previous;
};

TEST_F(TidyPageTest, TheCleanedTextGrowsLinearlyWithTheNesting) {
    // Indented, 5,000 nested elements would come out at some 50 MB.
    const std::string page =
        "<html><body>" + Repeat("<div>", 5000) + "x" + Repeat("</div>", 5000) + "</body></html>";
    std::string cleaned;
    EXPECT_LT(Clean(page, cleaned), 2);
    EXPECT_EQ(Count(cleaned, "<div>"), 5000u);
    EXPECT_LT(cleaned.size(), 3 * page.size());
}

TEST_F(TidyPageTest, APageThatWouldMakeTidyOpenFontsAgainIsNotCleaned) {
    // 32 KB that Tidy would take most of a minute over, building 4 million
    // font elements.
    std::string cleaned = "old";
    EXPECT_EQ(Clean(Repeat("<font>", 2000) + Repeat("<div>x</div>", 2000), cleaned), 2);
    EXPECT_EQ(cleaned, "");
    // Fonts that are closed are cleaned as usual.
    EXPECT_LT(Clean(Repeat("<div><font color=red>x</font></div>", 2000), cleaned), 2);
    EXPECT_EQ(Count(cleaned, "<font color=\"red\">"), 2000u);
}

TEST_F(TidyPageTest, EndTagsHiddenFromTheNestingCountAreNotTakenForEndTags) {
    // Each of these nests 20,000 elements deep in Tidy's eyes; 100,000
    // overflowed its stack.
    for (const char* unit : {"<div><p title='></div></p>'>", "<br <div>", "<div a/>",
                             "<div><table></div></table>", "<b><script></b><div></script></b>"}) {
        std::string cleaned = "old";
        EXPECT_EQ(Clean(Repeat(unit, 20000), cleaned), 2) << unit;
        EXPECT_EQ(cleaned, "") << unit;
    }
}

}  // namespace
}  // namespace sorvik
