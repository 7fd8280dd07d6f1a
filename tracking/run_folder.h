// A working folder of one run's own, for the pages it downloads and
// cleans: two runs started in one folder (the window and a scheduled
// console batch) never read each other's pages.
#pragma once

#include <memory>
#include <string>

namespace sorvik {

struct SearchState;

class RunFolder {
  public:
    // Creates `parent`/.sorvik-run-PID-N, exclusively, after removing the
    // folders of this kind left there by runs that no longer run. Null,
    // with `error` set to the system's reason, when it can't be created.
    static std::unique_ptr<RunFolder> Create(const std::string& parent, std::string& error);
    // Removes the folder and what is in it.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // Points the search's working files (the downloaded page and the
    // cleaned one) into the folder.
    void Use(SearchState& state) const;

  private:
    explicit RunFolder(std::string path) : m_path(std::move(path)) {}
    std::string m_path;
};

}  // namespace sorvik
