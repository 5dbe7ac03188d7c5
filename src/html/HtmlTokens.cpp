#include "html/HtmlTokens.h"

#include "platform/Ansi.h"

namespace sg {

bool HasToken(std::string_view tokens, std::string_view token) {
    std::size_t at = 0;
    while (at < tokens.size()) {
        while (at < tokens.size() && IsHtmlBlank(tokens[at])) {
            ++at;
        }
        const std::size_t start = at;
        while (at < tokens.size() && !IsHtmlBlank(tokens[at])) {
            ++at;
        }
        if (at > start && EqualsNoCase(tokens.substr(start, at - start), token)) {
            return true;
        }
    }
    return false;
}

}  // namespace sg
