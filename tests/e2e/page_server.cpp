#include "page_server.h"

#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "gbk_text.h"

namespace sorvik {
namespace test {

PageServer::PageServer(Handler handler) : m_server(std::make_unique<httplib::Server>()) {
    m_server->Get(
        "/search", [this, handler](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard<std::mutex> lock(m_timesLock);
                m_requestTimes.push_back(std::chrono::steady_clock::now());
            }
            const int offset =
                request.has_param("s") ? std::atoi(request.get_param_value("s").c_str()) : 0;
            handler(offset / 40 + 1, response);
        });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) throw std::runtime_error("cannot listen on 127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

PageServer::~PageServer() {
    m_server->stop();
    m_thread.join();
}

std::vector<std::chrono::steady_clock::time_point> PageServer::RequestTimes() const {
    std::lock_guard<std::mutex> lock(m_timesLock);
    return m_requestTimes;
}

std::string RawResultPage(int first, int items, int total, bool pager, const std::string& extra) {
    std::string page = "<html><head><meta charset=\"gbk\"><title>t</title></head><body>" + extra +
                       "<ul class=\"result-summary\"><li class=\"result-info\">" +
                       std::to_string(total) + "件宝贝</li></ul>";
    for (int pos = first; pos < first + items; ++pos) {
        const std::string n = std::to_string(pos);
        page += "<div class=\"item\"><h3 class=\"summary\"><a href=\"http://i/item.htm?id=" + n +
                "\" title=\"宝贝 " + n + "\">宝贝 " + n +
                "</a></h3><div class=\"seller\"><a href=\"#\">店 " + n +
                "</a></div><div class=\"col total\"><div class=\"price\">￥" + n +
                ".00</div></div><div class=\"col dealing\"><div class=\"deal-cnt\">" + n +
                " 笔</div></div></div>";
    }
    if (pager) {
        page += "<div class=\"tb-pagination tb-pagination-new\"><a href=\"#\">下一页</a></div>";
    }
    return Utf8ToGbk(page + "</body></html>");
}

}  // namespace test
}  // namespace sorvik
