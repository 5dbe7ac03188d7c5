#pragma once
// Text in this program is bytes in Windows-1252 ("ANSI"). These are the few operations on it that
// every layer shares: the lower-case rule used for every case-insensitive comparison, and the
// conversions at the edges (UTF-16 from profile files, UTF-8 for the terminal and the GUI).

#include <cstdint>
#include <string>
#include <string_view>

namespace sg {

// The ANSI lower-case rule: "A".."Z" become "a".."z"; every other byte is kept, so lengths and
// offsets never change.
inline char LowerAnsi(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string ToLowerAnsi(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// `text` begins with `prefix` under the lower-case rule.
inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}
// The value of a hexadecimal digit in either case, -1 for any other byte.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One UTF-16 code unit sequence to Windows-1252; a character with no Windows-1252 form becomes
// "?" (a surrogate pair counts as one character).
std::string Utf16ToAnsi(const std::u16string& text);
// Windows-1252 to UTF-8 and back, for the terminal and the window system.
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);

}  // namespace sg
