#include "raw_server.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace sorvik {
namespace test {
namespace {

// Reads the request head (up to the blank line, at most 64 KB).
void ReadRequestHead(int socket, const std::atomic<bool>& stopping) {
    std::string head;
    char buffer[4096];
    while (!stopping && head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd p{socket, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        head.append(buffer, n);
    }
}

}  // namespace

RawServer::RawServer(Reply reply) : m_reply(std::move(reply)) {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(m_listener, 16) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
    m_stopping = true;
    m_acceptor.join();
    for (std::thread& connection : m_connections) connection.join();
    close(m_listener);
}

void RawServer::Serve() {
    while (!m_stopping) {
        pollfd p{m_listener, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        m_connections.emplace_back([this, connection] {
            ReadRequestHead(connection, m_stopping);
            m_reply(connection, m_stopping);
            shutdown(connection, SHUT_RDWR);
            close(connection);
        });
    }
}

bool RawServer::Send(int socket, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += n;
    }
    return true;
}

}  // namespace test
}  // namespace sorvik
