#include "file_names.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <string>

namespace sorvik {

#ifdef _WIN32

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::u8path(utf8);
}

std::FILE* OpenUtf8(const std::string& utf8Path, const char* mode) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(PathFromUtf8(utf8Path).c_str(), wideMode.c_str());
}

std::FILE* CreateNewUtf8(const std::string& utf8Path) {
    const int fd = _wopen(PathFromUtf8(utf8Path).c_str(),
                          _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
}

long ProcessId() {
    return static_cast<long>(_getpid());
}

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

#else

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

std::FILE* OpenUtf8(const std::string& utf8Path, const char* mode) {
    return std::fopen(utf8Path.c_str(), mode);
}

std::FILE* CreateNewUtf8(const std::string& utf8Path) {
    const int fd = open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) close(fd);
    return file;
}

long ProcessId() {
    return static_cast<long>(getpid());
}

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

#endif

}  // namespace sorvik
