#pragma once
// The addresses a style sheet refers to, read from its tokens (CssTokenizer.h): each url(...)
// (quoted or not, "url" in any letter case) and each @import. Nothing inside a comment or
// inside any other string counts, and a url(...) the standard calls bad gives nothing.

#include <string>
#include <string_view>
#include <vector>

namespace sg {

struct CssReference {
    // Decoded and otherwise as written (unresolved, "data:" addresses included); never empty.
    std::string url;
    // The style sheet an @import loads, which holds references of its own.
    bool imported = false;
};

// The references of `css` (UTF-8) in the order they are written. An @import counts as one only
// where a browser loads it: at the top level, before every rule other than @charset, @layer
// statements and @import; a misplaced @import, and the url of an @namespace, refer to nothing
// loaded and give nothing. Linear in the text's size.
std::vector<CssReference> ReadCssReferences(std::string_view css);

}  // namespace sg
