#include "tidy_page.h"

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <cstdio>
#include <cstdlib>

#include "nesting_depth.h"
#include "page_fetch.h"

namespace sorvik {
namespace {

// Tidy cleans a page nested this deeply in a few seconds; real result pages
// nest a few dozen levels.
constexpr std::size_t kMaxNesting = 10000;
// Tidy builds this many font elements again in about half a second; real
// result pages leave no font element open around other elements.
constexpr std::size_t kMaxReopenedFonts = 100000;

// Owns one Tidy document.
class TidyDocument {
  public:
    TidyDocument() : m_doc(tidyCreate()) {}
    ~TidyDocument() { tidyRelease(m_doc); }
    TidyDocument(const TidyDocument&) = delete;
    TidyDocument& operator=(const TidyDocument&) = delete;
    TidyDoc Get() const { return m_doc; }

  private:
    TidyDoc m_doc;
};

}  // namespace

int TidyPage(const std::string& outputFile, const std::string& inputFile) {
    // A page nested too deeply for Tidy, or that would make it open too many
    // font elements again, is not cleaned: its cleaned text is empty, and it
    // counts as a cleaning with errors.
    const std::string page = ReadWholeFile(inputFile);
    if (NestingDepth(page, kMaxNesting) >= kMaxNesting ||
        ReopenedFonts(page, kMaxReopenedFonts) >= kMaxReopenedFonts) {
        std::FILE* empty = std::fopen(outputFile.c_str(), "wb");
        if (empty) std::fclose(empty);
        return 2;
    }

    TidyDocument document;
    TidyDoc doc = document.Get();

    // Settings in the order the front end reads them: the HTML_TIDY file,
    // then config.txt, each failure ignored.
    if (const char* userConfig = std::getenv("HTML_TIDY")) tidyLoadConfig(doc, userConfig);
    tidyLoadConfig(doc, "config.txt");
    // An error-file setting sends the diagnostics to that file from here
    // on; the document closes it when it is released.
    bool diagnosticsToStderr = true;
    if (ctmbstr errName = tidyOptGetValue(doc, TidyErrFile); errName && *errName) {
        FILE* errorFile = tidySetErrorFile(doc, errName);
        diagnosticsToStderr = errorFile == nullptr || errorFile == stderr;
    }
    // Raw bytes in and out, and our output file, over whatever the files set.
    tidySetCharEncoding(doc, "raw");
    tidyOptSetValue(doc, TidyOutFile, outputFile.c_str());

    int status = tidyParseFile(doc, inputFile.c_str());
    if (status >= 0) status = tidyCleanAndRepair(doc);
    if (status >= 0) status = tidyRunDiagnostics(doc);
    if (status >= 0 && (status <= 1 || tidyOptGetBool(doc, TidyForceOutput)) &&
        tidyOptGetBool(doc, TidyShowMarkup)) {
        if (tidyOptGetBool(doc, TidyWriteBack)) {
            tidySaveFile(doc, inputFile.c_str());
        } else {
            ctmbstr output = tidyOptGetValue(doc, TidyOutFile);
            tidySaveFile(doc, output ? output : outputFile.c_str());
        }
    }
    const uint errors = tidyErrorCount(doc);
    const uint warnings = tidyWarningCount(doc);

    if (!tidyOptGetBool(doc, TidyQuiet)) {
        if (diagnosticsToStderr && errors == 0) std::fputc('\n', stderr);
        if (errors + warnings > 0) tidyErrorSummary(doc);
        tidyGeneralInfo(doc);
    }
    if (errors > 0) return 2;
    if (warnings > 0) return 1;
    return 0;
}

}  // namespace sorvik
