#include "html/HtmlPushParse.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <climits>
#include <mutex>

namespace sg {
namespace {

// Parse problems are the page's, not the program's: nothing is printed.
void Quiet(void*, const char*, ...) {}

}  // namespace

bool ParseHtmlPage(std::string_view page, htmlSAXHandler& sax, void* user, const char* encoding) {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    sax.warning = Quiet;
    sax.error = Quiet;
    sax.fatalError = Quiet;
    htmlParserCtxtPtr context =
        htmlCreatePushParserCtxt(&sax, user, nullptr, 0, nullptr, XML_CHAR_ENCODING_NONE);
    if (context == nullptr) {
        return false;
    }
    htmlCtxtUseOptions(context, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (encoding != nullptr) {
        xmlSwitchToEncoding(context, xmlFindCharEncodingHandler(encoding));
    }
    // The body cap keeps a page far below INT_MAX; a larger one is read in pieces.
    constexpr std::size_t kPiece = INT_MAX / 2;
    std::size_t at = 0;
    do {
        const std::size_t piece = std::min(kPiece, page.size() - at);
        const bool last = at + piece >= page.size();
        htmlParseChunk(context, page.data() + at, static_cast<int>(piece), last ? 1 : 0);
        at += piece;
    } while (at < page.size());
    htmlFreeParserCtxt(context);
    return true;
}

}  // namespace sg
