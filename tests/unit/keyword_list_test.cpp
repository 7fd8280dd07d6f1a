// The tracker's keyword list: changes saved at once and put back when saving
// fails, lines removed by their places as shown, and the file read again
// when something else changed it, so no line written there is lost.
#include "keyword_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_environment.h"

namespace sorvik {
namespace {

class KeywordListTest : public ::testing::Test {
  protected:
    void SetUp() override { m_dir = MakeTempDirectory("sorvik-keyword-list"); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string ListFile() const { return (m_dir / "keywords.txt").u8string(); }
    // Writes the list file as another program would.
    void WriteOutside(const std::string& text) const {
        std::ofstream(m_dir / "keywords.txt", std::ios::binary) << text;
    }
    static std::string Text(const KeywordList& list) { return FormatBatchFile(list.Lines()); }
    std::filesystem::path m_dir;
};

TEST_F(KeywordListTest, ChangesAreSavedAndLinesAreRemovedByTheirPlaces) {
    KeywordList list(ListFile());
    std::string error;
    ASSERT_TRUE(list.Load(error)) << error;  // no file yet: an empty list
    EXPECT_TRUE(list.Lines().empty());
    for (const char* keyword : {"a", "b", "c", "d", "e"})
        ASSERT_EQ(list.Add({0, keyword, "", ""}, error), ListChange::Saved) << error;
    ASSERT_EQ(list.Replace(0, {0, "a", "店", ""}, error), ListChange::Saved) << error;
    // Two places, in the order a selection lists them.
    ASSERT_EQ(list.Remove({1, 3}, error), ListChange::Saved) << error;
    EXPECT_EQ(Text(list), "a\t店\nc\ne\n");
    EXPECT_EQ(FileText(ListFile()), "a\t店\nc\ne\n");

    // Imported: new lines that can be used; the others reported by number.
    const std::vector<BatchLine> imported = {
        {1, "c", "", ""}, {2, "f", "", ""}, {3, "g", "", "two tabs"}};
    const ImportReport report = list.Import(imported, error);
    EXPECT_EQ(report.change, ListChange::Saved);
    EXPECT_EQ(report.added, 1);
    ASSERT_EQ(report.skipped.size(), 2u);
    EXPECT_EQ(report.skipped[0].first, 1);
    EXPECT_EQ(report.skipped[1], (std::pair<int, std::string>{3, "two tabs"}));
    EXPECT_EQ(FileText(ListFile()), "a\t店\nc\ne\nf\n");
}

TEST_F(KeywordListTest, AChangeThatCannotBeSavedLeavesTheListAsItWas) {
    KeywordList list((m_dir / "missing" / "keywords.txt").u8string());
    std::string error;
    ASSERT_TRUE(list.Load(error)) << error;
    EXPECT_EQ(list.Add({0, "a", "", ""}, error), ListChange::NotSaved);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(list.Lines().empty());
    error.clear();
    const ImportReport report = list.Import({{1, "a", "", ""}}, error);
    EXPECT_EQ(report.change, ListChange::NotSaved);
    EXPECT_TRUE(list.Lines().empty());

    // Saved once, then the folder can't take the next save: the line stays.
    KeywordList saved(ListFile());
    ASSERT_TRUE(saved.Load(error));
    ASSERT_EQ(saved.Add({0, "a", "", ""}, error), ListChange::Saved) << error;
    std::filesystem::rename(m_dir / "keywords.txt", m_dir / "moved.txt");
    std::filesystem::create_directory(m_dir / "keywords.txt");  // a folder in its place
    EXPECT_EQ(saved.Remove({0}, error), ListChange::NotSaved);
    EXPECT_EQ(Text(saved), "a\n");
}

TEST_F(KeywordListTest, LinesWrittenByAnotherProgramAreReadBeforeEachChange) {
    WriteOutside("a\nb\n");
    KeywordList list(ListFile());
    std::string error;
    ASSERT_TRUE(list.Load(error)) << error;

    // An editor adds a line: the window's new line goes after it.
    WriteOutside("a\nb\n外加\n");
    ASSERT_EQ(list.Add({0, "c", "", ""}, error), ListChange::Saved) << error;
    EXPECT_EQ(FileText(ListFile()), "a\nb\n外加\nc\n");

    // A line removed elsewhere: the places chosen before may name other
    // lines now, so nothing is removed and the list shows the file's.
    WriteOutside("b\n外加\nc\n");
    EXPECT_EQ(list.Remove({0}, error), ListChange::ReadAgain);
    EXPECT_EQ(Text(list), "b\n外加\nc\n");
    EXPECT_EQ(FileText(ListFile()), "b\n外加\nc\n");
    WriteOutside("x\nb\n外加\nc\n");
    EXPECT_EQ(list.Replace(0, {0, "y", "", ""}, error), ListChange::ReadAgain);
    EXPECT_EQ(FileText(ListFile()), "x\nb\n外加\nc\n");
    // Once shown, the same change goes through.
    ASSERT_EQ(list.Replace(0, {0, "y", "", ""}, error), ListChange::Saved) << error;
    EXPECT_EQ(FileText(ListFile()), "y\nb\n外加\nc\n");

    // Written again as it was: nothing to read again.
    WriteOutside("y\r\nb\r\n外加\r\nc\r\n");
    EXPECT_EQ(list.ReloadIfChanged(error), KeywordList::Reread::Unchanged);
    // A file that can no longer be read is never written over.
    WriteOutside("\xC1\xAC\xD2\xC2\n");
    EXPECT_EQ(list.Add({0, "z", "", ""}, error), ListChange::NotSaved);
    EXPECT_EQ(FileText(ListFile()), "\xC1\xAC\xD2\xC2\n");
    EXPECT_EQ(Text(list), "y\nb\n外加\nc\n");
}

}  // namespace
}  // namespace sorvik
