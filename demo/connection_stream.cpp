#include "connection_stream.h"

#include <algorithm>
#include <cstring>

#include "platform_socket.h"

namespace sorvik::demo {
namespace {

thread_local ConnectionStream* t_currentConnection = nullptr;

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

int ToMs(std::time_t seconds) {
    return static_cast<int>(std::min<std::time_t>(seconds, 3600) * 1000);
}

}  // namespace

ConnectionStream::ConnectionStream(socket_t socket, std::time_t readSeconds,
                                   std::time_t writeSeconds)
    : m_socket(socket), m_readTimeoutMs(ToMs(readSeconds)), m_writeTimeoutMs(ToMs(writeSeconds)) {}

bool ConnectionStream::Poll(short events, int timeoutMs) const {
    return PollSocket(m_socket, events, timeoutMs);
}

bool ConnectionStream::is_readable() const {
    return !m_dropped && (m_bufferBegin < m_bufferEnd || Poll(POLLIN, m_readTimeoutMs));
}

bool ConnectionStream::is_writable() const {
    return !m_dropped && Poll(POLLOUT, m_writeTimeoutMs);
}

ssize_t ConnectionStream::read(char* data, std::size_t size) {
    if (m_bufferBegin == m_bufferEnd) {
        if (!is_readable()) return -1;
        const ssize_t got = ReceiveFromSocket(m_socket, m_buffer.data(), m_buffer.size());
        if (got <= 0) return got;
        m_bufferBegin = 0;
        m_bufferEnd = static_cast<std::size_t>(got);
    }
    const std::size_t count = std::min(size, m_bufferEnd - m_bufferBegin);
    std::memcpy(data, m_buffer.data() + m_bufferBegin, count);
    m_bufferBegin += count;
    return static_cast<ssize_t>(count);
}

ssize_t ConnectionStream::write(const char* data, std::size_t size) {
    if (!is_writable()) return -1;
    return SendToSocket(m_socket, data, size);
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

bool ConnectionStream::WaitForRequest(std::time_t seconds, const std::function<bool()>& stopping) {
    if (m_bufferBegin < m_bufferEnd) return true;
    constexpr int kStepMs = 50;
    for (int waited = 0; waited < ToMs(seconds); waited += kStepMs) {
        if (stopping()) return false;
        if (Poll(POLLIN, kStepMs)) return true;
    }
    return false;
}

ConnectionStream* CurrentConnection() {
    return t_currentConnection;
}

ConnectionScope::ConnectionScope(ConnectionStream& stream) {
    t_currentConnection = &stream;
}

ConnectionScope::~ConnectionScope() {
    t_currentConnection = nullptr;
}

}  // namespace sorvik::demo
