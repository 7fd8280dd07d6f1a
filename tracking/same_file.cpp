#include "same_file.h"

#include <filesystem>
#include <system_error>

#include "file_names.h"

namespace sorvik {

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    const fs::path first = PathFromUtf8(a), second = PathFromUtf8(b);
    std::error_code ec;
    const bool firstExists = fs::exists(first, ec);
    const bool secondExists = fs::exists(second, ec);
    if (firstExists && secondExists) {
        // The file system's own identity: device and file number.
        const bool same = fs::equivalent(first, second, ec);
        return !ec && same;
    }
    if (firstExists != secondExists) return false;
    const fs::path firstFull = fs::weakly_canonical(fs::absolute(first, ec), ec);
    if (ec) return false;
    const fs::path secondFull = fs::weakly_canonical(fs::absolute(second, ec), ec);
    return !ec && firstFull == secondFull;
}

}  // namespace sorvik
