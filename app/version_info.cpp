#include "version_info.h"

namespace sorvik_app {

const char* const kFixedFileVersion = "2.0.0.1";
const char* const kFixedProductVersion = "2.0.0.1";

const VersionField kVersionStrings[] = {
    {"CompanyName", "Sorvik"},
    {"FileDescription", "Sorvik 宝贝排名查询"},
    {"FileVersion", "1.0.0.1"},
    {"InternalName", "sorvik.exe"},
    {"LegalCopyright", "Copyright (C) Sorvik"},
    {"OriginalFilename", "sorvik.exe"},
    {"ProductName", "Sorvik"},
    {"ProductVersion", "2.0.0.1"},
};
const int kVersionStringCount = sizeof(kVersionStrings) / sizeof(kVersionStrings[0]);

std::string VersionString(const std::string& key) {
    for (int i = 0; i < kVersionStringCount; ++i)
        if (key == kVersionStrings[i].key) return kVersionStrings[i].value;
    return std::string();
}

std::string VersionReport() {
    std::string report =
        VersionString("ProductName") + " " + VersionString("ProductVersion") + "\n";
    report += std::string("FixedFileVersion: ") + kFixedFileVersion + "\n";
    report += std::string("FixedProductVersion: ") + kFixedProductVersion + "\n";
    for (int i = 0; i < kVersionStringCount; ++i)
        report += std::string(kVersionStrings[i].key) + ": " + kVersionStrings[i].value + "\n";
    return report;
}

}  // namespace sorvik_app
