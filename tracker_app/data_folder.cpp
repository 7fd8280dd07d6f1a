#include "data_folder.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

namespace sorvik_tracker {

std::string TrackerDataFolder() {
#ifdef __WXMSW__
    // The roaming application data folder.
    const wxString folder = wxStandardPaths::Get().GetUserConfigDir() + "\\Sorvik";
#else
    // The XDG base directory: a relative XDG_DATA_HOME is to be ignored.
    wxString base;
    if (!wxGetEnv("XDG_DATA_HOME", &base) || !wxFileName(base).IsAbsolute())
        base = wxStandardPaths::Get().GetUserConfigDir() + "/.local/share";
    const wxString folder = base + "/sorvik";
#endif
    const wxScopedCharBuffer utf8 = folder.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

}  // namespace sorvik_tracker
