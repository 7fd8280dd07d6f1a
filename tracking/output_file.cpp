#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "file_names.h"

namespace sorvik {

OutputFile::~OutputFile() {
    if (m_temporary.empty()) return;
    if (m_file) std::fclose(m_file);
    std::error_code ignored;
    std::filesystem::remove(PathFromUtf8(m_temporary), ignored);
}

bool OutputFile::Open(const std::string& path, std::string& error) {
    if (path.empty()) return true;
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        error = "cannot write the output file " + path + ": it is a directory";
        return false;
    }
    // A temporary file of this run's own, beside the target: two runs
    // writing the same target never share one, and the last to finish
    // puts its whole output in place.
    std::string temporary;
    FILE* file = nullptr;
    for (int attempt = 0; !file && attempt < 100; ++attempt) {
        temporary =
            path + "." + std::to_string(ProcessId()) + "-" + std::to_string(attempt) + ".part";
        file = CreateNewUtf8(temporary);
        if (!file && errno != EEXIST) break;
    }
    if (!file) {
        error = "cannot write the output file " + path + ": " + std::strerror(errno);
        return false;
    }
    m_file = file;
    m_path = path;
    m_temporary = temporary;
    return true;
}

void OutputFile::Write(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size() || std::fflush(m_file) != 0)
        m_failed = true;
}

bool OutputFile::Finish(std::string& error) {
    if (m_temporary.empty()) return true;
    // On the disk before the rename: a power cut leaves the old file or the
    // new one, never a renamed file that is half there.
    const bool flushed = FlushToDisk(m_file);
    const bool closed = std::fclose(m_file) == 0 && flushed;
    m_file = nullptr;
    std::error_code ec;
    if (m_failed || !closed) {
        error = "cannot write the output file " + m_path;
    } else {
        std::filesystem::rename(PathFromUtf8(m_temporary), PathFromUtf8(m_path), ec);
        if (!ec) {
            m_temporary.clear();
            return true;
        }
        error = "cannot put the output file in place at " + m_path + ": " + ec.message();
    }
    return false;  // the destructor removes the temporary file
}

}  // namespace sorvik
