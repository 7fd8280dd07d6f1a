#include "working_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "file_names.h"

namespace sorvik {

std::optional<std::string> CannotCreateFilesIn(const std::string& folder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string probe = folder + "/.sorvik-write-check-" + std::to_string(ProcessId()) +
                                  "-" + std::to_string(attempt);
        if (FILE* file = CreateNewUtf8(probe)) {
            const bool closed = std::fclose(file) == 0;
            std::error_code ignored;
            std::filesystem::remove(PathFromUtf8(probe), ignored);
            if (closed) return std::nullopt;
            return std::string(std::strerror(errno));
        }
        if (errno != EEXIST) break;
    }
    return std::string(std::strerror(errno));
}

std::string CurrentFolderName() {
    std::error_code ec;
    const std::string folder = std::filesystem::current_path(ec).u8string();
    return folder.empty() ? std::string(".") : folder;
}

}  // namespace sorvik
