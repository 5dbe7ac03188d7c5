#pragma once
// Test data for readers of compressed answers and files.

#include <string>

namespace sg::test {

// `text` as one gzip member, compressed at zlib's best level.
std::string Gzip(const std::string& text);

}  // namespace sg::test
