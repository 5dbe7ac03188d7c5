#pragma once
// The scheme a browser takes from an unquoted href as a report writes it, for the tests that
// hold every report link to http and https: entities decoded (BrowserAttributeValue), tabs and
// line ends dropped, leading blanks and controls trimmed. In lower case; empty for a reference
// without one, which a file:// report resolves to a file beside itself.

#include <cctype>
#include <string>
#include <string_view>
#include <utility>

namespace sg::test {

// The value a browser takes from an attribute as written: numeric entities decoded with or
// without ";" (a character past ASCII as "?"), and the named ones for a colon, a tab, a line end
// and those that HTML escaping writes.
inline std::string BrowserAttributeValue(std::string_view value) {
    static const std::pair<std::string_view, char> kNamed[] = {
        {"&colon;", ':'}, {"&Tab;", '\t'}, {"&NewLine;", '\n'}, {"&amp;", '&'},
        {"&lt;", '<'},    {"&gt;", '>'},   {"&quot;", '"'}};
    std::string decoded;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '&') {
            decoded += value[i];
            continue;
        }
        bool named = false;
        for (const auto& [name, c] : kNamed) {
            if (value.substr(i, name.size()) == name) {
                decoded += c;
                i += name.size() - 1;
                named = true;
                break;
            }
        }
        if (named) {
            continue;
        }
        std::size_t at = i + 1;
        if (at >= value.size() || value[at] != '#') {
            decoded += '&';
            continue;
        }
        ++at;
        const bool hex = at < value.size() && (value[at] == 'x' || value[at] == 'X');
        at += hex ? 1 : 0;
        const std::size_t digits = at;
        long code = 0;
        for (; at < value.size() && code < 0x110000; ++at) {
            const char c = value[at];
            const bool decimal = c >= '0' && c <= '9';
            if (!decimal && !(hex && std::isxdigit(static_cast<unsigned char>(c)))) {
                break;
            }
            code = code * (hex ? 16 : 10) +
                   (decimal ? c - '0' : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        }
        if (at == digits) {
            decoded += '&';
            continue;
        }
        decoded += code > 0 && code < 128 ? static_cast<char>(code) : '?';
        i = at < value.size() && value[at] == ';' ? at : at - 1;
    }
    return decoded;
}

inline std::string BrowserScheme(std::string_view value) {
    const std::string decoded = BrowserAttributeValue(value);
    std::string cleaned;
    for (char c : decoded) {
        const bool leading = cleaned.empty() && static_cast<unsigned char>(c) <= ' ';
        if (c != '\t' && c != '\n' && c != '\r' && !leading) {
            cleaned += c;
        }
    }
    const std::size_t colon = cleaned.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(cleaned[0]))) {
        return {};
    }
    std::string scheme;
    for (char c : cleaned.substr(0, colon)) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return {};
        }
        scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return scheme;
}

}  // namespace sg::test
