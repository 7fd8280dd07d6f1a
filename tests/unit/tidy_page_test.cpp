#include "tidy_page.h"

#include <gtest/gtest.h>
#include <tidy/tidy.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "background_cleaning.h"
#include "catalog.h"
#include "file_replacement.h"
#include "gbk_encoding.h"
#include "page_fetch.h"
#include "result_page.h"
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

    // Writes config.txt: the repository's settings and then `extra`.
    void Configure(const std::string& extra) {
        std::ofstream((m_dir / "config.txt").string(), std::ios::binary) << m_config << extra;
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_previous;
    std::string m_config = ReadWholeFile(std::string(SORVIK_FIXTURES) + "/../../../config.txt");
};

// Raw result pages as the demo marketplace serves them, in each whitespace
// style, and the analysis fixtures.
std::vector<std::string> SamplePages() {
    std::vector<std::string> pages;
    const demo::Catalog catalog(100);
    for (auto style : {demo::WhitespaceStyle::kMinified, demo::WhitespaceStyle::kLines,
                       demo::WhitespaceStyle::kPretty}) {
        demo::PageOptions options;
        options.style = style;
        options.itemHost = "item.taobao.com";
        for (std::uint64_t offset : {0, 80}) {
            pages.push_back(demo::Utf8ToGbk(demo::RenderResultPage(catalog, offset, options)));
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(SORVIK_FIXTURES)) {
        if (entry.path().extension() == ".html")
            pages.push_back(ReadWholeFile(entry.path().string()));
    }
    return pages;
}

TEST_F(TidyPageTest, AReusedBufferHoldsExactlyTheFileReadLast) {
    std::string text = Repeat("a longer page before ", 1000);
    std::ofstream("page.html", std::ios::binary) << "x\r\ny\r\r\nz\r";
    ReadWholeFile("page.html", text);
    EXPECT_EQ(text, "x\ny\r\nz\r");
    EXPECT_TRUE(ReadFileBytes("page.html", text));
    EXPECT_EQ(text, "x\r\ny\r\r\nz\r");
    EXPECT_FALSE(ReadFileBytes("missing.html", text));
    EXPECT_EQ(text, "");
    ReadWholeFile("page.html", text);
    ReadWholeFile("missing.html", text);
    EXPECT_EQ(text, "");
}

TEST_F(TidyPageTest, AFileWrittenOverHoldsExactlyTheBytesWrittenLast) {
    auto replace = [](const std::string& bytes, bool finish) {
        FileReplacement file("page.html");
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(file.Write(bytes.data(), bytes.size()), bytes.size());
        if (finish) {
            EXPECT_TRUE(file.Finish());
        }
    };
    std::string bytes;
    for (const std::string& content :
         {Repeat("long page ", 1000), std::string("short"), std::string(), Repeat("x\r\n", 3000)}) {
        for (bool finish : {true, false}) {
            replace(content, finish);
            EXPECT_TRUE(ReadFileBytes("page.html", bytes));
            EXPECT_TRUE(bytes == content) << content.size() << " bytes, finish " << finish;
        }
    }
    std::filesystem::create_directory("folder.html");
    EXPECT_FALSE(FileReplacement("folder.html").IsOpen());
}

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

// What Tidy's own file output writes for `inputFile` with config.txt and
// raw bytes, saved to `outputFile`.
void SaveWithTidysFileOutput(const std::string& inputFile, const std::string& outputFile) {
    TidyDoc doc = tidyCreate();
    tidyLoadConfig(doc, "config.txt");
    tidySetCharEncoding(doc, "raw");
    if (tidyParseFile(doc, inputFile.c_str()) >= 0 && tidyCleanAndRepair(doc) >= 0 &&
        tidyRunDiagnostics(doc) >= 0) {
        tidySaveFile(doc, outputFile.c_str());
    }
    tidyRelease(doc);
}

TEST_F(TidyPageTest, WritesTheBytesTidysOwnFileOutputWrites) {
    const std::vector<std::string> pages = SamplePages();
    ASSERT_GE(pages.size(), 10u);
    for (const char* settings : {"", "write-back: yes\n", "newline: CRLF\nindent: yes\n"}) {
        Configure(settings);
        const char* saved = settings[0] == 'w' ? "data.html" : "data_backup.html";
        for (const std::string& page : pages) {
            std::ofstream("raw.html", std::ios::binary) << page;
            std::ofstream("data.html", std::ios::binary) << page;
            std::filesystem::remove("data_backup.html");
            TidyPage("data_backup.html", "data.html");
            SaveWithTidysFileOutput("raw.html", "reference.html");
            std::string gathered, reference;
            ReadFileBytes(saved, gathered);
            ReadFileBytes("reference.html", reference);
            EXPECT_EQ(gathered, reference) << settings;
            EXPECT_NE(gathered, page) << settings;
        }
    }
}

// Held back for the commit, Tidy's diagnostics reach standard error as the
// bytes Tidy writes there as it goes: settings reports, messages, summary and
// closing lines, in either newline setting.
TEST_F(TidyPageTest, CommittedDiagnosticsAreThoseTidyWritesAsItGoes) {
    const std::string withErrors = "<p>x<blink2>y</blink2>\xB5\xEA</p>";
    CleaningBuffers buffers;
    for (const char* settings :
         {"quiet: no\nshow-warnings: yes\n", "quiet: no\nnewline: CRLF\nno-such-option: 1\n"}) {
        Configure(settings);
        for (const std::string& page : {withErrors, SamplePages().front()}) {
            std::ofstream("data.html", std::ios::binary) << page;
            testing::internal::CaptureStderr();
            const int direct = TidyPageDirectly("data_backup.html", "data.html", buffers);
            const std::string written = testing::internal::GetCapturedStderr();
            EXPECT_EQ(direct == 2, page == withErrors) << settings;
            EXPECT_FALSE(written.empty()) << settings;

            testing::internal::CaptureStderr();
            PreparedCleaning prepared = PrepareCleaning("data_backup.html", "data.html", buffers);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << settings;
            testing::internal::CaptureStderr();
            EXPECT_EQ(prepared.Commit(), direct) << settings;
            EXPECT_EQ(testing::internal::GetCapturedStderr(), written) << settings;
        }
    }
}

// What the preparation throws on its helper thread reaches the caller that
// takes the cleaning. A page longer than its buffer can ever hold makes the
// preparation throw: a sparse file, where a file system takes one that long.
TEST_F(TidyPageTest, WhatThePreparationThrowsOnItsThreadIsThrownWhereItIsTaken) {
#ifdef _WIN32
    GTEST_SKIP() << "the C library cannot tell the size of a file this long";
#else
    // Named after this test's own directory; in memory where there is
    // /dev/shm, whose file system takes files of any length.
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path huge = (std::filesystem::is_directory(shm) ? shm : m_dir) /
                                       (m_dir.filename().string() + "-huge.html");
    struct RemovedAtTheEnd {
        ~RemovedAtTheEnd() {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
        std::filesystem::path path;
    } removed{huge};
    std::ofstream(huge.string(), std::ios::binary) << "<p>x</p>";
    std::error_code error;
    std::filesystem::resize_file(huge, std::string().max_size(), error);
    if (error) GTEST_SKIP() << "no file system here holds a file that long: " << error.message();
    CleaningBuffers buffers;
    EXPECT_THROW(
        {
            BackgroundCleaning cleaning("data_backup.html", huge.string(), buffers);
            cleaning.Take();
        },
        std::length_error);
#endif
}

TEST_F(TidyPageTest, AnOutputFileThatCannotBeOpenedIsLeftAsTidysOwnOutputLeavesIt) {
    // Tidy reports the failure (this version without counting it as an
    // error); either way the status is what Tidy's own file output gives,
    // and nothing is written.
    const std::string page = SamplePages().front();
    std::filesystem::create_directory("data_backup.html");
    int statuses[2];
    for (int keepTime = 0; keepTime < 2; ++keepTime) {
        Configure(keepTime ? "keep-time: yes\n" : "");
        std::ofstream("data.html", std::ios::binary) << page;
        statuses[keepTime] = TidyPage("data_backup.html", "data.html");
        EXPECT_TRUE(std::filesystem::is_empty("data_backup.html"));
        EXPECT_EQ(ReadWholeFile("data.html"), page);
    }
    EXPECT_EQ(statuses[0], statuses[1]);
}

}  // namespace
}  // namespace sorvik
