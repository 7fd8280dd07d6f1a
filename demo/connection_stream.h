// A server connection that a request handler can drop without answering.
//
// cpp-httplib writes whatever response a handler leaves behind. To let the
// demo simulate a marketplace that closes the connection mid-request, the
// server runs its own per-connection loop over this stream: a handler calls
// DropCurrentConnection(), after which the stream refuses to write, the
// response is never sent and the socket is closed.
#pragma once

#include <httplib.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <ctime>
#include <functional>
#include <string>

namespace sorvik::demo {

class ConnectionStream : public httplib::Stream {
  public:
    ConnectionStream(socket_t socket, std::time_t readSeconds, std::time_t writeSeconds);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* data, std::size_t size) override;
    ssize_t write(const char* data, std::size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return m_socket; }

    // Waits up to `seconds` for the next request's first byte, polling
    // `stopping` so that a stopping server does not wait out idle
    // keep-alive connections. False when none came.
    bool WaitForRequest(std::time_t seconds, const std::function<bool()>& stopping);

    void Drop() { m_dropped = true; }
    bool Dropped() const { return m_dropped; }

  private:
    bool Poll(short events, int timeoutMs) const;

    socket_t m_socket;
    int m_readTimeoutMs;
    int m_writeTimeoutMs;
    bool m_dropped = false;
    std::array<char, 4096> m_buffer{};
    std::size_t m_bufferBegin = 0;
    std::size_t m_bufferEnd = 0;
};

// The connection whose request this thread is handling, or nullptr.
ConnectionStream* CurrentConnection();

// Makes a stream this thread's CurrentConnection() while the scope lives.
class ConnectionScope {
  public:
    explicit ConnectionScope(ConnectionStream& stream);
    ~ConnectionScope();
    ConnectionScope(const ConnectionScope&) = delete;
    ConnectionScope& operator=(const ConnectionScope&) = delete;
};

}  // namespace sorvik::demo
