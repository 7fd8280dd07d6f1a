#include "file_replacement.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/types.h>
#include <unistd.h>
#endif

namespace sorvik {
namespace {

// Cuts an open file to `size` bytes.
bool CutFile(std::FILE* file, std::uint64_t size) {
#ifdef _WIN32
    return _chsize_s(_fileno(file), static_cast<__int64>(size)) == 0;
#else
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
#endif
}

}  // namespace

FileReplacement::FileReplacement(const std::string& fileName) {
    std::error_code error;
    if (std::filesystem::is_regular_file(fileName, error)) {
        m_file = std::fopen(fileName.c_str(), "r+b");
        m_inPlace = m_file != nullptr;
    }
    if (!m_file) m_file = std::fopen(fileName.c_str(), "wb");
    if (!m_file) Failed();
}

void FileReplacement::Failed() {
    if (m_error == 0) m_error = errno != 0 ? errno : EIO;
}

FileReplacement::~FileReplacement() {
    Finish();
}

std::size_t FileReplacement::Write(const void* bytes, std::size_t size) {
    const std::size_t written = std::fwrite(bytes, 1, size, m_file);
    m_written += written;
    if (written < size) {
        m_writeFailed = true;
        Failed();
    }
    return written;
}

bool FileReplacement::Finish() {
    if (!m_file) return false;
    bool ok = std::fflush(m_file) == 0 && !m_writeFailed && !std::ferror(m_file);
    if (!ok) Failed();
    // A failed write in place may have left old bytes among the new ones, or
    // fewer new bytes than counted: then none of them is kept.
    if (m_inPlace && !CutFile(m_file, ok ? m_written : 0)) {
        ok = false;
        Failed();
    }
    if (std::fclose(m_file) != 0) {
        ok = false;
        Failed();
    }
    m_file = nullptr;
    return ok;
}

}  // namespace sorvik
