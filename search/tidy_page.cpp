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

// The steps of one cleaning whose page passed the guard, as Tidy's
// command-line front end takes them: settings, parse, clean and repair,
// output, closing report. Holding back, they write nothing: the diagnostics
// go to the cleaning's buffers and its m_effect says what the commit is to
// write. Otherwise everything is written as it comes.
class PreparedCleaning::Steps {
  public:
    Steps(PreparedCleaning& cleaning, bool holdBack)
        : m_cleaning(cleaning), m_holdBack(holdBack), m_doc(m_document.Get()) {}

    // Reads the settings in the order the front end reads them. False when
    // they ask for what cannot be held back (see PrepareCleaning).
    bool Configure();

    // Parses the page; `pageRead`: the page buffer holds the input file's
    // bytes. Returns Tidy's status.
    int Parse(bool pageRead);

    // Cleans and repairs the parsed page and runs Tidy's diagnostics on it,
    // unless `status` is already a failure. Returns Tidy's status.
    int CleanAndRepair(int status);

    // Writes the cleaned page, or holds it back, when the front end would
    // write it. False when the writing cannot be held back.
    bool Output(int status);

    // The front end's closing report; returns the cleaning's status.
    int Report();

  private:
    PreparedCleaning& m_cleaning;
    const bool m_holdBack;
    TidyDocument m_document;
    TidyDoc m_doc;
    TidyOutputSink m_diagnosticsSink;
    bool m_diagnosticsToStderr = true;
};

bool PreparedCleaning::Steps::Configure() {
    // Held back, the diagnostics are gathered from the start, settings
    // reports included. The stream Tidy makes for them takes its newline and
    // encoding from the settings of the moment, here Tidy's defaults: those
    // of its standard error stream (the platform's newline, and an encoding
    // that writes a newline as that one byte; message text goes out byte for
    // byte whatever the encoding). So the bytes are those Tidy would have
    // handed to the standard error stream.
    if (m_holdBack) {
        tidyInitSink(&m_diagnosticsSink, &m_cleaning.m_buffers->diagnostics, AppendDiagnostic);
        tidySetErrorSink(m_doc, &m_diagnosticsSink);
    }

    // The HTML_TIDY file, then config.txt, each failure ignored.
    if (const char* userConfig = std::getenv("HTML_TIDY")) tidyLoadConfig(m_doc, userConfig);
    tidyLoadConfig(m_doc, "config.txt");
    // An error file is opened with the settings, and kept file times are set
    // by Tidy's own save: neither can wait for a commit.
    ctmbstr errName = tidyOptGetValue(m_doc, TidyErrFile);
    const bool errorFileNamed = errName && *errName;
    if (m_holdBack && (errorFileNamed || tidyOptGetBool(m_doc, TidyKeepFileTimes))) return false;
    // An error-file setting sends the diagnostics to that file from here
    // on; the document closes it when it is released.
    if (errorFileNamed) {
        FILE* errorFile = tidySetErrorFile(m_doc, errName);
        m_diagnosticsToStderr = errorFile == nullptr || errorFile == stderr;
    }
    // Raw bytes in and out, and our output file, over whatever the files set.
    tidySetCharEncoding(m_doc, "raw");
    tidyOptSetValue(m_doc, TidyOutFile, m_cleaning.m_outputFile.c_str());
    return true;
}

int PreparedCleaning::Steps::Parse(bool pageRead) {
    // Held back, Tidy parses the bytes the guard measured: the file is not
    // read again (Tidy's file input takes it a byte per call), and what Tidy
    // parses is exactly what the guard let through. Cleaning directly, it
    // reads the file itself, as the front end does.
    const std::string& inputFile = m_cleaning.m_inputFile;
    std::string& page = m_cleaning.m_buffers->page;
    if (m_holdBack && pageRead && CanParseFromMemory(inputFile, page))
        return ParseFromMemory(m_doc, page);
    return tidyParseFile(m_doc, inputFile.c_str());
}

int PreparedCleaning::Steps::CleanAndRepair(int status) {
    if (status >= 0) status = tidyCleanAndRepair(m_doc);
    if (status >= 0) status = tidyRunDiagnostics(m_doc);
    return status;
}

bool PreparedCleaning::Steps::Output(int status) {
    const bool writes = status >= 0 && (status <= 1 || tidyOptGetBool(m_doc, TidyForceOutput)) &&
                        tidyOptGetBool(m_doc, TidyShowMarkup);
    if (!writes) return true;
    ctmbstr output = tidyOptGetValue(m_doc, TidyOutFile);
    std::string& target = m_cleaning.m_target;
    target = tidyOptGetBool(m_doc, TidyWriteBack) ? m_cleaning.m_inputFile
             : output                             ? output
                                                  : m_cleaning.m_outputFile;
    // Tidy's save does more than write the file when it keeps the input's
    // file times, or keeps an input that write-back would overwrite with
    // nothing: that is left to it.
    const bool keepsInput = tidyErrorCount(m_doc) > 0 && tidyOptGetBool(m_doc, TidyWriteBack) &&
                            !tidyOptGetBool(m_doc, TidyForceOutput);
    if (keepsInput && m_holdBack) return false;
    if (keepsInput || tidyOptGetBool(m_doc, TidyKeepFileTimes)) {
        tidySaveFile(m_doc, target.c_str());
        return true;
    }
    GatherCleanedPage(m_doc, m_cleaning.m_buffers->page);
    // A file that cannot be opened is left to Tidy's save too: it tries
    // again and reports the failure.
    m_cleaning.m_effect = Effect::kSave;
    if (!m_holdBack && !m_cleaning.Write()) tidySaveFile(m_doc, target.c_str());
    return true;
}

int PreparedCleaning::Steps::Report() {
    const uint errors = tidyErrorCount(m_doc);
    const uint warnings = tidyWarningCount(m_doc);
    if (!tidyOptGetBool(m_doc, TidyQuiet)) {
        if (m_diagnosticsToStderr && errors == 0) {
            if (m_holdBack) {
                m_cleaning.m_buffers->diagnostics.push_back('\n');
            } else {
                std::fputc('\n', stderr);
            }
        }
        if (errors + warnings > 0) tidyErrorSummary(m_doc);
        tidyGeneralInfo(m_doc);
    }
    return errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}

// One cleaning. Holding back, it writes nothing: the diagnostics go to
// m_buffers->diagnostics and m_effect says what the commit is to write.
// Otherwise everything is written as it comes, and m_effect is kNothing.
void PreparedCleaning::Run(bool holdBack) {
    m_buffers->diagnostics.clear();
    m_effect = Effect::kNothing;

    // A page nested too deeply for Tidy, or that would make it open too many
    // font elements again, is not cleaned: its cleaned text is empty, and it
    // counts as a cleaning with errors. The raw bytes are what Tidy reads;
    // their buffer is kept from page to page, and takes the cleaned page.
    const bool pageRead = ReadFileBytes(m_inputFile, m_buffers->page);
    const CleaningLoad load = MeasureCleaningLoad(m_buffers->page, kMaxNesting, kMaxReopenedFonts);
    if (load.depth >= kMaxNesting || load.reopenedFonts >= kMaxReopenedFonts) {
        m_status = 2;
        m_effect = Effect::kEmptyOutput;
        if (!holdBack) Write();
        return;
    }

    // What cannot be held back is left to a cleaning run at the commit.
    Steps steps(*this, holdBack);
    if (!steps.Configure()) {
        m_effect = Effect::kRunAgain;
        return;
    }
    const int status = steps.CleanAndRepair(steps.Parse(pageRead));
    if (!steps.Output(status)) {
        m_effect = Effect::kRunAgain;
        return;
    }
    m_status = steps.Report();
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
