#include "open_elements.h"

#include <algorithm>
#include <initializer_list>

namespace sorvik {
namespace nesting {
namespace {

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

bool IsVoidElement(const std::string& name) {
    return IsOneOf(name, {"area", "base", "br", "col", "command", "embed", "hr", "img", "input",
                          "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

bool IsTablePart(const std::string& name) {
    return IsOneOf(
        name, {"table", "caption", "col", "colgroup", "tbody", "thead", "tfoot", "tr", "td", "th"});
}

bool IsSelectPart(const std::string& name) {
    return IsOneOf(name, {"select", "datalist", "optgroup", "option"});
}

bool IsHeading(const std::string& name) {
    return IsOneOf(name, {"h1", "h2", "h3", "h4", "h5", "h6"});
}

}  // namespace

NameInfo::NameInfo(const std::string& name)
    : isVoid(IsVoidElement(name)), isScript(name == "script" || name == "style") {
    if (IsTablePart(name)) {
        barrier = kTable;
    } else if (IsSelectPart(name)) {
        barrier = kSelect;
    } else if (IsHeading(name)) {
        barrier = kHeading;
    } else if (name == "dl") {
        barrier = kDefinitionList;
    } else if (name == "textarea" || name == "noframes") {
        barrier = kTextArea;
    }
    passes[kTable] = IsTablePart(name);
    passes[kSelect] = IsSelectPart(name);
    passes[kHeading] = IsHeading(name);
    passes[kDefinitionList] = IsOneOf(name, {"dl", "dt", "dd"});
}

}  // namespace nesting
}  // namespace sorvik
