// Shared by the fuzz targets: a failing check that aborts, a private working
// directory, and the analysis of one page text with its checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search_window.h"

namespace sorvik {
namespace fuzz {

// Prints what failed and aborts, so that libFuzzer keeps the input.
[[noreturn]] void CheckFailed(const char* file, int line, const char* condition,
                              const std::string& detail);

#define FUZZ_CHECK(condition, detail)                                                          \
    do {                                                                                       \
        if (!(condition)) ::sorvik::fuzz::CheckFailed(__FILE__, __LINE__, #condition, detail); \
    } while (0)

// Creates a fresh directory under $TMPDIR (or /tmp), copies the repository's
// config.txt into it when `withConfig`, makes it the current directory and
// removes it again at exit. Call once per process.
void EnterPrivateDirectory(bool withConfig);

// Writes `data` to `name` in the current directory, replacing it.
void WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size);

// A window that keeps the rows it is given and drops everything else.
class RowWindow : public SearchWindow {
  public:
    void ClearResults() override { rows.clear(); }
    void SetStatusText(const std::string&) override {}
    void AppendResultRow(const ResultRow& row) override { rows.push_back(row); }
    void EnableStart() override {}
    void ShowMessage(const std::string&) override {}

    std::vector<ResultRow> rows;

  protected:
    FormTexts ReadFormFields() override { return {}; }
    std::string ReadStatusLine() override { return {}; }
};

// Parses `pageText` and walks it as a first page and as a later page, in
// every search mode and with a few totals, checking what must hold for any
// page: ranks run 1, 2, 3 ..., a walk ends for a reason that holds, the
// wanted item is the first row that matches it, and the next page's address
// follows the pager count.
void AnalysePage(const std::string& pageText);

}  // namespace fuzz
}  // namespace sorvik
