// A TCP server on 127.0.0.1 that answers every connection with whatever its
// handler writes on the socket: for replies no HTTP library would send.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace sorvik {
namespace test {

class RawServer {
  public:
    // `reply` gets the connected socket after the request head was read and
    // the server's stop flag; it must return when the flag is set.
    using Reply = std::function<void(int socket, const std::atomic<bool>& stopping)>;
    explicit RawServer(Reply reply);
    ~RawServer();
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }

    // Writes all of `data`; false when the peer has gone.
    static bool Send(int socket, const std::string& data);

  private:
    void Serve();

    Reply m_reply;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
    std::vector<std::thread> m_connections;
};

}  // namespace test
}  // namespace sorvik
