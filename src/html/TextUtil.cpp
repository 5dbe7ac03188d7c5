#include "html/TextUtil.h"

#include <cstring>

#include "platform/Ansi.h"

namespace sg {

std::ptrdiff_t FindNoCase(std::string_view text, std::string_view pattern, std::size_t from) {
    const std::size_t n = text.size();
    const std::size_t m = pattern.size();
    if (from > n || m > n - from) {
        return -1;
    }
    if (m == 0) {
        return static_cast<std::ptrdiff_t>(from);
    }
    const char first = LowerAnsi(pattern[0]);
    const bool letter = first >= 'a' && first <= 'z';
    const char firstUpper = letter ? static_cast<char>(first - 'a' + 'A') : first;
    const std::size_t last = n - m;  // last position where a match can begin
    const char* data = text.data();
    std::size_t p = from;
    while (p <= last) {
        if (letter) {
            while (p <= last && data[p] != first && data[p] != firstUpper) {
                ++p;
            }
            if (p > last) {
                return -1;
            }
        } else {
            // Most patterns here start with "<" or "/": let memchr find the candidates.
            const void* hit = std::memchr(data + p, first, last - p + 1);
            if (hit == nullptr) {
                return -1;
            }
            p = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        }
        std::size_t k = 1;
        while (k < m && LowerAnsi(data[p + k]) == LowerAnsi(pattern[k])) {
            ++k;
        }
        if (k == m) {
            return static_cast<std::ptrdiff_t>(p);
        }
        ++p;
    }
    return -1;
}

std::string_view TrimBlanksView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::string TrimBlanks(std::string_view text) {
    return std::string(TrimBlanksView(text));
}

std::string GroupedNumber(std::size_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t i = digits.size(); i > 3; i -= 3) {
        digits.insert(i - 3, ",");
    }
    return digits;
}

std::string ControlsAsQuestionMarks(std::string_view utf8, bool keepTab) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            // C2 is only ever followed by 80..BF; below A0 that is a C1 control.
            text += '?';
            ++i;
        } else if ((c < 0x20 && !(keepTab && c == '\t')) || c == 0x7F) {
            text += '?';
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

}  // namespace sg
