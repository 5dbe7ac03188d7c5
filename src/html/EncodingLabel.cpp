#include "html/EncodingLabel.h"

#include <iconv.h>

#include <algorithm>
#include <array>

#include "platform/Ansi.h"

namespace sg {
namespace {

struct Family {
    std::string_view encoding;
    std::array<std::string_view, 17> labels;
};

// The Encoding Standard's labels where iconv would read them otherwise (iso-8859-1 would lose
// the characters of 0x80..0x9F; "unicode" is unknown to it).
constexpr std::array<Family, 4> kFamilies{{
    {"UTF-8",
     {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8", "x-unicode20utf8"}},
    {"WINDOWS-1252",
     {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1",
      "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1",
      "us-ascii", "windows-1252", "x-cp1252"}},
    {"UTF-16LE",
     {"csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "utf-16", "utf-16le"}},
    {"UTF-16BE", {"unicodefffe", "utf-16be"}},
}};

bool IsLabelBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

}  // namespace

std::string EncodingOfLabel(std::string_view label) {
    while (!label.empty() && IsLabelBlank(label.front())) {
        label.remove_prefix(1);
    }
    while (!label.empty() && IsLabelBlank(label.back())) {
        label.remove_suffix(1);
    }
    if (label.empty()) {
        return {};
    }
    const std::string name = ToLowerAnsi(label);
    for (const Family& family : kFamilies) {
        if (std::find(family.labels.begin(), family.labels.end(), name) != family.labels.end()) {
            return std::string(family.encoding);
        }
    }
    const iconv_t decoder = iconv_open("UTF-8", name.c_str());
    if (decoder == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    iconv_close(decoder);
    return name;
}

}  // namespace sg
