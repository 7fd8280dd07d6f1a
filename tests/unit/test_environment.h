// The process environment and temporary directories, the same on every
// platform the tests run on.
#pragma once

#include <filesystem>
#include <string>

namespace sorvik {

// Sets or removes an environment variable; for TZ the C library's time zone
// is read again.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// A new, empty directory in the system's temporary directory.
std::filesystem::path MakeTempDirectory(const std::string& prefix);

}  // namespace sorvik
