#pragma once
// Which character set a page is read in, and the measures and report text that depend on it. A
// page read as UTF-8 is measured in characters; every other page is measured one byte one
// character, as the reports always have.

#include <cstddef>
#include <string>
#include <string_view>

namespace sg {

enum class PageCharset {
    Windows1252,
    Utf8,
};

// UTF-8 when a browser reads the page in UTF-8 (DecidePageEncoding: a byte-order mark, the
// Content-Type line's charset, a <meta> charset in the first 1024 bytes, else bytes that are
// well-formed UTF-8); Windows1252 otherwise, every other encoding measured one byte one
// character as the reports always have. Linear in the page's size.
PageCharset DeclaredCharset(std::string_view contentTypeLine, std::string_view page);

// The length of the longest prefix of the text that is well-formed UTF-8.
std::size_t Utf8PrefixLength(std::string_view text);

// Characters in the text: bytes for Windows-1252; for UTF-8 each well-formed sequence counts
// once and each byte of a malformed one counts on its own, so a mis-declared page is still
// measured and never over-counted.
std::size_t CharacterCount(std::string_view text, PageCharset charset);

// The longest prefix of the text that holds at most `characters` characters, as
// CharacterCount counts them; never cuts a well-formed sequence.
std::string_view CharacterPrefix(std::string_view text, std::size_t characters,
                                 PageCharset charset);

// The text as a Windows-1252 report shows it: Windows-1252 text unchanged; UTF-8 text with each
// character that Windows-1252 has written as its byte, each other one as a numeric character
// reference ("&#1055;"), and the bytes of a malformed sequence kept as they are.
std::string ReportCharsetText(std::string_view text, PageCharset charset);

// The text as UTF-8, for results that leave the program as data: Windows-1252 text with each
// byte as its character (the five bytes Windows-1252 leaves undefined as the C1 controls of the
// same number); UTF-8 text with its well-formed sequences kept and each byte of a malformed one
// read as Windows-1252, so the answer is always valid UTF-8 and nothing is dropped.
std::string Utf8Text(std::string_view text, PageCharset charset);

}  // namespace sg
