#pragma once
// The string helpers every scanner and report writer shares: the case-insensitive search (ANSI
// lower-case rule, so offsets found are offsets into the unchanged text), blank trimming,
// numbers with their thousands grouped, and text made safe for a terminal.

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

// 50000 as "50,000"; under 1000 as it is.
std::string GroupedNumber(std::size_t value);

// UTF-8 text with each control character as "?": the C0 controls (a tab only unless keepTab),
// DEL, and the C1 controls U+0080..U+009F (bytes C2 80..C2 9F), so that no escape sequence,
// lone CR or line break in it acts on a terminal. Every other byte is kept.
std::string ControlsAsQuestionMarks(std::string_view utf8, bool keepTab);

}  // namespace sg
