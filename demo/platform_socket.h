// The socket calls that differ between POSIX systems and Windows (Winsock),
// for the server's own connection handling. Sockets are httplib's socket_t:
// an int descriptor on POSIX systems, a Winsock SOCKET on Windows.
#pragma once

// httplib.h brings the platform's socket headers (winsock2.h and ws2tcpip.h,
// or sys/socket.h, netinet/in.h and arpa/inet.h) and socket_t.
#include <httplib.h>

#ifndef _WIN32
#include <poll.h>
#endif

#include <cstddef>

namespace sorvik::demo {

// Waits up to `timeoutMs` until the socket has one of `events` (POLLIN,
// POLLOUT), or has failed or been hung up on, which the next call then
// reports. False when the time ran out or waiting failed.
bool PollSocket(socket_t socket, short events, int timeoutMs);

// One receive: the number of bytes received, 0 at the end of the stream, -1
// on an error.
ssize_t ReceiveFromSocket(socket_t socket, char* data, std::size_t size);

// One send: the number of bytes sent (possibly fewer than `size`), -1 on an
// error. A peer that has hung up is an error, never a signal that would end
// the program.
ssize_t SendToSocket(socket_t socket, const char* data, std::size_t size);

// Ends the connection in both directions and closes the socket.
void CloseSocket(socket_t socket);

// Options for a listening socket, set before it is bound: binding fails on a
// port that another socket holds, so that two servers never share one.
void SetListeningSocketOptions(socket_t socket);

}  // namespace sorvik::demo
