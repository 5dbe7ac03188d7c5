#pragma once
// The two string helpers every scanner and report writer shares: the case-insensitive search
// (ANSI lower-case rule, so offsets found are offsets into the unchanged text) and blank trimming.

#include <cstddef>
#include <string>
#include <string_view>

namespace sg {

// Position of the first occurrence of pattern in text at or after `from`, comparing both under
// the ANSI lower-case rule; -1 when there is none. An empty pattern is found at `from` (when
// `from` lies within the text).
std::ptrdiff_t FindNoCase(std::string_view text, std::string_view pattern, std::size_t from = 0);

// Space, tab, carriage return, line feed, vertical tab, form feed.
inline bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text without its leading and trailing blanks.
std::string_view TrimBlanksView(std::string_view text);
std::string TrimBlanks(std::string_view text);

}  // namespace sg
