// A group robot of the tests' own on 127.0.0.1: takes POSTs on the robots'
// paths, keeps what came, and answers as told.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace sorvik {
namespace test {

class RobotServer {
  public:
    struct Post {
        std::string path;
        std::string contentType;
        std::string body;
        std::string timestamp;  // DingTalk's signing parameters, when given
        std::string sign;
    };
    enum class Answer { Ok, RobotError, HttpError, Hang };

    explicit RobotServer(Answer answer = Answer::Ok) : m_answer(answer) {
        auto handler = [this](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_posts.push_back({request.path, request.get_header_value("Content-Type"),
                                   request.body, request.get_param_value("timestamp"),
                                   request.get_param_value("sign")});
            }
            switch (m_answer.load()) {
                case Answer::Ok:
                    response.set_content("{\"errcode\":0,\"errmsg\":\"ok\"}", "application/json");
                    break;
                case Answer::RobotError:
                    response.set_content(
                        "{\"errcode\":310000,\"errmsg\":\"keywords not in content\"}",
                        "application/json");
                    break;
                case Answer::HttpError:
                    response.status = 500;
                    break;
                case Answer::Hang:
                    // Answers late, at most after 5 s, or when the server goes.
                    for (int i = 0; i < 500 && !m_closing; ++i)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    response.set_content("{\"errcode\":0}", "application/json");
                    break;
            }
        };
        m_server.Post("/robot/send", handler);
        m_server.Post("/cgi-bin/webhook/send", handler);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port <= 0) throw std::runtime_error("cannot listen on 127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~RobotServer() {
        m_closing = true;
        m_server.stop();
        m_thread.join();
    }
    RobotServer(const RobotServer&) = delete;
    RobotServer& operator=(const RobotServer&) = delete;

    // The address of DingTalk's robot (or WeCom's) on this server.
    std::string DingTalkUrl() const {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/robot/send?access_token=t";
    }
    std::string WeComUrl() const {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/cgi-bin/webhook/send?key=k";
    }
    std::vector<Post> Posts() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_posts;
    }

  private:
    std::atomic<Answer> m_answer;
    std::atomic<bool> m_closing{false};
    httplib::Server m_server;
    mutable std::mutex m_lock;  // guards m_posts, written by the server's threads
    std::vector<Post> m_posts;
    std::thread m_thread;
    int m_port = 0;
};

}  // namespace test
}  // namespace sorvik
