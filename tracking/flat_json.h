// A fast reader for the history file's lines: JSON objects whose values
// are all scalars, as sorvik-cli writes them. Anything else is left to a
// full JSON parser.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace sorvik {

struct FlatValue {
    enum class Kind { Text, Integer, OtherNumber, Boolean, Null };
    Kind kind = Kind::Null;
    std::string_view text;  // Text: the decoded string
    long long integer = 0;  // Integer: the value; Boolean: 1 or 0
};

struct FlatField {
    std::string_view key;
    FlatValue value;
};

// One object read at a time; its fields' texts point into the line read
// (or, for texts with escapes, into the reader), valid until the next Read.
// The reader keeps its memory from line to line.
class FlatObject {
  public:
    // Reads `json` when it is one object whose values are strings, numbers,
    // true, false or null; false when it is anything else: not JSON, not
    // UTF-8, or holding an array or object, which a full parser must then
    // judge.
    bool Read(std::string_view json);

    // The fields in order of appearance (a repeated key appears twice).
    const std::vector<FlatField>& Fields() const { return m_fields; }
    // The last field named `key` (the one that counts), or null.
    const FlatValue* Find(std::string_view key) const;

  private:
    std::vector<FlatField> m_fields;
    std::deque<std::string> m_decoded;  // texts that held escapes
    std::size_t m_decodedUsed = 0;
    friend class FlatReader;
};

}  // namespace sorvik
