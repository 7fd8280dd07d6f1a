// The process environment and temporary directories, the same on every
// platform the tests run on.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sorvik {

// Sets or removes an environment variable; for TZ the C library's time zone
// is read again.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// A new, empty directory in the system's temporary directory.
std::filesystem::path MakeTempDirectory(const std::string& prefix);

// The bytes of a file, exactly; empty when it can't be read.
std::string FileText(const std::filesystem::path& path);

// The lines of `text`, without their line feeds.
std::vector<std::string> Lines(const std::string& text);

}  // namespace sorvik
