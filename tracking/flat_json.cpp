#include "flat_json.h"

#include <climits>
#include <string>

#include "utf8.h"

namespace sorvik {

// Reads one line into a FlatObject.
class FlatReader {
  public:
    FlatReader(std::string_view text, FlatObject& object) : m_text(text), m_object(object) {}

    void SkipBlanks() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool Take(char c) {
        SkipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool AtEnd() {
        SkipBlanks();
        return m_at == m_text.size();
    }
    char Peek() {
        SkipBlanks();
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }

    bool String(std::string_view& out) {
        if (!Take('"')) return false;
        const std::size_t start = m_at;
        for (;;) {
            if (m_at >= m_text.size()) return false;
            const char c = m_text[m_at];
            if (c == '"') break;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                ++m_at;
                continue;
            }
            // Escapes are rare: decode from here on, into the object.
            std::string& decoded = Decoded();
            decoded.assign(m_text.data() + start, m_at - start);
            if (!Escaped(decoded)) return false;
            out = decoded;
            return true;
        }
        out = m_text.substr(start, m_at - start);
        ++m_at;
        return IsUtf8(out);
    }

    bool Value(FlatValue& value) {
        const char c = Peek();
        if (c == '"') {
            value.kind = FlatValue::Kind::Text;
            return String(value.text);
        }
        if (c == '-' || (c >= '0' && c <= '9')) return Number(value);
        struct Word {
            std::string_view text;
            FlatValue::Kind kind;
            int integer;
        };
        static const Word kWords[] = {{"true", FlatValue::Kind::Boolean, 1},
                                      {"false", FlatValue::Kind::Boolean, 0},
                                      {"null", FlatValue::Kind::Null, 0}};
        for (const Word& word : kWords) {
            if (m_text.substr(m_at, word.text.size()) == word.text) {
                m_at += word.text.size();
                value.kind = word.kind;
                value.integer = word.integer;
                return true;
            }
        }
        return false;  // an array, an object or no JSON
    }

  private:
    bool Escaped(std::string& out) {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') return IsUtf8(out);
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size()) return false;
            const char e = m_text[m_at++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned code = 0;
                    if (!Hex4(code)) return false;
                    if (code >= 0xD800 && code <= 0xDBFF) {
                        unsigned low = 0;
                        if (m_text.substr(m_at, 2) != "\\u") return false;
                        m_at += 2;
                        if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xDC00 && code <= 0xDFFF) {
                        return false;
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }

    bool Hex4(unsigned& code) {
        if (m_at + 4 > m_text.size()) return false;
        for (int i = 0; i < 4; ++i) {
            const char h = m_text[m_at++];
            code <<= 4;
            if (h >= '0' && h <= '9')
                code |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f')
                code |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                code |= static_cast<unsigned>(h - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    std::string& Decoded() {
        if (m_object.m_decodedUsed == m_object.m_decoded.size()) m_object.m_decoded.emplace_back();
        return m_object.m_decoded[m_object.m_decodedUsed++];
    }

    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // JSON's number grammar; a whole number in the long long range is an
    // Integer, any other number just a number.
    bool Number(FlatValue& value) {
        const std::size_t start = m_at;
        const bool negative = m_text[m_at] == '-';
        if (negative) ++m_at;
        if (m_at >= m_text.size() || m_text[m_at] < '0' || m_text[m_at] > '9') return false;
        bool fits = true;
        unsigned long long magnitude = 0;
        if (m_text[m_at] == '0') {
            ++m_at;
        } else {
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
                const unsigned digit = static_cast<unsigned>(m_text[m_at++] - '0');
                if (magnitude > (ULLONG_MAX - digit) / 10) fits = false;
                magnitude = magnitude * 10 + digit;
            }
        }
        bool whole = true;
        if (m_at < m_text.size() && m_text[m_at] == '.') {
            whole = false;
            ++m_at;
            if (!Digits()) return false;
        }
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            whole = false;
            ++m_at;
            if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-')) ++m_at;
            if (!Digits()) return false;
        }
        const unsigned long long limit =
            negative ? static_cast<unsigned long long>(LLONG_MAX) + 1 : LLONG_MAX;
        if (whole && fits && magnitude <= limit) {
            value.kind = FlatValue::Kind::Integer;
            value.integer = negative ? static_cast<long long>(0 - magnitude)
                                     : static_cast<long long>(magnitude);
        } else {
            value.kind = FlatValue::Kind::OtherNumber;
        }
        value.text = m_text.substr(start, m_at - start);
        return true;
    }

    bool Digits() {
        const std::size_t start = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') ++m_at;
        return m_at > start;
    }

    std::string_view m_text;
    FlatObject& m_object;
    std::size_t m_at = 0;
};

bool FlatObject::Read(std::string_view json) {
    m_fields.clear();
    m_decodedUsed = 0;
    FlatReader reader(json, *this);
    if (!reader.Take('{')) return false;
    if (!reader.Take('}')) {
        do {
            FlatField field;
            if (!reader.String(field.key) || !reader.Take(':') || !reader.Value(field.value))
                return false;
            m_fields.push_back(field);
        } while (reader.Take(','));
        if (!reader.Take('}')) return false;
    }
    return reader.AtEnd();
}

const FlatValue* FlatObject::Find(std::string_view key) const {
    for (auto it = m_fields.rbegin(); it != m_fields.rend(); ++it)
        if (it->key == key) return &it->value;
    return nullptr;
}

}  // namespace sorvik
