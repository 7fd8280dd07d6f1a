#include "tidy_page.h"

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "file_replacement.h"
#include "nesting_depth.h"
#include "whole_file.h"

namespace sorvik {
namespace {

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

// Gathers the cleaned page in `buffer`, which holds the raw page and is no
// longer needed for it: Tidy's own file output writes every byte with a call
// of its own, so the page is written at once instead.
void GatherCleanedPage(TidyDoc doc, std::string& buffer) {
    // The cleaned page is about as large as the raw one.
    ReserveWithRoom(buffer, buffer.size());
    Gathered gathered(buffer);
    TidyOutputSink sink;
    tidyInitSink(&sink, &gathered, Gathered::Append);
    tidySaveSink(doc, &sink);
    gathered.Finish();
}

// Replaces `fileName` with `bytes`; false when the file cannot be opened.
// Like Tidy's own file output, a failed write is not reported.
bool WriteFile(const std::string& fileName, const std::string& bytes) {
    FileReplacement file(fileName);
    if (!file.IsOpen()) return false;
    if (!bytes.empty()) file.Write(bytes.data(), bytes.size());
    file.Finish();
    return true;
}

// Whether Tidy would parse `inputFile` as the bytes `page` holds. Tidy's
// file input refuses a file it cannot open for update, reporting it; that
// is left to Tidy.
bool CanParseFromMemory(const std::string& inputFile, const std::string& page) {
    if (page.size() > std::numeric_limits<uint>::max()) return false;
    std::FILE* file = std::fopen(inputFile.c_str(), "r+");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// Parses `page` as Tidy's file input would parse a file holding it.
int ParseFromMemory(TidyDoc doc, std::string& page) {
    TidyBuffer input;
    tidyBufInit(&input);
    tidyBufAttach(&input, reinterpret_cast<byte*>(page.data()), static_cast<uint>(page.size()));
    return tidyParseBuffer(doc, &input);
}

void TIDY_CALL AppendDiagnostic(void* sinkData, byte value) {
    static_cast<std::string*>(sinkData)->push_back(static_cast<char>(value));
}

}  // namespace

// One cleaning. Holding back, it writes nothing: the diagnostics go to
// m_buffers->diagnostics and m_effect says what the commit is to write.
// Otherwise everything is written as it comes, and m_effect is kNothing.
void PreparedCleaning::Run(bool holdBack) {
    std::string& page = m_buffers->page;
    std::string& diagnostics = m_buffers->diagnostics;
    diagnostics.clear();
    m_effect = Effect::kNothing;

    // A page nested too deeply for Tidy, or that would make it open too many
    // font elements again, is not cleaned: its cleaned text is empty, and it
    // counts as a cleaning with errors. The raw bytes are what Tidy reads;
    // their buffer is kept from page to page, and takes the cleaned page.
    const bool pageRead = ReadFileBytes(m_inputFile, page);
    const CleaningLoad load = MeasureCleaningLoad(page, kMaxNesting, kMaxReopenedFonts);
    if (load.depth >= kMaxNesting || load.reopenedFonts >= kMaxReopenedFonts) {
        m_status = 2;
        m_effect = Effect::kEmptyOutput;
        if (!holdBack) Write();
        return;
    }

    TidyDocument document;
    TidyDoc doc = document.Get();
    // Held back, the diagnostics are gathered from the start, settings
    // reports included. The stream Tidy makes for them takes its newline and
    // encoding from the settings of the moment, here Tidy's defaults: those
    // of its standard error stream (the platform's newline, and an encoding
    // that writes a newline as that one byte; message text goes out byte for
    // byte whatever the encoding). So the bytes are those Tidy would have
    // handed to the standard error stream.
    TidyOutputSink diagnosticsSink;
    if (holdBack) {
        tidyInitSink(&diagnosticsSink, &diagnostics, AppendDiagnostic);
        tidySetErrorSink(doc, &diagnosticsSink);
    }

    // Settings in the order the front end reads them: the HTML_TIDY file,
    // then config.txt, each failure ignored.
    if (const char* userConfig = std::getenv("HTML_TIDY")) tidyLoadConfig(doc, userConfig);
    tidyLoadConfig(doc, "config.txt");
    // An error file is opened with the settings, and kept file times are set
    // by Tidy's own save: neither can wait for a commit.
    ctmbstr errName = tidyOptGetValue(doc, TidyErrFile);
    const bool errorFileNamed = errName && *errName;
    if (holdBack && (errorFileNamed || tidyOptGetBool(doc, TidyKeepFileTimes))) {
        m_effect = Effect::kRunAgain;
        return;
    }
    // An error-file setting sends the diagnostics to that file from here
    // on; the document closes it when it is released.
    bool diagnosticsToStderr = true;
    if (errorFileNamed) {
        FILE* errorFile = tidySetErrorFile(doc, errName);
        diagnosticsToStderr = errorFile == nullptr || errorFile == stderr;
    }
    // Raw bytes in and out, and our output file, over whatever the files set.
    tidySetCharEncoding(doc, "raw");
    tidyOptSetValue(doc, TidyOutFile, m_outputFile.c_str());

    // Held back, Tidy parses the bytes the guard measured: the file is not
    // read again (Tidy's file input takes it a byte per call), and what Tidy
    // parses is exactly what the guard let through. Cleaning directly, it
    // reads the file itself, as the front end does.
    int status = holdBack && pageRead && CanParseFromMemory(m_inputFile, page)
                     ? ParseFromMemory(doc, page)
                     : tidyParseFile(doc, m_inputFile.c_str());
    if (status >= 0) status = tidyCleanAndRepair(doc);
    if (status >= 0) status = tidyRunDiagnostics(doc);
    if (status >= 0 && (status <= 1 || tidyOptGetBool(doc, TidyForceOutput)) &&
        tidyOptGetBool(doc, TidyShowMarkup)) {
        ctmbstr output = tidyOptGetValue(doc, TidyOutFile);
        m_target = tidyOptGetBool(doc, TidyWriteBack) ? m_inputFile
                   : output                           ? output
                                                      : m_outputFile;
        // Tidy's save does more than write the file when it keeps the
        // input's file times, or keeps an input that write-back would
        // overwrite with nothing: that is left to it.
        const bool keepsInput = tidyErrorCount(doc) > 0 && tidyOptGetBool(doc, TidyWriteBack) &&
                                !tidyOptGetBool(doc, TidyForceOutput);
        if (keepsInput && holdBack) {
            m_effect = Effect::kRunAgain;
            return;
        }
        if (keepsInput || tidyOptGetBool(doc, TidyKeepFileTimes)) {
            tidySaveFile(doc, m_target.c_str());
        } else {
            GatherCleanedPage(doc, page);
            // A file that cannot be opened is left to Tidy's save too: it
            // tries again and reports the failure.
            m_effect = Effect::kSave;
            if (!holdBack && !Write()) tidySaveFile(doc, m_target.c_str());
        }
    }
    const uint errors = tidyErrorCount(doc);
    const uint warnings = tidyWarningCount(doc);

    if (!tidyOptGetBool(doc, TidyQuiet)) {
        if (diagnosticsToStderr && errors == 0) {
            if (holdBack) {
                diagnostics.push_back('\n');
            } else {
                std::fputc('\n', stderr);
            }
        }
        if (errors + warnings > 0) tidyErrorSummary(doc);
        tidyGeneralInfo(doc);
    }
    m_status = errors > 0 ? 2 : warnings > 0 ? 1 : 0;
    if (!holdBack) m_effect = Effect::kNothing;
}

bool PreparedCleaning::Write() const {
    switch (m_effect) {
        case Effect::kSave:
            return WriteFile(m_target, m_buffers->page);
        case Effect::kEmptyOutput:
            WriteFile(m_outputFile, std::string());
            return true;
        case Effect::kNothing:
        case Effect::kRunAgain:
            break;
    }
    return true;
}

int PreparedCleaning::Commit() {
    std::string& diagnostics = m_buffers->diagnostics;
    if (m_effect == Effect::kRunAgain || !Write()) {
        m_status = TidyPageDirectly(m_outputFile, m_inputFile, *m_buffers);
    } else if (!diagnostics.empty()) {
        std::fwrite(diagnostics.data(), 1, diagnostics.size(), stderr);
    }
    // A second commit writes nothing.
    m_effect = Effect::kNothing;
    diagnostics.clear();
    return m_status;
}

PreparedCleaning PrepareCleaning(const std::string& outputFile, const std::string& inputFile,
                                 CleaningBuffers& buffers) {
    PreparedCleaning cleaning(outputFile, inputFile, buffers);
    cleaning.Run(true);
    return cleaning;
}

int TidyPageDirectly(const std::string& outputFile, const std::string& inputFile,
                     CleaningBuffers& buffers) {
    PreparedCleaning cleaning(outputFile, inputFile, buffers);
    cleaning.Run(false);
    return cleaning.m_status;
}

int TidyPage(const std::string& outputFile, const std::string& inputFile) {
    thread_local CleaningBuffers buffers;
    return PrepareCleaning(outputFile, inputFile, buffers).Commit();
}

}  // namespace sorvik
