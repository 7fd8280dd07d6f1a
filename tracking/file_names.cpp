#include "file_names.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
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

bool ProcessRunning(long pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

long long FileSizeOf(std::FILE* file) {
    std::fflush(file);
    return _filelengthi64(_fileno(file));
}

bool TruncateFile(std::FILE* file, long long size) {
    std::fflush(file);
    return _chsize_s(_fileno(file), size) == 0;
}

void KeepOwner(const std::string&, const std::string&) {}

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

bool ProcessRunning(long pid) {
    if (pid <= 0) return true;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

long long FileSizeOf(std::FILE* file) {
    std::fflush(file);
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

bool TruncateFile(std::FILE* file, long long size) {
    std::fflush(file);
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

void KeepOwner(const std::string& utf8Path, const std::string& model) {
    struct stat info {};
    if (stat(model.c_str(), &info) != 0) return;
    // Only root may give a file away; others keep their own, which is what
    // the file had when they own it.
    if (chown(utf8Path.c_str(), info.st_uid, info.st_gid) != 0) (void)errno;
}

#endif

bool LeftByEndedRun(const std::string& pidDashN) {
    const std::size_t dash = pidDashN.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == pidDashN.size()) return false;
    if (pidDashN.find_first_not_of("0123456789-") != std::string::npos ||
        pidDashN.find('-', dash + 1) != std::string::npos || dash > 9)
        return false;
    return !ProcessRunning(std::stol(pidDashN.substr(0, dash)));
}

}  // namespace sorvik
