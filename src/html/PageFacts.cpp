#include "html/PageFacts.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <algorithm>
#include <array>
#include <cstring>

#include <nlohmann/json.hpp>

#include "html/CharsetPrescan.h"
#include "html/DecodedPage.h"
#include "html/HtmlPushParse.h"
#include "html/HtmlTokens.h"
#include "html/PageCharset.h"
#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// Blanks beyond ASCII's: the no-break space, the spaces of General Punctuation, the
// ideographic space.
bool IsBlankCodePoint(char32_t c) {
    return c == 0xA0 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Letters and digits, roughly: ASCII's, and every other character but the punctuation, symbol
// and control blocks (Latin-1's, General Punctuation to Miscellaneous Symbols and Arrows, CJK
// punctuation, the full-width ASCII punctuation).
bool IsLetterCodePoint(char32_t c) {
    if (c < 0x80) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }
    if (c < 0xC0) {
        return c == 0xAA || c == 0xB5 || c == 0xBA;
    }
    if (c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) ||
        (c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFE30 && c <= 0xFE4F) || c == 0xFFFD) {
        return false;
    }
    return true;
}

// The text with runs of blanks made one blank and none at either end.
std::string Collapse(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool blank = false;
    for (char c : text) {
        if (IsHtmlBlank(c)) {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) {
            out.push_back(' ');
        }
        blank = false;
        out.push_back(c);
    }
    return out;
}

// Elements that run on inside a line of text: their edges do not part words.
bool IsInline(std::string_view name) {
    static constexpr std::array<std::string_view, 26> kInline = {
        "a",    "abbr",   "b",   "bdi", "bdo",  "cite", "code", "data", "dfn",
        "em",   "font",   "i",   "kbd", "mark", "q",    "s",    "samp", "small",
        "span", "strong", "sub", "sup", "time", "tt",   "u",    "var"};
    return std::find(kInline.begin(), kInline.end(), name) != kInline.end();
}

// Elements whose content no reader sees as the page's text.
bool IsHidden(std::string_view name) {
    return name == "script" || name == "style" || name == "noscript" || name == "template";
}

// Elements that hold code, a key or a name as written: a link's text inside them is a name.
bool IsCode(std::string_view name) {
    return name == "code" || name == "kbd" || name == "samp" || name == "var" || name == "tt";
}

// The page begins with a doctype once a byte-order mark, blanks, comments and an XML
// declaration are passed over; read no further than needed.
bool StartsWithDoctype(std::string_view page) {
    if (page.starts_with("\xEF\xBB\xBF")) {
        page.remove_prefix(3);
    }
    for (;;) {
        while (!page.empty() && IsHtmlBlank(page.front())) {
            page.remove_prefix(1);
        }
        std::string_view end;
        if (page.starts_with("<!--")) {
            end = "-->";
        } else if (page.starts_with("<?")) {
            end = ">";
        } else {
            break;
        }
        const std::size_t close = page.find(end, 2);
        if (close == std::string_view::npos) {
            return false;
        }
        page.remove_prefix(close + end.size());
    }
    return StartsWithNoCase(page, "<!doctype");
}

bool IsForeign(std::string_view name) {
    return name == "svg" || name == "math";
}

std::string_view Trimmed(const char* value) {
    std::string_view text = value != nullptr ? value : "";
    while (!text.empty() && IsHtmlBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsHtmlBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool StartsWithScheme(std::string_view href, std::string_view scheme) {
    return StartsWithNoCase(href, scheme);
}

// The first kPageTextKept characters of a text.
std::string Kept(std::string_view text) {
    return std::string(CharacterPrefix(text, kPageTextKept, PageCharset::Utf8));
}

// Adds a text to a list of texts within the bounds; its whole length to `sizes`.
void Keep(std::vector<std::string>& texts, std::string_view text) {
    if (texts.size() < kPageTextsKept) {
        texts.push_back(Kept(text));
    }
}
void Keep(std::vector<std::string>& texts, PageTextSizes& sizes, std::string_view text) {
    ++sizes.count;
    if (texts.size() < kPageTextsKept) {
        sizes.characters.push_back(CharacterCount(text, PageCharset::Utf8));
    }
    Keep(texts, text);
}

// A structured data block is read at most this far.
constexpr std::size_t kStructuredDataMax = 1u << 20;
constexpr std::size_t kAnchorTextMax = 64;

class Reader {
  public:
    explicit Reader(PageFacts& facts) : facts_(facts) {}

    void Start(std::string_view name, const xmlChar** atts) {
        if (!IsInline(name)) {
            Boundary();
        }
        if (IsForeign(name)) {
            ++foreign_;
        }
        if (IsHidden(name)) {
            ++hidden_;
        }
        if (name == "head") {
            ++head_;
        }
        if (IsCode(name)) {
            ++code_;
        }
        if (foreign_ > 0) {
            return;
        }
        OtherFacts(name, atts);
        if (name == "title") {
            if (title_++ == 0) {
                titleText_.clear();
            }
        } else if (name == "h1") {
            if (h1_++ == 0) {
                h1Text_.clear();
            }
        } else if (name == "meta") {
            const std::string_view metaName = Trimmed(Attribute(atts, "name"));
            const char* content = Attribute(atts, "content");
            if (content == nullptr) {
                return;
            }
            if (EqualsNoCase(metaName, "description")) {
                Keep(facts_.descriptions, facts_.descriptionSizes, Collapse(content));
            } else if (EqualsNoCase(metaName, "robots") || EqualsNoCase(metaName, "googlebot")) {
                if (facts_.robots.size() < kPageTextsKept) {
                    facts_.robotsNames.push_back(ToLowerAnsi(metaName));
                }
                Keep(facts_.robots, content);
            }
        } else if (name == "link" && head_ > 0) {
            const char* rel = Attribute(atts, "rel");
            const char* href = Attribute(atts, "href");
            if (rel != nullptr && href != nullptr && HasToken(rel, "canonical")) {
                Keep(facts_.canonicals, href);
            }
        }
    }

    void End(std::string_view name) {
        if (!IsInline(name)) {
            Boundary();
        }
        if (IsCode(name) && code_ > 0) {
            --code_;
        }
        if (name == "a" && anchor_) {
            anchor_ = false;
            if (!anchorInCode_ && IsGenericLinkText(anchorText_)) {
                facts_.genericLinks.Add(anchorHref_);
            }
        } else if (name == "script" && structuredData_) {
            structuredData_ = false;
            if (std::string problem = StructuredDataProblem(structuredText_); !problem.empty()) {
                ++facts_.structuredDataProblemCount;
                if (facts_.structuredDataProblems.size() < kPageTextsKept) {
                    facts_.structuredDataProblems.push_back(std::move(problem));
                }
            }
        }
        if (name == "head" && head_ > 0) {
            --head_;
        }
        if (IsHidden(name) && hidden_ > 0) {
            --hidden_;
        }
        if (IsForeign(name) && foreign_ > 0) {
            --foreign_;
            return;
        }
        if (foreign_ > 0) {
            return;
        }
        if (name == "title" && title_ > 0 && --title_ == 0) {
            Keep(facts_.titles, facts_.titleSizes, Collapse(titleText_));
        } else if (name == "h1" && h1_ > 0 && --h1_ == 0) {
            Keep(facts_.h1s, facts_.h1Sizes, Collapse(h1Text_));
        }
    }

    void Text(std::string_view text) {
        if (anchor_ && code_ > 0) {
            anchorInCode_ = true;
        }
        if (anchor_) {
            // The generic phrases are short; a longer text is not one of them.
            anchorText_.append(
                text.substr(0, kAnchorTextMax - std::min(kAnchorTextMax, anchorText_.size())));
        }
        if (structuredData_) {
            structuredText_.append(text.substr(
                0,
                kStructuredDataMax + 1 - std::min(kStructuredDataMax + 1, structuredText_.size())));
        }
        if (title_ > 0 && foreign_ == 0) {
            titleText_ += text;
            return;
        }
        if (h1_ > 0 && foreign_ == 0) {
            h1Text_ += text;
        }
        if (hidden_ > 0 || head_ > 0) {
            return;
        }
        // The parser gives UTF-8; a character is judged once its sequence is whole.
        for (char byte : text) {
            const auto b = static_cast<unsigned char>(byte);
            if (b >= 0x80 && b < 0xC0 && pending_ > 0) {
                sequence_.push_back(byte);
                codePoint_ = (codePoint_ << 6) | (b & 0x3F);
                if (--pending_ == 0) {
                    Character(codePoint_);
                }
                continue;
            }
            if (pending_ > 0) {
                // A sequence cut short counts as the replacement character.
                pending_ = 0;
                Character(0xFFFD);
            }
            sequence_.assign(1, byte);
            if (b < 0x80) {
                Character(b);
            } else if (b >= 0xC0 && b < 0xE0) {
                codePoint_ = b & 0x1F;
                pending_ = 1;
            } else if (b >= 0xE0 && b < 0xF0) {
                codePoint_ = b & 0x0F;
                pending_ = 2;
            } else if (b >= 0xF0 && b < 0xF8) {
                codePoint_ = b & 0x07;
                pending_ = 3;
            } else {
                Character(0xFFFD);
            }
        }
    }

    void Finish() {
        Boundary();
        facts_.textHash = hash_;
    }

  private:
    void Plain(PagePlainResource::Kind kind, const char* href) {
        const std::string_view written = Trimmed(href);
        if (StartsWithScheme(written, "http:") && facts_.plainResources.size() < kPlainLinksKept) {
            facts_.plainResources.push_back({kind, Kept(written)});
        }
    }

    // What the audit's later checks read: the document's language, its meta tags, images,
    // links, resources written with http:, alternates and structured data.
    void OtherFacts(std::string_view name, const xmlChar** atts) {
        using Kind = PagePlainResource::Kind;
        if (name == "html") {
            const std::string_view lang = Trimmed(Attribute(atts, "lang"));
            if (!facts_.lang && !lang.empty()) {
                facts_.lang = true;
                facts_.langValue = Kept(lang);
            }
        } else if (name == "meta") {
            if (EqualsNoCase(Trimmed(Attribute(atts, "name")), "viewport") && !facts_.viewport) {
                facts_.viewport = true;
                facts_.viewportContent = Kept(Trimmed(Attribute(atts, "content")));
            }
            if (Attribute(atts, "charset") != nullptr ||
                (EqualsNoCase(Trimmed(Attribute(atts, "http-equiv")), "content-type") &&
                 FindNoCase(Trimmed(Attribute(atts, "content")), "charset=") >= 0)) {
                facts_.metaCharset = true;
            }
        } else if (name == "img") {
            const std::string_view src = Trimmed(Attribute(atts, "src"));
            const char* alt = Attribute(atts, "alt");
            if (alt == nullptr) {
                facts_.imagesWithoutAlt.Add(src);
            } else if (CharacterCount(Trimmed(alt), PageCharset::Utf8) > kAltMax) {
                facts_.imagesWithLongAlt.Add(src);
            }
            if (Attribute(atts, "width") == nullptr || Attribute(atts, "height") == nullptr) {
                facts_.imagesWithoutSize.Add(src);
            }
            Plain(Kind::Image, Attribute(atts, "src"));
        } else if (name == "a") {
            const char* href = Attribute(atts, "href");
            if (href == nullptr) {
                // Crawlers follow only an href; a script's click is no link to them.
                if (Attribute(atts, "onclick") != nullptr) {
                    facts_.uncrawlableAnchors.Add("(onclick, no href)");
                }
                return;
            }
            const std::string_view written = Trimmed(href);
            // An empty href and "#" name the page itself, which crawlers need not follow.
            if (StartsWithScheme(written, "javascript:")) {
                facts_.uncrawlableAnchors.Add(written);
            } else if (StartsWithScheme(written, "http://") &&
                       facts_.plainLinks.size() < kPlainLinksKept) {
                std::string kept = Kept(written);
                if (std::find(facts_.plainLinks.begin(), facts_.plainLinks.end(), kept) ==
                    facts_.plainLinks.end()) {
                    facts_.plainLinks.push_back(std::move(kept));
                }
            }
            anchor_ = true;
            anchorInCode_ = code_ > 0;
            anchorHref_ = Kept(written);
            anchorText_.clear();
        } else if (name == "script") {
            if (const char* src = Attribute(atts, "src")) {
                Plain(Kind::Script, src);
            } else if (EqualsNoCase(Trimmed(Attribute(atts, "type")), "application/ld+json")) {
                structuredData_ = true;
                structuredText_.clear();
            }
        } else if (name == "link") {
            const char* rel = Attribute(atts, "rel");
            const char* href = Attribute(atts, "href");
            if (rel == nullptr || href == nullptr) {
                return;
            }
            if (HasToken(rel, "stylesheet")) {
                Plain(Kind::Stylesheet, href);
            }
            const char* hreflang = Attribute(atts, "hreflang");
            if (HasToken(rel, "alternate") && hreflang != nullptr && head_ > 0 &&
                ++facts_.alternateCount <= kAlternatesKept) {
                facts_.alternates.push_back({Kept(Trimmed(hreflang)), Kept(Trimmed(href))});
            }
        } else if (name == "iframe" || name == "frame") {
            Plain(Kind::Frame, Attribute(atts, "src"));
        } else if (name == "video" || name == "audio" || name == "source" || name == "track") {
            Plain(Kind::Media, Attribute(atts, "src"));
        }
    }

    static const char* Attribute(const xmlChar** atts, const char* name) {
        if (atts == nullptr) {
            return nullptr;
        }
        for (int i = 0; atts[i] != nullptr; i += 2) {
            if (std::strcmp(reinterpret_cast<const char*>(atts[i]), name) == 0) {
                return atts[i + 1] != nullptr ? reinterpret_cast<const char*>(atts[i + 1]) : "";
            }
        }
        return nullptr;
    }

    void Character(char32_t c) {
        if ((c < 0x80 && IsHtmlBlank(static_cast<char>(c))) || IsBlankCodePoint(c)) {
            Boundary();
            return;
        }
        if (pendingBlank_) {
            Hash(' ');
            pendingBlank_ = false;
        }
        for (char byte : sequence_) {
            Hash(byte);
        }
        started_ = true;
        wordHasLetter_ = wordHasLetter_ || IsLetterCodePoint(c);
        inWord_ = true;
    }

    // A blank or an element's edge: the word in progress ends.
    void Boundary() {
        if (inWord_ && wordHasLetter_) {
            ++facts_.words;
        }
        inWord_ = false;
        wordHasLetter_ = false;
        pendingBlank_ = started_;
    }

    // FNV-1a.
    void Hash(char c) {
        hash_ ^= static_cast<unsigned char>(c);
        hash_ *= 1099511628211ULL;
    }

    PageFacts& facts_;
    bool anchor_ = false;
    // The link's text, or the link itself, lies in code.
    bool anchorInCode_ = false;
    int code_ = 0;
    std::string anchorHref_;
    std::string anchorText_;
    bool structuredData_ = false;
    std::string structuredText_;
    int head_ = 0;
    int hidden_ = 0;
    int foreign_ = 0;
    int title_ = 0;
    int h1_ = 0;
    std::string titleText_;
    std::string h1Text_;
    bool started_ = false;
    bool pendingBlank_ = false;
    bool inWord_ = false;
    bool wordHasLetter_ = false;
    // The UTF-8 sequence being read: its bytes, its value so far, the bytes still to come.
    std::string sequence_;
    char32_t codePoint_ = 0;
    int pending_ = 0;
    std::uint64_t hash_ = 14695981039346656037ULL;
};

void OnStart(void* context, const xmlChar* name, const xmlChar** atts) {
    static_cast<Reader*>(context)->Start(reinterpret_cast<const char*>(name), atts);
}

void OnEnd(void* context, const xmlChar* name) {
    static_cast<Reader*>(context)->End(reinterpret_cast<const char*>(name));
}

void OnText(void* context, const xmlChar* text, int length) {
    static_cast<Reader*>(context)->Text(
        std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
}

}  // namespace

void PageFactList::Add(std::string_view item) {
    ++count;
    if (first.size() < kKept) {
        std::string kept = Kept(item);
        if (std::find(first.begin(), first.end(), kept) == first.end()) {
            first.push_back(std::move(kept));
        }
    }
}

std::size_t TextCount(const std::vector<std::string>& texts, const PageTextSizes& sizes) {
    return std::max(sizes.count, texts.size());
}

std::size_t TextCharacters(const std::vector<std::string>& texts, const PageTextSizes& sizes,
                           std::size_t i) {
    return i < sizes.characters.size() ? sizes.characters[i]
                                       : CharacterCount(texts[i], PageCharset::Utf8);
}

bool IsGenericLinkText(std::string_view text) {
    static constexpr std::array<std::string_view, 11> kGeneric = {
        "click here", "here", "more",  "read more",  "learn more", "link",
        "this",       "go",   "start", "right here", "continue"};
    const std::string collapsed = Collapse(text);
    for (std::string_view phrase : kGeneric) {
        if (EqualsNoCase(collapsed, phrase)) {
            return true;
        }
    }
    return false;
}

std::string StructuredDataProblem(std::string_view text) {
    if (text.size() > kStructuredDataMax) {
        return "over 1 MiB";
    }
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded()) {
        return "not JSON";
    }
    // A block is one object or an array of them.
    const auto problemOf = [](const nlohmann::json& item) -> std::string {
        if (!item.is_object()) {
            return "not an object";
        }
        if (!item.contains("@context")) {
            return "no @context";
        }
        if (!item.contains("@type") && !item.contains("@graph")) {
            return "no @type";
        }
        return {};
    };
    if (json.is_array()) {
        if (json.empty()) {
            return "an empty array";
        }
        for (const nlohmann::json& item : json) {
            if (std::string problem = problemOf(item); !problem.empty()) {
                return problem;
            }
        }
        return {};
    }
    return problemOf(json);
}

PageFacts ReadPageFacts(std::string_view page, std::string_view contentTypeLine) {
    PageFacts facts;
    facts.doctype = StartsWithDoctype(page);
    Reader reader(facts);
    htmlSAXHandler sax{};
    sax.startElement = OnStart;
    sax.endElement = OnEnd;
    sax.characters = OnText;
    // The encoding a browser picks holds; a meta tag further down does not switch it.
    const DecodedPage decoded(page, contentTypeLine);
    if (!ParseHtmlPage(decoded.Text(), sax, &reader, "UTF-8")) {
        return facts;
    }
    reader.Finish();
    // Late: no declaration in the first 1024 bytes at all (one there whose label is unknown is
    // another fault), and no byte order mark to decide before it.
    const bool bom = page.starts_with("\xEF\xBB\xBF") || page.starts_with("\xFE\xFF") ||
                     page.starts_with("\xFF\xFE");
    facts.charsetLate = facts.metaCharset && !bom && FindNoCase(contentTypeLine, "charset=") < 0 &&
                        PrescanMetaCharset(page).empty() &&
                        FindNoCase(page.substr(0, 1024), "charset") < 0;
    return facts;
}

}  // namespace sg
