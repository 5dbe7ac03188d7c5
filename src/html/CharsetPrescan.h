#pragma once
// The charset a page's <meta> tags declare, found as the HTML standard's prescan of a byte
// stream finds it before any parsing: comments and the attributes of other tags are skipped,
// and only the first 1024 bytes are read.

#include <cstddef>
#include <string>
#include <string_view>

namespace sg {

inline constexpr std::size_t kCharsetPrescanBytes = 1024;

// The encoding (EncodingOfLabel) of the first <meta charset=...>, or <meta
// http-equiv=content-type content="...charset=...">, wholly within the first
// kCharsetPrescanBytes bytes that names a known one; a UTF-16 name gives UTF-8, as the bytes
// read this far were no UTF-16. Empty when none does. Reads at most kCharsetPrescanBytes bytes.
std::string PrescanMetaCharset(std::string_view page);

}  // namespace sg
