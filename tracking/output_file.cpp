#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "read_file.h"

namespace sorvik {
namespace {

namespace fs = std::filesystem;

// The file a name leads to: the last target of its symbolic links (a target
// that does not exist yet included), else the name itself.
fs::path LinkTarget(const fs::path& name) {
    std::error_code ec;
    fs::path path = name;
    // As the system does, give up on a chain of links that does not end.
    for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// Removes FILE.PID-N.part files beside `file` whose run was killed
// outright: nothing else will ever remove them.
void RemoveLeftoverParts(const fs::path& file) {
    const std::string prefix = file.filename().u8string() + ".";
    const std::string suffix = ".part";
    std::error_code ec;
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().u8string();
        if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string middle =
            name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        std::error_code ignored;
        if (LeftByEndedRun(middle)) fs::remove(it->path(), ignored);
    }
}

}  // namespace

OutputFile::~OutputFile() {
    if (m_temporary.empty()) return;
    m_owned.reset();
    std::error_code ignored;
    fs::remove(PathFromUtf8(m_temporary), ignored);
}

bool OutputFile::Open(const std::string& path, std::string& error) {
    if (path.empty() || path == "-") return true;
    std::error_code ec;
    const fs::file_status status = fs::status(PathFromUtf8(path), ec);
    if (fs::is_directory(status)) {
        error = "cannot write the output file " + path + ": it is a directory";
        return false;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or a FIFO (/dev/null, /dev/stdout): written as it is.
        m_owned.reset(OpenUtf8(path, "wb"));
        if (!m_owned) {
            error = "cannot write the output file " + path + ": " + std::strerror(errno);
            return false;
        }
        m_out = m_owned.get();
        m_path = path;
        return true;
    }
    const fs::path target = LinkTarget(PathFromUtf8(path));
    const std::string targetName = target.u8string();
    RemoveLeftoverParts(target);
    // A temporary file of this run's own, beside the target: two runs
    // writing the same target never share one, and the last to finish
    // puts its whole output in place.
    std::string temporary;
    for (int attempt = 0; !m_owned && attempt < 100; ++attempt) {
        temporary = targetName + "." + std::to_string(ProcessId()) + "-" + std::to_string(attempt) +
                    ".part";
        m_owned.reset(CreateNewUtf8(temporary));
        if (!m_owned && errno != EEXIST) break;
    }
    if (!m_owned) {
        error = "cannot write the output file " + path + ": " + std::strerror(errno);
        return false;
    }
    m_out = m_owned.get();
    m_path = targetName;
    m_temporary = temporary;
    if (fs::is_regular_file(status)) {
        // The file comes back as it was set up: its mode, its owner, and
        // with more than one hard link, every link.
        fs::permissions(PathFromUtf8(temporary), status.permissions(), ec);
        KeepOwner(temporary, targetName);
        m_inPlace = fs::hard_link_count(target, ec) > 1;
    }
    return true;
}

void OutputFile::Write(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), m_out) != text.size() || std::fflush(m_out) != 0)
        m_failed = true;
}

bool OutputFile::Finish(std::string& error) {
    if (!m_owned) {
        if (std::fflush(m_out) != 0) m_failed = true;
        if (m_failed) error = "cannot write the output";
        return !m_failed;
    }
    // On the disk before the rename: a power cut leaves the old file or the
    // new one, never a renamed file that is half there.
    const bool flushed = m_temporary.empty() || FlushToDisk(m_owned.get());
    const bool closed = std::fclose(m_owned.release()) == 0 && flushed;
    m_out = nullptr;
    if (m_failed || !closed) {
        error = "cannot write the output file " + m_path;
        return false;  // the destructor removes the temporary file
    }
    if (m_temporary.empty()) return true;
    if (m_inPlace) {
        // The whole output is ready: only now is the file itself changed.
        std::optional<std::string> text = ReadInputFile(m_temporary, error);
        UniqueFile file(text ? OpenUtf8(m_path, "wb") : nullptr);
        if (!file || std::fwrite(text->data(), 1, text->size(), file.get()) != text->size() ||
            !FlushToDisk(file.get()) || std::fclose(file.release()) != 0) {
            error = "cannot write the output file " + m_path;
            return false;
        }
        return true;
    }
    std::error_code ec;
    fs::rename(PathFromUtf8(m_temporary), PathFromUtf8(m_path), ec);
    if (!ec) {
        m_temporary.clear();
        return true;
    }
    error = "cannot put the output file in place at " + m_path + ": " + ec.message();
    return false;  // the destructor removes the temporary file
}

}  // namespace sorvik
