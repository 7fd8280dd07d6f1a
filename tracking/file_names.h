// Files named in UTF-8 on every platform: the tracker's files and the
// console's input and output files.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace sorvik {

// A file name given in UTF-8 as a path, and the file opened by it.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::FILE* OpenUtf8(const std::string& utf8Path, const char* mode);

// Creates the file `utf8Path` and opens it for writing bytes; fails (errno
// EEXIST) when something of that name exists already, so that no two
// writers ever share the file.
std::FILE* CreateNewUtf8(const std::string& utf8Path);

// This process's id, to tell its files from another run's.
long ProcessId();

// Asks the system to put what was written to `file` on the disk, so that a
// power cut after a rename or an append finds the whole of it. False when
// the system says it could not.
bool FlushToDisk(std::FILE* file);

}  // namespace sorvik
