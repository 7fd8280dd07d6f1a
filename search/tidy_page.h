// Cleaning a downloaded page with HTML Tidy, in-process, exactly as Tidy's
// command-line front end does for "-config config.txt -raw -output OUT IN".
//
// A cleaning can run ahead of the moment its effects are wanted: prepared in
// memory (settings read, page cleaned, diagnostics gathered, nothing
// written), then committed (the files and diagnostics written as the
// front end would have written them) or dropped without a trace.
#pragma once

#include <cstddef>
#include <string>

namespace sorvik {

// Tidy cleans a page nested this deeply in a few seconds; real result pages
// nest a few dozen levels.
constexpr std::size_t kMaxNesting = 10000;
// Tidy builds this many font elements again in about half a second; real
// result pages leave no font element open around other elements.
constexpr std::size_t kMaxReopenedFonts = 100000;

// Memory a cleaning reuses from page to page: the raw page, which then takes
// the cleaned page, and the diagnostics held back for the commit.
struct CleaningBuffers {
    std::string page;
    std::string diagnostics;
};

// A cleaning that has run in memory and whose effects are still to come.
class PreparedCleaning {
  public:
    // Writes what the cleaning writes (the output file, or the input file for
    // write-back; Tidy's diagnostics to the standard error stream) and
    // returns its status. Where a cleaning's effects cannot be held back
    // (see PrepareCleaning), the whole cleaning runs now, as TidyPageDirectly.
    // A second commit writes nothing and returns the same status.
    int Commit();

  private:
    friend PreparedCleaning PrepareCleaning(const std::string&, const std::string&,
                                            CleaningBuffers&);
    friend int TidyPageDirectly(const std::string&, const std::string&, CleaningBuffers&);
    enum class Effect {
        kNothing,      // nothing is written but the diagnostics
        kSave,         // the cleaned page is written to m_target
        kEmptyOutput,  // the output file is emptied
        kRunAgain,     // the cleaning runs again at the commit, writing as it goes
    };
    class Steps;  // the steps of Run, one function each (tidy_page.cpp)
    PreparedCleaning(const std::string& outputFile, const std::string& inputFile,
                     CleaningBuffers& buffers)
        : m_outputFile(outputFile), m_inputFile(inputFile), m_buffers(&buffers) {}
    void Run(bool holdBack);
    // Writes the file that m_effect names; false when it cannot be opened.
    bool Write() const;

    std::string m_outputFile;
    std::string m_inputFile;
    CleaningBuffers* m_buffers;
    Effect m_effect = Effect::kRunAgain;
    std::string m_target;  // for kSave: the file the cleaned page goes to
    int m_status = 0;
};

// Cleans `inputFile` for `outputFile` in memory and writes nothing: the
// settings are read now, the cleaned page is left in `buffers.page` and the
// diagnostics in `buffers.diagnostics`, both for the commit, so `buffers`
// must be left alone until then. Dropping the result leaves no trace. What
// cannot be held back is left to a cleaning run again at the commit: an
// error file named by the settings (Tidy opens it with the settings), kept
// file times, a write-back that keeps its input, an output file that cannot
// be opened at the commit.
PreparedCleaning PrepareCleaning(const std::string& outputFile, const std::string& inputFile,
                                 CleaningBuffers& buffers);

// Settings come from the file named by HTML_TIDY, then config.txt in the
// current directory, then raw encoding and the output file. Returns 0 when
// Tidy reported nothing, 1 for warnings only, 2 for errors. A page nested
// more than 10,000 elements deep, or one that would make Tidy open 100,000
// font elements again (see ReopenedFonts), is not given to Tidy: the output
// file is emptied and the result is 2. Prepares and commits at once, with
// buffers kept by the calling thread.
int TidyPage(const std::string& outputFile, const std::string& inputFile);

// The same cleaning with its effects as they come: Tidy writes the
// diagnostics while it runs and the output file at the end.
int TidyPageDirectly(const std::string& outputFile, const std::string& inputFile,
                     CleaningBuffers& buffers);

}  // namespace sorvik
