#include "utf8.h"

namespace sorvik {

std::size_t Utf8CharLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(at);
    if (lead >= 0x01 && lead < 0x80) return 1;
    std::size_t length;
    unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        // ASCII runs are most of it.
        if (static_cast<unsigned char>(text[at]) - 1u < 0x7Fu) {
            ++at;
            continue;
        }
        const std::size_t length = Utf8CharLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

int FirstLineThatIsNoUtf8(std::string_view text) {
    int line = 1;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8CharLength(text, at);
        if (length == 0) return line;
        if (text[at] == '\n') ++line;
        at += length;
    }
    return 0;
}

}  // namespace sorvik
