#include "read_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "file_names.h"

namespace sorvik {

namespace {

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

// The file opened for reading; null, with `error` set, when it is a
// directory or can't be opened.
File OpenInput(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        error = path + " is a directory";
        return File(nullptr, &std::fclose);
    }
    File file(OpenUtf8(path, "rb"), &std::fclose);
    if (!file) error = "cannot read " + path + ": " + std::strerror(errno);
    return file;
}

}  // namespace

bool ReadInputLines(const std::string& path, std::string& error,
                    const std::function<void(std::string_view line, bool complete)>& line) {
    File file = OpenInput(path, error);
    if (!file) return false;
    std::string buffer;
    std::vector<char> piece(1 << 20);
    std::size_t n;
    while ((n = std::fread(piece.data(), 1, piece.size(), file.get())) > 0) {
        buffer.append(piece.data(), n);
        std::size_t start = 0;
        for (std::size_t end; (end = buffer.find('\n', start)) != std::string::npos;
             start = end + 1)
            line(std::string_view(buffer).substr(start, end - start), true);
        buffer.erase(0, start);
    }
    if (std::ferror(file.get())) {
        error = "cannot read " + path;
        return false;
    }
    if (!buffer.empty()) line(buffer, false);
    return true;
}

std::optional<std::string> ReadInputFile(const std::string& path, std::string& error) {
    File file = OpenInput(path, error);
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        bytes.append(buffer, n);
    if (std::ferror(file.get())) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return bytes;
}

}  // namespace sorvik
