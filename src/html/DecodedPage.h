#pragma once
// A page's text as UTF-8, decoded from its bytes in the encoding a browser picks
// (PageEncoding.h), for the HTML parser to read whatever the page's own tags say later.

#include <string>
#include <string_view>

#include "html/PageEncoding.h"

namespace sg {

class DecodedPage {
  public:
    // Decodes `page` (which must outlive this object) served with `contentTypeLine`. Bytes the
    // encoding has no character for become U+FFFD, as browsers show them. Linear in the page's
    // size; a UTF-8 page that is well-formed is not copied.
    DecodedPage(std::string_view page, std::string_view contentTypeLine);
    DecodedPage(const DecodedPage&) = delete;
    DecodedPage& operator=(const DecodedPage&) = delete;

    const PageEncoding& Encoding() const { return encoding_; }
    // The text without its byte-order mark.
    std::string_view Text() const { return text_; }

  private:
    PageEncoding encoding_;
    std::string decoded_;
    std::string_view text_;
};

}  // namespace sg
