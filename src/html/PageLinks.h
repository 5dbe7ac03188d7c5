#pragma once
// The links of a page as a browser reads them: the page is parsed with libxml2's HTML parser
// (events, no tree), so tags inside comments, scripts and styles are no links, attribute values
// are entity-decoded and trimmed, and every link resolves against the page's address or its
// first <base href> by RFC 3986 (Url.h). Only http and https addresses are kept.
//
// Pages: <a href>, <area href>, <iframe src>, <meta http-equiv=refresh content="N; url=...">
// (links), and <frame src> (frames). Resources, judged by their answer and never visited:
// <img src> and each srcset candidate, <link href> of rel stylesheet, icon, preload, manifest,
// canonical, alternate, prev or next, <script src>, <source src|srcset>, <video src|poster>,
// <audio src>, <track src>, <object data>, <embed src>, <input type=image src>, and each url()
// and @import of a <style> element (of type text/css or none) and of a style attribute
// (CssReferences.h).
//
// The page is decoded as a browser decodes it (PageEncoding.h); each link's path is UTF-8 and
// its query is in the page's encoding (QueryEncoder.h).

#include <string>
#include <string_view>
#include <vector>

namespace sg {

// Fills the three lists with the distinct resolved links of `page`, served with
// `contentTypeLine` ("Content-Type: text/html; charset=...", or empty when there is none), each
// in the order of first appearance and in the text form of Url (fragment kept); all three are
// emptied first. Linear in the page's size; a page that is not HTML at all gives empty lists.
// A link or resource of a page that no visitor can load from the web: a file: address or a path
// on a disk ("C:\site\x.html"), as the page writes it (trimmed).
struct LocalReference {
    std::string value;
    bool resource = false;
};

// `local`, when given, gets the page's local references (distinct, in order); the three lists
// never hold them.
void ExtractPageLinks(std::string_view page, std::string_view pageUrl,
                      std::vector<std::string>& frames, std::vector<std::string>& links,
                      std::vector<std::string>& resources, std::string_view contentTypeLine = {},
                      std::vector<LocalReference>* local = nullptr);

}  // namespace sg
