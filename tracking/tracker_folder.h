// Where the tracker window keeps its files, worked out without the window's
// toolkit, so that the console finds the same settings.
#pragma once

#include <optional>
#include <string>

namespace sorvik {

// %APPDATA%\Sorvik on Windows; $XDG_DATA_HOME/sorvik elsewhere (a relative
// XDG_DATA_HOME is ignored), by default $HOME/.local/share/sorvik. In UTF-8.
// No value when neither APPDATA nor HOME is set.
std::optional<std::string> TrackerFolder();

}  // namespace sorvik
