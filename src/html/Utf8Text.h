#pragma once
// Page text as UTF-8, for results that leave the program as data rather than as a report.

#include <string>
#include <string_view>

#include "html/PageCharset.h"

namespace sg {

// Windows-1252 text with each byte as its character (the five bytes Windows-1252 leaves
// undefined as the C1 controls of the same number). UTF-8 text with its well-formed sequences
// kept and each byte of a malformed one read as Windows-1252, so the answer is always valid
// UTF-8 and nothing is dropped.
std::string Utf8Text(std::string_view text, PageCharset charset);

}  // namespace sg
