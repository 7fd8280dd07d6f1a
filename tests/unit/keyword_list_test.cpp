// The tracker's keyword list: changes saved at once and put back when saving
// fails, lines removed by their places as shown, and the file read again
// when something else changed it, so no line written there is lost.
#include "keyword_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "test_environment.h"
#include "tracker_table.h"

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

TEST_F(KeywordListTest, GroupsAreReadWrittenKeptAndChosenBy) {
    // The third field is the group; trailing tabs separate nothing, and a
    // fourth field makes the line one that can't be used, written back as
    // it was read.
    std::string error;
    const auto read = ParseBatchText(
        "a\tb\t夏装\na\t\t冬装\n \xE3\x80\x80k \t 店 \t 夏 装 \t \t\nk\t\t\n\t店\t夏装\n"
        "a\tb\tc\td\nx\ty\tg\rh\n",
        "list", error);
    ASSERT_TRUE(read) << error;
    struct Expected {
        const char* keyword;
        const char* target;
        const char* group;
        bool usable;
    };
    const Expected expected[] = {{"a", "b", "夏装", true},   {"a", "", "冬装", true},
                                 {"k", "店", "夏 装", true}, {"k", "", "", true},
                                 {"", "店", "夏装", true},   {"a", "b\tc\td", "", false},
                                 {"x", "y", "g\rh", true}};
    ASSERT_EQ(read->size(), std::size(expected));
    for (std::size_t i = 0; i < read->size(); ++i) {
        const BatchLine& line = (*read)[i];
        EXPECT_EQ(line.keyword, expected[i].keyword) << i;
        EXPECT_EQ(line.target, expected[i].target) << i;
        EXPECT_EQ(line.group, expected[i].group) << i;
        EXPECT_EQ(line.problem.empty(), expected[i].usable) << i << line.problem;
    }
    EXPECT_NE((*read)[5].problem.find("more than two tabs"), std::string::npos);
    EXPECT_EQ((*read)[1].Mode(), kModeKeyword);
    const std::string text = FormatBatchFile(*read);
    EXPECT_EQ(text, "a\tb\t夏装\na\t\t冬装\nk\t店\t夏 装\nk\n\t店\t夏装\na\tb\tc\td\nx\ty\tg\rh\n");
    EXPECT_EQ(FormatBatchFile(*ParseBatchText(text, "list", error)), text);

    // The groups in use, and the lines of one group ("" is every line).
    EXPECT_EQ(GroupsInUse(*read), (std::vector<std::string>{"夏装", "冬装", "夏 装", "g\rh"}));
    EXPECT_EQ(LinesInGroup(*read, "夏装"), (std::vector<std::size_t>{0, 4}));
    EXPECT_EQ(LinesInGroup(*read, "").size(), read->size());
    EXPECT_TRUE(LinesInGroup(*read, "夏").empty());

    // The list keeps a line's group through every change; a group the file
    // can't hold is not imported.
    KeywordList list(ListFile());
    ASSERT_TRUE(list.Load(error)) << error;
    ASSERT_EQ(list.Add({0, "a", "b", "", "夏装"}, error), ListChange::Saved) << error;
    ASSERT_EQ(list.Add({0, "c", "", "", ""}, error), ListChange::Saved) << error;
    ASSERT_EQ(list.Replace(1, {0, "c", "", "", "冬装"}, error), ListChange::Saved) << error;
    const ImportReport report = list.Import(*read, error);
    // Skipped: a\tb (in the list already), \t店 (no keyword), the two bad lines.
    EXPECT_EQ(report.added, 3);
    ASSERT_EQ(report.skipped.size(), 4u);
    EXPECT_EQ(report.skipped.back().first, 7);
    EXPECT_EQ(report.skipped.back().second, "分组里不能有制表符或换行");
    EXPECT_EQ(FileText(ListFile()), "a\tb\t夏装\nc\t\t冬装\na\t\t冬装\nk\t店\t夏 装\nk\n");
    KeywordList again(ListFile());
    ASSERT_TRUE(again.Load(error)) << error;
    EXPECT_EQ(Text(again), Text(list));
    EXPECT_EQ(again.Lines()[1].group, "冬装");
}

}  // namespace
}  // namespace sorvik
