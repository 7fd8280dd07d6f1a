#include "window_thread_bridge.h"

#include <wx/event.h>

namespace sorvik_app {

std::shared_ptr<WindowThreadBridge> WindowThreadBridge::Create(wxEvtHandler& window) {
    return std::shared_ptr<WindowThreadBridge>(new WindowThreadBridge(window));
}

WindowThreadBridge::WindowThreadBridge(wxEvtHandler& window)
    : m_window(window), m_windowThread(std::this_thread::get_id()) {}

bool WindowThreadBridge::Run(const std::function<void()>& op) {
    if (OnWindowThread()) {
        if (Closed()) return false;
        op();
        return true;
    }

    auto call = std::make_shared<Call>();
    call->op = op;
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_closed) return false;
    // Queued under the lock: the window is alive as long as the bridge is open.
    std::shared_ptr<WindowThreadBridge> self = shared_from_this();
    m_window.CallAfter([self, call] { self->Execute(call); });
    m_changed.wait(lock, [&] { return call->finished || (m_closed && !call->started); });
    return call->finished;
}

void WindowThreadBridge::Execute(const std::shared_ptr<Call>& call) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_closed) return;
        call->started = true;
    }
    // Marks the call finished even if the operation leaves by an exception.
    struct Finish {
        WindowThreadBridge& bridge;
        Call& call;
        ~Finish() {
            {
                std::lock_guard<std::mutex> lock(bridge.m_lock);
                call.finished = true;
            }
            bridge.m_changed.notify_all();
        }
    } finish{*this, *call};
    call->op();
}

void WindowThreadBridge::Close() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_closed = true;
    }
    m_changed.notify_all();
}

bool WindowThreadBridge::Closed() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_closed;
}

}  // namespace sorvik_app
