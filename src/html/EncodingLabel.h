#pragma once
// What a charset name written in a page or its Content-Type header stands for, as browsers read
// it (the WHATWG Encoding Standard's labels): "latin1", "ascii" and "iso-8859-1" are
// Windows-1252, "utf8" is UTF-8, "unicode" is UTF-16LE.

#include <string>
#include <string_view>

namespace sg {

// The iconv name of the encoding `label` names: "UTF-8", "UTF-16LE", "UTF-16BE" and
// "WINDOWS-1252" for the labels of those four (blanks around and letter case ignored); any
// other label that iconv can decode, in lower case; empty for a label no decoder knows.
std::string EncodingOfLabel(std::string_view label);

}  // namespace sg
