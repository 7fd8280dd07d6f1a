// The form's checks before a search: which field is missing or can't be
// sent, and the message that says so. One rule for every front end.
#pragma once

#include <string>

#include "search_mode.h"

namespace sorvik {

// The form fields as the window holds them, converted to GBK.
struct FormTexts {
    std::string keyword;
    std::string sellerName;
    std::string itemLink;
    // The first character of the keyword that GBK cannot hold, as the
    // front end saw it before the conversion made it '?' ("U+1F600"); empty
    // when there is none.
    std::string keywordOutsideGbk;
};

// The form of UTF-8 texts, converted to GBK with the keyword's first
// character outside GBK noted.
FormTexts GbkForm(const std::string& keyword, const std::string& sellerName,
                  const std::string& itemLink);

// Why a form is refused, in the order the checks run.
enum class FormRejection {
    None,
    KeywordEmpty,          // any mode: no keyword
    KeywordOrSellerEmpty,  // seller mode: no keyword or no seller name
    KeywordOrLinkEmpty,    // item-link mode: no keyword or no item link
    KeywordOutsideGbk,     // a keyword character would be sent as '?'
    KeywordTooLong,        // the encoded keyword does not fit the address
    BadItemLink,           // the link is no item link of the item host
};

struct FormCheck {
    FormRejection rejection = FormRejection::None;
    std::string message;  // GBK, for the message box; empty with None
};

// The first failing check of `mode`'s form rules. A mode other than the
// three is checked for nothing.
FormCheck ValidateForm(SearchMode mode, const FormTexts& form);

}  // namespace sorvik
