#include "read_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "file_names.h"

namespace sorvik {

std::optional<std::string> ReadInputFile(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        error = path + " is a directory";
        return std::nullopt;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(OpenUtf8(path, "rb"), &std::fclose);
    if (!file) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
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
