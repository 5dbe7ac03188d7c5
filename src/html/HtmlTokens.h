#pragma once
// HTML's blanks and the blank-separated token lists of its attributes (rel="stylesheet icon").

#include <string_view>

namespace sg {

// Space, tab, line feed, form feed and carriage return: the blanks of HTML (not vertical tab).
inline bool IsHtmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Whether the blank-separated list `tokens` holds `token`, compared under the ANSI lower-case
// rule. An empty token is never held.
bool HasToken(std::string_view tokens, std::string_view token);

}  // namespace sg
