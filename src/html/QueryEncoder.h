#pragma once
// The query of a link as a browser writes it into its request (the URL Standard's "encoding" of
// a document): on a page in UTF-8 or UTF-16 the query is UTF-8; on a page in any other encoding
// each character of the query is written as its bytes in that encoding, and one the encoding
// lacks as "&#N;". Paths and fragments are always UTF-8 (Url.h encodes them).

#include <iconv.h>

#include <string>
#include <string_view>

namespace sg {

class QueryEncoder {
  public:
    // `encoding` is an iconv name as PageEncoding gives it.
    explicit QueryEncoder(std::string_view encoding);
    ~QueryEncoder();
    QueryEncoder(const QueryEncoder&) = delete;
    QueryEncoder& operator=(const QueryEncoder&) = delete;

    // The reference (UTF-8) with each non-ASCII character of its query (after its first "?"
    // and before a "#") percent-encoded as above; all other bytes as they are. The reference
    // itself when nothing changes, else a text valid until the next call. Linear in the
    // reference's length.
    std::string_view Encode(std::string_view reference);

  private:
    // Appends the character's bytes in the page's encoding, percent-encoded; false when the
    // encoding has no such character.
    bool AppendEncoded(std::string_view character);

    bool utf8_ = true;
    std::string encoding_;
    // Opened when the first query needs it.
    iconv_t encoder_ = reinterpret_cast<iconv_t>(-1);
    std::string encoded_;
};

}  // namespace sg
