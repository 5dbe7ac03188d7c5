#include "reports/ReportEscape.h"

#include "html/UrlText.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

std::string EscapedText(std::string_view value, bool keepAmpersand) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '&':
                out.append(keepAmpersand ? "&" : "&amp;");
                break;
            case '<':
                out.append("&lt;");
                break;
            case '>':
                out.append("&gt;");
                break;
            case '"':
                out.append("&quot;");
                break;
            case '\'':
                out.append("&#39;");
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::string ReportText(std::string_view value) {
    return EscapedText(value, false);
}

std::string ReportPageText(std::string_view fragment) {
    return EscapedText(fragment, true);
}

std::string ReportAttr(std::string_view value) {
    const std::string encoded = PercentEncodeWhere(value, [](std::size_t, char c) {
        const auto b = static_cast<unsigned char>(c);
        return b <= 0x20 || b == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`';
    });
    std::string out;
    out.reserve(encoded.size());
    for (char c : encoded) {
        if (c == '&') {
            out.append("&amp;");
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string ReportLinkHref(std::string_view url) {
    std::string href = ReportAttr(EnsureHttpPrefix(url));
    // EnsureHttpPrefix keeps any link that holds "http:" somewhere, such as
    // "javascript&#58;alert(1)//http:" or a relative "go?to=http://x".
    if (!StartsWithNoCase(href, "http://") && !StartsWithNoCase(href, "https://")) {
        href.insert(0, "http://");
    }
    return href;
}

}  // namespace sg
