// The characters the C library reads and writes as UTF-8, so that the
// toolkit can name the windows for every window manager.
#pragma once

namespace sorvik_ui {

// GTK writes a window's title twice on X11: as _NET_WM_NAME in UTF-8, and
// as WM_NAME in the C library's character set, which older window managers,
// taskbars and xdotool read. wxWidgets leaves the C library's locale as
// the program started, "C", whose ASCII can't hold a Chinese title, so
// WM_NAME went missing. This takes the user's character set when it is
// UTF-8, else C.UTF-8; only the character category changes, so numbers
// and times are read and written as before. Nothing to do on Windows.
// Call once, before the first window.
void UseUtf8Characters();

}  // namespace sorvik_ui
