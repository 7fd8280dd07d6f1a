#include "tidy_page.h"

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "nesting_depth.h"
#include "whole_file.h"

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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Tidy's output, gathered byte by byte into a buffer sized ahead.
class Gathered {
  public:
    explicit Gathered(std::string& buffer) : m_buffer(buffer) { Grow(buffer.capacity()); }

    // The bytes gathered, left in the buffer.
    void Finish() { m_buffer.resize(Size()); }

    static void TIDY_CALL Append(void* sinkData, byte value) {
        Gathered& gathered = *static_cast<Gathered*>(sinkData);
        if (gathered.m_next == gathered.m_end) gathered.Grow(gathered.m_buffer.size() * 2);
        *gathered.m_next++ = static_cast<char>(value);
    }

  private:
    std::size_t Size() const { return static_cast<std::size_t>(m_next - m_buffer.data()); }

    void Grow(std::size_t size) {
        const std::size_t used = m_next ? Size() : 0;
        m_buffer.resize(std::max<std::size_t>(size, 4096));
        m_next = &m_buffer[used];
        m_end = m_buffer.data() + m_buffer.size();
    }

    std::string& m_buffer;
    char* m_next = nullptr;
    char* m_end = nullptr;
};

// Saves the cleaned page to `fileName` as tidySaveFile does, but gathers it
// in memory and writes it at once: Tidy's own file output writes every byte
// with a call of its own. The rare cases in which Tidy's save does more
// than write the file are left to it: keeping the input's file times, and
// keeping an input that write-back would overwrite with nothing. So is a
// file that cannot be opened: Tidy tries again and reports the failure.
// `buffer` holds the raw page, which is no longer needed; it is reused.
void SaveCleanedPage(TidyDoc doc, const char* fileName, std::string& buffer) {
    const bool keepsInput = tidyErrorCount(doc) > 0 && tidyOptGetBool(doc, TidyWriteBack) &&
                            !tidyOptGetBool(doc, TidyForceOutput);
    if (keepsInput || tidyOptGetBool(doc, TidyKeepFileTimes)) {
        tidySaveFile(doc, fileName);
        return;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName, "wb"));
    if (!file) {
        tidySaveFile(doc, fileName);
        return;
    }
    // The cleaned page is about as large as the raw one.
    const std::size_t rawSize = buffer.size();
    ReserveWithRoom(buffer, rawSize);
    Gathered gathered(buffer);
    TidyOutputSink sink;
    tidyInitSink(&sink, &gathered, Gathered::Append);
    tidySaveSink(doc, &sink);
    gathered.Finish();
    // Like Tidy's own file output, a failed write is not reported.
    if (!buffer.empty()) std::fwrite(buffer.data(), 1, buffer.size(), file.get());
}

}  // namespace

int TidyPage(const std::string& outputFile, const std::string& inputFile) {
    // A page nested too deeply for Tidy, or that would make it open too many
    // font elements again, is not cleaned: its cleaned text is empty, and it
    // counts as a cleaning with errors. The raw bytes are what Tidy reads;
    // their buffer is kept from page to page, and takes the cleaned page.
    thread_local std::string page;
    ReadFileBytes(inputFile, page);
    const CleaningLoad load = MeasureCleaningLoad(page, kMaxNesting, kMaxReopenedFonts);
    if (load.depth >= kMaxNesting || load.reopenedFonts >= kMaxReopenedFonts) {
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
            SaveCleanedPage(doc, inputFile.c_str(), page);
        } else {
            ctmbstr output = tidyOptGetValue(doc, TidyOutFile);
            SaveCleanedPage(doc, output ? output : outputFile.c_str(), page);
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
