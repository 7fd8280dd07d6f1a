#include "form_check.h"

#include "gbk_text.h"
#include "messages.h"
#include "search_address.h"

namespace sorvik {
namespace {

// Checks that hold for the keyword of every mode once it is there: a
// keyword sent as something else would be searched as something else.
FormCheck KeywordCheck(const FormTexts& form) {
    if (!form.keywordOutsideGbk.empty())
        return {FormRejection::KeywordOutsideGbk,
                messages::KeywordOutsideGbk(form.keywordOutsideGbk)};
    if (!KeywordFits(form.keyword))
        return {FormRejection::KeywordTooLong, messages::KeywordTooLong()};
    return {};
}

}  // namespace

FormTexts GbkForm(const std::string& keyword, const std::string& sellerName,
                  const std::string& itemLink) {
    return {Utf8ToGbk(keyword), Utf8ToGbk(sellerName), Utf8ToGbk(itemLink),
            FirstCharacterOutsideGbk(keyword)};
}

FormCheck ValidateForm(SearchMode mode, const FormTexts& form) {
    switch (mode) {
        case kModeKeyword:
            if (form.keyword.empty())
                return {FormRejection::KeywordEmpty, messages::KeywordEmpty()};
            return KeywordCheck(form);
        case kModeSeller:
            if (form.keyword.empty() || form.sellerName.empty())
                return {FormRejection::KeywordOrSellerEmpty, messages::KeywordOrSellerEmpty()};
            return KeywordCheck(form);
        case kModeItemLink: {
            if (form.keyword.empty() || form.itemLink.empty())
                return {FormRejection::KeywordOrLinkEmpty, messages::KeywordOrLinkEmpty()};
            FormCheck keyword = KeywordCheck(form);
            if (keyword.rejection != FormRejection::None) return keyword;
            if (FindAnsi(form.itemLink, "http://" + ItemHost()) != 0 ||
                FindAnsi(form.itemLink, "id=") == std::string::npos)
                return {FormRejection::BadItemLink, messages::BadItemLink()};
            return {};
        }
    }
    return {};
}

}  // namespace sorvik
