#include "run_folder.h"

#include <filesystem>
#include <system_error>

#include "file_names.h"
#include "search_state.h"

namespace sorvik {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrefix = ".sorvik-run-";

// Removes the run folders in `parent` whose process has ended: a run killed
// outright leaves its folder behind.
void RemoveLeftovers(const fs::path& parent) {
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().u8string();
        if (name.rfind(kPrefix, 0) != 0) continue;
        std::error_code ignored;
        if (LeftByEndedRun(name.substr(std::char_traits<char>::length(kPrefix))))
            fs::remove_all(it->path(), ignored);
    }
}

}  // namespace

std::unique_ptr<RunFolder> RunFolder::Create(const std::string& parent, std::string& error) {
    const fs::path folder = PathFromUtf8(parent);
    RemoveLeftovers(folder);
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            kPrefix + std::to_string(ProcessId()) + "-" + std::to_string(attempt);
        // False for a folder of that name that exists: it is another run's.
        if (fs::create_directory(folder / PathFromUtf8(name), ec)) {
            std::string path = parent;
            path += '/';
            path += name;
            return std::unique_ptr<RunFolder>(new RunFolder(std::move(path)));
        }
        if (ec) break;
    }
    error = ec ? ec.message() : "no free name for a working folder";
    return nullptr;
}

RunFolder::~RunFolder() {
    std::error_code ignored;
    fs::remove_all(PathFromUtf8(m_path), ignored);
}

void RunFolder::Use(SearchState& state) const {
    state.m_fetchFile = m_path + "/data.html";
    state.m_cleanFile = m_path + "/data_backup.html";
}

}  // namespace sorvik
