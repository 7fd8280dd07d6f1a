// Texts between wx and the programs' cores, which hold UTF-8 in
// std::string.
#pragma once

#include <wx/string.h>

#include <string>

namespace sorvik_ui {

// UTF-8 as a wx text.
wxString U(const std::string& utf8);
// A wx text as UTF-8.
std::string Utf8(const wxString& text);

}  // namespace sorvik_ui
