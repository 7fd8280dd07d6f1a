// Runs operations on the window thread for callers on any thread.
//
// The search worker may not touch a control itself. Every window operation it
// calls is handed to the window thread with CallAfter, and the worker waits
// until the window thread has carried it out. On the window thread itself an
// operation runs at once. Once the window begins to close, operations return
// at once without running, so that a worker never waits for a window that
// will not answer and never touches controls that are going away.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class wxEvtHandler;

namespace sorvik_app {

class WindowThreadBridge : public std::enable_shared_from_this<WindowThreadBridge> {
  public:
    // Must be created on the window thread. `window` receives the queued
    // calls and must stay alive until Close() has been called.
    static std::shared_ptr<WindowThreadBridge> Create(wxEvtHandler& window);

    // Runs `op` on the window thread and returns when it has finished. Returns
    // false, without running `op`, when the bridge is closed. An operation
    // that has begun before the bridge closed is always waited for.
    bool Run(const std::function<void()>& op);

    // From now on Run() returns false at once; callers waiting for a queued
    // operation that has not begun are released. Window thread only.
    void Close();
    bool Closed() const;

    bool OnWindowThread() const { return std::this_thread::get_id() == m_windowThread; }

  private:
    struct Call {
        std::function<void()> op;
        bool started = false;
        bool finished = false;
    };

    explicit WindowThreadBridge(wxEvtHandler& window);
    void Execute(const std::shared_ptr<Call>& call);

    wxEvtHandler& m_window;
    const std::thread::id m_windowThread;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_closed = false;
};

}  // namespace sorvik_app
