#include "read_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "file_names.h"

namespace sorvik {

namespace {

// The file opened for reading; null, with `error` set, when it is no
// regular file or can't be opened.
UniqueFile OpenInput(const std::string& path, std::string& error) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(PathFromUtf8(path), ec);
    if (std::filesystem::is_directory(status)) {
        error = path + " is a directory";
        return nullptr;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        error = path + " is not a regular file";
        return nullptr;
    }
    UniqueFile file(OpenUtf8(path, "rb"));
    if (!file) error = "cannot read " + path + ": " + std::strerror(errno);
    return file;
}

}  // namespace

bool ReadInputLines(const std::string& path, std::string& error,
                    const std::function<void(const InputLine& line)>& line, std::size_t maxLine) {
    UniqueFile file = OpenInput(path, error);
    if (!file) return false;
    std::string buffer;     // the start of a line whose end is still to come
    bool overlong = false;  // the line in `buffer` passed maxLine: the rest is dropped
    auto end = [&](bool complete) {
        InputLine ended{buffer, complete, overlong};
        if (overlong) ended.text = std::string_view(buffer).substr(0, maxLine);
        line(ended);
        buffer.clear();
        overlong = false;
    };
    std::vector<char> piece(1 << 16);
    std::size_t n;
    while ((n = std::fread(piece.data(), 1, piece.size(), file.get())) > 0) {
        std::string_view rest(piece.data(), n);
        for (std::size_t feed; !rest.empty();) {
            feed = rest.find('\n');
            const std::string_view part = rest.substr(0, feed);
            if (!overlong) {
                const std::size_t room = maxLine == std::string::npos
                                             ? part.size()
                                             : std::min(part.size(), maxLine + 1 - buffer.size());
                buffer.append(part.substr(0, room));
                if (buffer.size() > maxLine) overlong = true;
            }
            if (feed == std::string_view::npos) break;
            end(true);
            rest.remove_prefix(feed + 1);
        }
    }
    if (std::ferror(file.get())) {
        error = "cannot read " + path;
        return false;
    }
    if (!buffer.empty()) end(false);
    return true;
}

std::optional<std::string> ReadInputFile(const std::string& path, std::string& error) {
    UniqueFile file = OpenInput(path, error);
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
