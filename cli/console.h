// What sorvik-cli needs of the platform around it: its arguments and file
// names in UTF-8, its output streams as plain bytes, whether a stream is a
// terminal it may draw progress on, and an allocator suited to its threads.
// The console front end's only other platform file is stop_signal.cpp; files
// named in UTF-8 are the tracking library's (file_names.h).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace sorvik {
namespace cli {

// The command line in UTF-8: on Windows taken from the wide command line
// (whatever the system's code page), elsewhere as given (the locale's
// encoding, UTF-8).
std::vector<std::string> CommandLineUtf8(int argc, char** argv);

// Makes stdout and stderr write bytes unchanged (no LF to CR LF on Windows)
// and, on a Windows console, shows them as UTF-8.
void UseByteStreams();

// Where the C library's allocator can be told so (glibc), makes it keep
// the memory of one page for the next: one pool for all threads, since the
// search's threads take turns (the page's cleaning runs while the worker
// waits for it), so that what the cleaning frees serves the analysis that
// follows instead of each thread faulting in memory of its own; and 4 MB
// kept at the top of the heap when memory is freed, instead of handing it
// back to the system after every page and faulting it in again.
void KeepMemoryForTheNextPage();

// True when `stream` is a terminal that understands the cursor controls the
// progress line uses.
bool IsProgressTerminal(std::FILE* stream);

}  // namespace cli
}  // namespace sorvik
