// Looks at another program's windows on the X display: find a top-level
// window by title, see whether it is shown, where it is, and ask it to close
// as a window manager would.
#pragma once

#include <string>

struct _XDisplay;

namespace gui_test {

// An X window id, kept free of Xlib's macros.
using XWindow = unsigned long;

class X11Probe {
  public:
    X11Probe();
    ~X11Probe();
    bool Ok() const { return m_display != nullptr; }

    // A viewable window whose title (_NET_WM_NAME, else WM_NAME) is `title`
    // and that belongs to process `pid` (_NET_WM_PID); 0 when there is none.
    XWindow FindShown(const std::string& title, long pid);
    // Screen position of the window's top-left corner.
    bool RootPosition(XWindow window, int& x, int& y);
    // The title as WM_NAME holds it (in UTF-8), for window managers that
    // read no _NET_WM_NAME; empty when there is none.
    std::string LegacyTitle(XWindow window);
    // Sends WM_DELETE_WINDOW, as the close box of a window manager does.
    void RequestClose(XWindow window);
    // The window `window` is transient for (its owner), or 0.
    XWindow TransientFor(XWindow window);
    // Whether _NET_WM_STATE of the window holds the named state atom.
    bool HasState(XWindow window, const char* state);

  private:
    XWindow Search(XWindow parent, const std::string& title, long pid);
    std::string Title(XWindow window);
    long Pid(XWindow window);

    _XDisplay* m_display = nullptr;
};

}  // namespace gui_test
