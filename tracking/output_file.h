// Where the records go: stdout, or a file that a reader only ever sees
// whole. The file is written under a temporary name of the run's own beside
// it (FILE.PID-N.part, created exclusively) and put in place at the end.
// A symbolic link is written through to its target, which keeps its mode
// and (where the system allows) its owner; a device or FIFO is written
// directly, since nothing can be renamed over it.
#pragma once

#include <cstdio>
#include <string>

#include "file_names.h"

namespace sorvik {

class OutputFile {
  public:
    OutputFile() = default;
    // Removes the temporary file unless Finish has put it in place.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts writing to `path`, or to stdout when it is empty or "-".
    // Nothing at a regular `path` changes until Finish. Temporary files
    // left beside it by runs that no longer run are removed. False, with
    // `error` set, when the temporary file cannot be created.
    bool Open(const std::string& path, std::string& error);

    // Writes `text` at once (safe from the search worker: the main thread
    // writes only before and after it).
    void Write(const std::string& text);

    // Closes the temporary file and puts it in place at `path`: renamed
    // over it, or, when the file has other hard links, copied into it so
    // that every link sees the new content. False, with `error` set, when a
    // write or putting it in place failed; a regular `path` is then as it
    // was.
    bool Finish(std::string& error);

  private:
    std::string m_path;       // the file written: a link's target
    std::string m_temporary;  // empty when writing stdout or directly
    UniqueFile m_owned;       // the temporary file, or the device written directly
    std::FILE* m_out = stdout;
    bool m_inPlace = false;  // copy into m_path instead of renaming over it
    bool m_failed = false;
};

}  // namespace sorvik
