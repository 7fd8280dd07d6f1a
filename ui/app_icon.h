// The application icon (resource 128) at all of its sizes.
#pragma once

#include <wx/iconbndl.h>

namespace sorvik_app {

// The icon in 16, 32, 48 and 256 pixels: on Windows from the program's
// resources, elsewhere decoded from the images built into the program.
wxIconBundle LoadAppIcon();

}  // namespace sorvik_app
