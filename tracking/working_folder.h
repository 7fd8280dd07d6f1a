// Whether files can be created in a folder: the working folder, where a
// search writes data.html and data_backup.html, and the tracker's data
// folder.
#pragma once

#include <optional>
#include <string>

namespace sorvik {

// Tries to create (and then removes) a file of this process's own in
// `folder` (UTF-8; "." for the current directory). No value when that
// works, else the system's reason.
std::optional<std::string> CannotCreateFilesIn(const std::string& folder);

// The current directory as UTF-8 text, for messages.
std::string CurrentFolderName();

}  // namespace sorvik
