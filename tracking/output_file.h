// Where the records go: stdout, or a file that a reader only ever sees
// whole. The file is written under a temporary name of the run's own beside
// it (FILE.PID-N.part, created exclusively) and renamed into place at the
// end.
#pragma once

#include <cstdio>
#include <string>

namespace sorvik {

class OutputFile {
  public:
    OutputFile() = default;
    // Removes the temporary file unless Finish has put it in place.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts writing to `path`, or to stdout when it is empty. Nothing at
    // `path` changes until Finish. False, with `error` set, when the
    // temporary file cannot be created.
    bool Open(const std::string& path, std::string& error);

    // Writes `text` at once (safe from the search worker: the main thread
    // writes only before and after it).
    void Write(const std::string& text);

    // Closes the temporary file and renames it over `path`. False, with
    // `error` set, when a write or the rename failed; `path` is then as it was.
    bool Finish(std::string& error);

  private:
    std::string m_path;
    std::string m_temporary;
    FILE* m_file = stdout;
    bool m_failed = false;
};

}  // namespace sorvik
