#include "work_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace sorvik {
namespace test {

WorkDir::WorkDir(bool withConfig) {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const std::filesystem::path candidate = base / ("sorvik-test-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error))
            m_path = candidate.generic_string();
    }
    if (m_path.empty()) throw std::runtime_error("cannot make a temporary directory");
    if (withConfig)
        std::filesystem::copy_file(std::string(SORVIK_SOURCE_DIR) + "/config.txt",
                                   File("config.txt"));
}

WorkDir::~WorkDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WorkDir::Write(const std::string& name, const std::string& content) const {
    std::ofstream(File(name), std::ios::binary) << content;
}

}  // namespace test
}  // namespace sorvik
