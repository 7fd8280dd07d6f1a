// Files named in UTF-8 on every platform: the tracker's files and the
// console's input and output files.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace sorvik {

// A file of the C library's, closed when its owner goes.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

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

// True while a process of id `pid` runs (or may run: when the system won't
// say, it is taken as running, so that nothing of a live run is removed).
bool ProcessRunning(long pid);

// True for "PID-N" (the middle of the name of a run's temporary file or
// folder) when the process PID no longer runs: what it left is nobody's.
bool LeftByEndedRun(const std::string& pidDashN);

// The size of the open `file`; -1 when the system can't say.
long long FileSizeOf(std::FILE* file);

// Cuts the open `file` back to `size` bytes. False when that fails.
bool TruncateFile(std::FILE* file, long long size);

// Gives the file `utf8Path` the owner and group of `model` where the
// system allows it; nothing happens elsewhere (Windows) or when it is not
// allowed.
void KeepOwner(const std::string& utf8Path, const std::string& model);

}  // namespace sorvik
