// Where the tracker keeps its files: where each platform keeps a program's
// data for the user.
#pragma once

#include <string>

namespace sorvik_tracker {

// %APPDATA%\Sorvik on Windows; $XDG_DATA_HOME/sorvik elsewhere, by default
// ~/.local/share/sorvik. In UTF-8.
std::string TrackerDataFolder();

}  // namespace sorvik_tracker
