// What sorvik-cli needs of the platform around it: its arguments and file
// names in UTF-8, its output streams as plain bytes, and whether a stream is
// a terminal it may draw progress on. The console front end's only other
// platform file is stop_signal.cpp.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace sorvik {

// The command line in UTF-8: on Windows taken from the wide command line
// (whatever the system's code page), elsewhere as given (the locale's
// encoding, UTF-8).
std::vector<std::string> CommandLineUtf8(int argc, char** argv);

// Makes stdout and stderr write bytes unchanged (no LF to CR LF on Windows)
// and, on a Windows console, shows them as UTF-8.
void UseByteStreams();

// True when `stream` is a terminal that understands the cursor controls the
// progress line uses.
bool IsProgressTerminal(std::FILE* stream);

// A file name given in UTF-8 as a path, and the file opened by it.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::FILE* OpenUtf8(const std::string& utf8Path, const char* mode);

}  // namespace sorvik
