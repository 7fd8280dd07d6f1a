// The notes file: what is added, changed and removed is read back the same,
// and a line that is no note neither stops the reading nor gets lost.
#include "line_notes.h"

#include <gtest/gtest.h>

#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "read_file.h"
#include "test_environment.h"

namespace sorvik {
namespace {

TEST(LineNotes, KeepsNotesAcrossReadsAndSkipsWhatIsNoNote) {
    SetEnv("TZ", "CST-8");
    const std::filesystem::path dir = MakeTempDirectory("sorvik-notes");
    const std::string path = NotesFile(dir.u8string());
    LineNotes notes(path);
    std::string error;
    ASSERT_TRUE(notes.Load(error)) << error;  // no file yet: no notes
    EXPECT_TRUE(notes.All().empty());

    const TrackKey shop{"连衣裙", std::string("某\"店\"")};
    const TrackKey keywordOnly{"毛衣", std::nullopt};
    const std::int64_t when = 1796086800;  // 2026-12-01 09:00 local
    const std::string text = "改价 79→69\n换主图 \"新\"\\图\t1";
    ASSERT_TRUE(notes.Set(shop, when, text, when + 60, error)) << error;
    ASSERT_TRUE(notes.Set(keywordOnly, when, "上新", when, error)) << error;
    // The file holds one line per note, with the local day for readers.
    const std::vector<std::string> lines = Lines(ReadInputFile(path, error).value());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(R"("day":"2026-12-01","checked_at":"2026-12-01T09:00:00+08:00")"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(R"("target":null)"), std::string::npos) << lines[1];

    // A damaged line and a half-written one among them.
    std::ofstream(path, std::ios::app) << "{\"keyword\":\"坏\n{not json}\n\n"
                                       << R"({"keyword":"x","target":null,"text":"无时间"})";
    LineNotes again(path);
    ASSERT_TRUE(again.Load(error)) << error;
    EXPECT_EQ(again.SkippedLines(), 3);
    ASSERT_EQ(again.All().size(), 2u);
    const LineNote* note = again.Find(shop, when);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text, text);
    EXPECT_EQ(note->created, when + 60);
    EXPECT_EQ(again.Find(keywordOnly, when)->text, "上新");
    EXPECT_EQ(again.Find(shop, when + 1), nullptr);
    EXPECT_EQ(again.Find({"连衣裙", std::nullopt}, when), nullptr);

    // Edited, removed: the other note and the lines that were no note stay.
    ASSERT_TRUE(again.Set(shop, when, "换主图", when + 120, error)) << error;
    ASSERT_TRUE(again.Remove(keywordOnly, when, error)) << error;
    ASSERT_TRUE(again.Remove(keywordOnly, when, error)) << error;  // already gone
    LineNotes third(path);
    ASSERT_TRUE(third.Load(error)) << error;
    ASSERT_EQ(third.All().size(), 1u);
    EXPECT_EQ(third.All()[0].text, "换主图");
    EXPECT_EQ(third.All()[0].created, when + 120);
    EXPECT_EQ(third.SkippedLines(), 3);

    // A change that can't be written leaves the notes as they were.
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(third.Set(shop, when, "丢失", when, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(third.Find(shop, when)->text, "换主图");

#ifndef _WIN32
    // A file that can't be read (here a FIFO, which is never read) is never
    // written over by a change.
    std::filesystem::create_directories(dir);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    LineNotes unread(path);
    EXPECT_FALSE(unread.Load(error));
    EXPECT_FALSE(unread.Set(shop, when, "覆盖", when, error));
    EXPECT_TRUE(std::filesystem::is_fifo(path));
    std::filesystem::remove_all(dir);
#endif
}

}  // namespace
}  // namespace sorvik
