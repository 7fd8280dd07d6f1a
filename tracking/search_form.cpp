#include "search_form.h"

#include "search_address.h"

namespace sorvik {

std::string FormItemLink(const std::string& link) {
    const std::string https = "https://" + ItemHost();
    if (link.size() < https.size()) return link;
    std::string scheme = link.substr(0, 8);
    for (char& c : scheme)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (scheme != "https://" || link.compare(8, https.size() - 8, https, 8) != 0) return link;
    return "http://" + link.substr(8);
}

SearchForm FormOf(const BatchLine& line) {
    SearchForm form;
    form.mode = line.Mode();
    form.keyword = line.keyword;
    if (form.mode == kModeItemLink)
        form.item = FormItemLink(line.target);
    else
        form.seller = line.target;
    return form;
}

}  // namespace sorvik
