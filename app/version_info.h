// The version data of the executable, the same block that app/res/sorvik.rc
// gives Windows builds.
#pragma once

#include <string>

namespace sorvik_app {

struct VersionField {
    const char* key;
    const char* value;
};

// Fixed file and product version.
extern const char* const kFixedFileVersion;
extern const char* const kFixedProductVersion;

// The string table, in the order of the resource block.
extern const VersionField kVersionStrings[];
extern const int kVersionStringCount;

// Looks up one string of the table; empty when the key is not there.
std::string VersionString(const std::string& key);

// What `sorvik --version` prints: one "Key: value" line per entry.
std::string VersionReport();

}  // namespace sorvik_app
