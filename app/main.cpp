// Entry point of `sorvik`. `sorvik --version` prints the version data
// without needing a display; everything else starts the dialog program.
#include <wx/app.h>

#include <cstdio>
#include <cstring>

#include "sorvik_app.h"
#include "version_info.h"

// The one application object, created by wxEntry.
wxIMPLEMENT_APP_NO_MAIN(CsorvikApp);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(sorvik_app::VersionReport().c_str(), stdout);
            return 0;
        }
    }
    return wxEntry(argc, argv);
}
