#include "analysis/audit/formats/Canonical.h"

#include <cctype>
#include <optional>
#include <string_view>

#include "html/TextUtil.h"
#include "html/Url.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// An address that begins with a scheme (RFC 3986: a letter, then letters, digits, "+", "-" or
// ".", then ":") before any "/", "?" or "#".
bool HasScheme(std::string_view href) {
    const std::size_t colon = href.find(':');
    if (colon == 0 || colon == std::string_view::npos || href.find_first_of("/?#") < colon ||
        !std::isalpha(static_cast<unsigned char>(href[0]))) {
        return false;
    }
    for (char c : href.substr(0, colon)) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

}  // namespace

AuditCanonical ReadAuditCanonical(const std::vector<std::string>& hrefs) {
    AuditCanonical canonical;
    std::string key;
    for (const std::string& raw : hrefs) {
        const std::string_view href = TrimBlanksView(raw);
        if (!StartsWithNoCase(href, "http://") && !StartsWithNoCase(href, "https://")) {
            // "file:", "ftp:", ... name no web page; anything else is relative.
            canonical.problem = (HasScheme(href) ? "not a web address: " : "relative address: ") +
                                std::string(href);
            break;
        }
        const std::optional<Url> url = Url::Parse(href);
        if (!url) {
            canonical.problem = "unparsable address: " + std::string(href);
            break;
        }
        const std::string thisKey = Url::CompareKeyOf(url->Text());
        if (key.empty()) {
            key = thisKey;
            canonical.url = url->Text();
        } else if (thisKey != key) {
            canonical.problem = "several that disagree: " + canonical.url + ", " + url->Text();
            break;
        }
    }
    if (!canonical.problem.empty()) {
        canonical.url.clear();
    }
    return canonical;
}

}  // namespace sg
