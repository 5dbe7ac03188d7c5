#pragma once
// gzip data inflated with zlib: sitemaps sent as .gz files, bodies sent with
// "Content-Encoding: gzip".

#include <cstddef>
#include <string>
#include <string_view>

namespace sg {

// Appends to `out` the inflated bytes of `data` (several members read one after the other), at
// most `limit` + 1 of them. True when the data ended whole or the limit was passed; false when
// it is damaged or cut short.
bool Gunzip(std::string_view data, std::size_t limit, std::string& out);

}  // namespace sg
