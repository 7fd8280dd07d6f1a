#include "ui_text.h"

namespace sorvik_ui {

wxString U(const std::string& utf8) {
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::string Utf8(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

}  // namespace sorvik_ui
