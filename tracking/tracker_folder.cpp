#include "tracker_folder.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace sorvik {

#ifdef _WIN32

std::optional<std::string> TrackerFolder() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) return std::nullopt;
    const int length = WideCharToMultiByte(CP_UTF8, 0, appData, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::nullopt;
    std::string folder(static_cast<std::size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, appData, -1, folder.data(), length, nullptr, nullptr);
    return folder + "\\Sorvik";
}

#else

std::optional<std::string> TrackerFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') return std::string(dataHome) + "/sorvik";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return std::nullopt;
    return std::string(home) + "/.local/share/sorvik";
}

#endif

}  // namespace sorvik
