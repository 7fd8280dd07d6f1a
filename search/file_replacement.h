// Writing a file's whole content anew, over the content it had.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace sorvik {

// A file whose content is replaced by the bytes written to it. An existing
// regular file is written over in place and then cut to the length written,
// instead of being emptied first and filled again: on a file that is
// replaced with about as many bytes again and again (the working files of
// the result pages), emptying and refilling costs the file system several
// times more. Any other file is opened as fopen's "wb" opens it. Once
// finished (or gone), the file holds exactly the bytes written, or, after a
// failed write in place, nothing; until then an old file's tail may still
// follow them.
class FileReplacement {
  public:
    explicit FileReplacement(const std::string& fileName);
    // Finishes, if that has not been done.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // False when the file could not be opened.
    bool IsOpen() const { return m_file != nullptr; }

    // Writes `size` bytes; returns how many were written, as fwrite does.
    std::size_t Write(const void* bytes, std::size_t size);

    // Flushes the bytes written and cuts the file after them, then closes
    // it. False when a write, the flush, the cut or the close failed.
    bool Finish();

    // The system's error number of the first thing that failed (the open,
    // a write, the flush, the cut or the close); 0 when nothing has.
    int Error() const { return m_error; }

  private:
    void Failed();

    std::FILE* m_file = nullptr;
    int m_error = 0;
    bool m_inPlace = false;
    bool m_writeFailed = false;
    std::uint64_t m_written = 0;
};

}  // namespace sorvik
