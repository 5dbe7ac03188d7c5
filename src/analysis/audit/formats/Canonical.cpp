#include "analysis/audit/formats/Canonical.h"

#include <optional>
#include <string_view>

#include "html/TextUtil.h"
#include "html/Url.h"
#include "platform/Ansi.h"

namespace sg {

AuditCanonical ReadAuditCanonical(const std::vector<std::string>& hrefs) {
    AuditCanonical canonical;
    std::string key;
    for (const std::string& raw : hrefs) {
        const std::string_view href = TrimBlanksView(raw);
        if (!StartsWithNoCase(href, "http://") && !StartsWithNoCase(href, "https://")) {
            canonical.problem = "relative address: " + std::string(href);
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
