#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace gui_test {

X11Probe::X11Probe() : m_display(XOpenDisplay(nullptr)) {}

X11Probe::~X11Probe() {
    if (m_display) XCloseDisplay(m_display);
}

std::string X11Probe::Title(Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string title;
    const Atom netName = XInternAtom(m_display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    if (XGetWindowProperty(m_display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(m_display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

std::string X11Probe::LegacyTitle(Window window) {
    XTextProperty property{};
    std::string title;
    if (!XGetWMName(m_display, window, &property) || !property.value) return title;
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(m_display, &property, &list, &count) == Success && count > 0)
        title = list[0];
    if (list) XFreeStringList(list);
    XFree(property.value);
    return title;
}

long X11Probe::Pid(Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = 0;
    const Atom netPid = XInternAtom(m_display, "_NET_WM_PID", False);
    if (XGetWindowProperty(m_display, window, netPid, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        if (count == 1) pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        XFree(data);
    }
    return pid;
}

XWindow X11Probe::Search(Window parent, const std::string& title, long pid) {
    Window root, ignored;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, parent, &root, &ignored, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, children[i], &attributes) &&
            attributes.map_state == IsViewable && Title(children[i]) == title &&
            Pid(children[i]) == pid)
            found = children[i];
        if (!found) found = Search(children[i], title, pid);
    }
    if (children) XFree(children);
    return found;
}

XWindow X11Probe::FindShown(const std::string& title, long pid) {
    if (!m_display) return 0;
    XSync(m_display, False);
    return Search(DefaultRootWindow(m_display), title, pid);
}

bool X11Probe::RootPosition(Window window, int& x, int& y) {
    Window child;
    return XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y,
                                 &child);
}

void X11Probe::RequestClose(Window window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XFlush(m_display);
}

XWindow X11Probe::TransientFor(Window window) {
    Window owner = 0;
    if (!XGetTransientForHint(m_display, window, &owner)) return 0;
    return owner;
}

bool X11Probe::HasState(Window window, const char* state) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    const Atom netState = XInternAtom(m_display, "_NET_WM_STATE", False);
    const Atom wanted = XInternAtom(m_display, state, False);
    bool found = false;
    if (XGetWindowProperty(m_display, window, netState, 0, 64, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            if (atoms[i] == wanted) found = true;
        XFree(data);
    }
    return found;
}

}  // namespace gui_test
