// A fast reader for the history file's lines: JSON objects whose values
// are all scalars, as sorvik-cli writes them. Anything else is left to a
// full JSON parser.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvik {

struct FlatValue {
    enum class Kind { Text, Integer, OtherNumber, Boolean, Null };
    Kind kind = Kind::Null;
    std::string text;       // Text: the decoded string
    long long integer = 0;  // Integer: the value; Boolean: 1 or 0
};

struct FlatField {
    std::string key;
    FlatValue value;
};

// The fields of `json` when it is one object whose values are strings,
// numbers, true, false or null, in order of appearance (a repeated key
// appears twice; the later counts). No value when it is anything else:
// not JSON, not UTF-8, or holding an array or object, which a full parser
// must then judge.
std::optional<std::vector<FlatField>> ParseFlatObject(std::string_view json);

// The last field named `key`, or null.
const FlatValue* FindField(const std::vector<FlatField>& fields, std::string_view key);

}  // namespace sorvik
