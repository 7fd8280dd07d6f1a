#include "window_title_charset.h"

#ifndef _WIN32
#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <string>
#endif

namespace sorvik_ui {

#ifdef _WIN32
void UseUtf8Characters() {}
#else
namespace {

bool CharactersAreUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

void UseUtf8Characters() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string before = current ? current : "C";
    if (std::setlocale(LC_CTYPE, "") && CharactersAreUtf8()) return;
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
        if (std::setlocale(LC_CTYPE, name) && CharactersAreUtf8()) return;
    // No UTF-8 locale on this system: keep what the program started with.
    std::setlocale(LC_CTYPE, before.c_str());
}
#endif

}  // namespace sorvik_ui
