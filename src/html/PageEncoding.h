#pragma once
// The character encoding a browser reads a page's bytes in, decided as the HTML standard's
// encoding sniffing decides it (no user override, no frames): a byte-order mark; else the
// charset of the Content-Type header; else a <meta> charset within the first 1024 bytes
// (CharsetPrescan.h); else UTF-8 when the bytes are well-formed UTF-8; else Windows-1252.

#include <cstddef>
#include <string>
#include <string_view>

namespace sg {

struct PageEncoding {
    // The iconv name (EncodingOfLabel): "UTF-8", "UTF-16LE", "UTF-16BE", "WINDOWS-1252", or
    // another that the header or a meta tag names ("iso-8859-2", "shift_jis").
    std::string name;
    // The length of the byte-order mark the page starts with (0, 2 or 3): no text.
    std::size_t bomLength = 0;
};

// The encoding of `page`, served with `contentTypeLine` ("Content-Type: text/html;
// charset=utf-8", the value alone, or empty). A charset name no decoder knows counts as none
// (the next step decides). UTF-8 bytes cut off at the very end (a body cut at a size cap) still
// count as UTF-8. Linear in the page's size.
PageEncoding DecidePageEncoding(std::string_view contentTypeLine, std::string_view page);

}  // namespace sg
