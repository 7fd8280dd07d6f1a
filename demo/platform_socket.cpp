#include "platform_socket.h"

#ifdef _WIN32
#include <algorithm>
#include <climits>
#else
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace sorvik::demo {

#ifdef _WIN32

// Winsock calls are not interrupted by signals, and report errors through
// WSAGetLastError, never errno. Their lengths are ints.

namespace {

int ClampedLength(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

}  // namespace

bool PollSocket(socket_t socket, short events, int timeoutMs) {
    WSAPOLLFD entry{socket, events, 0};
    return WSAPoll(&entry, 1, timeoutMs) > 0;
}

ssize_t ReceiveFromSocket(socket_t socket, char* data, std::size_t size) {
    return ::recv(socket, data, ClampedLength(size), 0);
}

ssize_t SendToSocket(socket_t socket, const char* data, std::size_t size) {
    return ::send(socket, data, ClampedLength(size), 0);
}

void CloseSocket(socket_t socket) {
    ::shutdown(socket, SD_BOTH);
    ::closesocket(socket);
}

void SetListeningSocketOptions(socket_t socket) {
    // httplib's default sets SO_REUSEADDR, which on Windows lets a second
    // socket bind a port that is in use; SO_EXCLUSIVEADDRUSE refuses that.
    const BOOL yes = TRUE;
    ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                 sizeof yes);
}

#else

bool PollSocket(socket_t socket, short events, int timeoutMs) {
    pollfd entry{socket, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

ssize_t ReceiveFromSocket(socket_t socket, char* data, std::size_t size) {
    ssize_t got;
    do {
        got = ::recv(socket, data, size, 0);
    } while (got < 0 && errno == EINTR);
    return got;
}

ssize_t SendToSocket(socket_t socket, const char* data, std::size_t size) {
    ssize_t sent;
    do {
        sent = ::send(socket, data, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void CloseSocket(socket_t socket) {
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

void SetListeningSocketOptions(socket_t socket) {
    // httplib's default sets SO_REUSEPORT, which would let a second server
    // share a port that is already in use; allow address reuse only.
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

#endif

}  // namespace sorvik::demo
