#pragma once
// Text in this program is bytes in Windows-1252 ("ANSI"). These are the few operations on it that
// every layer shares: the lower-case rule used for every case-insensitive comparison, and the
// conversions at the edges (UTF-16 from profile files, UTF-8 for the terminal and the GUI).

#include <cstddef>
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
// The text with each byte for which encode(index, byte) is true written as "%XX" (upper-case
// hexadecimal digits) and every other byte kept. encode is asked once for each byte, in order.
template <typename Encode>
std::string PercentEncodeWhere(std::string_view text, Encode encode) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (encode(i, c)) {
            const auto b = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(kHexDigits[b >> 4]);
            out.push_back(kHexDigits[b & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// The Unicode code point of a Windows-1252 byte; a byte Windows-1252 leaves undefined stands
// for the C1 control of the same value.
char32_t AnsiToCodePoint(unsigned char byte);
// The code point (at most 0x10FFFF) in UTF-8, one to four bytes.
void AppendUtf8(std::string& out, char32_t codePoint);

// One UTF-16 code unit sequence to Windows-1252; a character with no Windows-1252 form becomes
// "?" (a surrogate pair counts as one character).
std::string Utf16ToAnsi(const std::u16string& text);
// Windows-1252 to UTF-8 and back, for the terminal and the window system.
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);

}  // namespace sg
