// Fresh working directories for tests that run searches.
#pragma once

#include <string>

namespace sorvik {
namespace test {

// A fresh temporary directory holding a copy of the repository's config.txt
// (unless `withConfig` is false), removed with everything in it at the end.
class WorkDir {
  public:
    explicit WorkDir(bool withConfig = true);
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    void Write(const std::string& name, const std::string& content) const;

  private:
    std::string m_path;
};

}  // namespace test
}  // namespace sorvik
