#include "html/PageLinks.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <unordered_set>

#include "html/CssReferences.h"
#include "html/DecodedPage.h"
#include "html/HtmlPushParse.h"
#include "html/HtmlTokens.h"
#include "html/QueryEncoder.h"
#include "html/Url.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

enum class Target { Frame, Link, Resource };

struct Reference {
    Target target;
    std::string value;
};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsResourceRel(std::string_view rel) {
    for (std::string_view kind :
         {"stylesheet", "icon", "preload", "manifest", "canonical", "alternate", "prev", "next"}) {
        if (HasToken(rel, kind)) {
            return true;
        }
    }
    return false;
}

// The URL of a refresh's content, "5; url=next.html" (the number, a ";" or ",", an optional
// "url=", an optional quote); empty when it names none.
std::string_view RefreshUrl(std::string_view content) {
    std::size_t at = 0;
    while (at < content.size() && IsHtmlBlank(content[at])) {
        ++at;
    }
    while (at < content.size() &&
           ((content[at] >= '0' && content[at] <= '9') || content[at] == '.')) {
        ++at;
    }
    while (at < content.size() && IsHtmlBlank(content[at])) {
        ++at;
    }
    if (at >= content.size() || (content[at] != ';' && content[at] != ',')) {
        return {};
    }
    ++at;
    while (at < content.size() && IsHtmlBlank(content[at])) {
        ++at;
    }
    std::string_view rest = content.substr(at);
    if (rest.size() >= 3 && EqualsNoCase(rest.substr(0, 3), "url")) {
        std::size_t eq = 3;
        while (eq < rest.size() && IsHtmlBlank(rest[eq])) {
            ++eq;
        }
        if (eq < rest.size() && rest[eq] == '=') {
            rest.remove_prefix(eq + 1);
            while (!rest.empty() && IsHtmlBlank(rest.front())) {
                rest.remove_prefix(1);
            }
        }
    }
    if (!rest.empty() && (rest.front() == '\'' || rest.front() == '"')) {
        const char quote = rest.front();
        rest.remove_prefix(1);
        rest = rest.substr(0, rest.find(quote));
    }
    return rest;
}

// Collects the references of a page while the parser reads it; they are resolved once the
// whole page (and so its first <base href>) is known.
struct Collector {
    std::vector<Reference> references;
    std::optional<std::string> base;
    // The text of the <style> element being read, which comes in pieces.
    bool inStyle = false;
    std::string styleText;

    // Every url() and @import of a style sheet or a style attribute is a resource.
    void AddStyle(std::string_view css) {
        for (CssReference& reference : ReadCssReferences(css)) {
            references.push_back({Target::Resource, std::move(reference.url)});
        }
    }

    void Add(Target target, const char* value) {
        if (value == nullptr) {
            return;
        }
        const std::string_view trimmed = Trim(value);
        if (!trimmed.empty()) {
            references.push_back({target, std::string(trimmed)});
        }
    }

    // Each candidate of a srcset: a URL up to a blank, then descriptors up to a ",".
    void AddSrcset(const char* value) {
        if (value == nullptr) {
            return;
        }
        const std::string_view set(value);
        std::size_t at = 0;
        while (at < set.size()) {
            while (at < set.size() && (IsHtmlBlank(set[at]) || set[at] == ',')) {
                ++at;
            }
            const std::size_t start = at;
            while (at < set.size() && !IsHtmlBlank(set[at])) {
                ++at;
            }
            std::string_view url = set.substr(start, at - start);
            const bool endsCandidate = !url.empty() && url.back() == ',';
            while (!url.empty() && url.back() == ',') {
                url.remove_suffix(1);
            }
            if (!url.empty()) {
                references.push_back({Target::Resource, std::string(url)});
            }
            if (!endsCandidate) {
                // Skip the descriptors.
                while (at < set.size() && set[at] != ',') {
                    ++at;
                }
            }
        }
    }
};

const char* Attribute(const xmlChar** atts, const char* name) {
    if (atts == nullptr) {
        return nullptr;
    }
    for (int i = 0; atts[i] != nullptr; i += 2) {
        // The parser gives element and attribute names in lower case.
        if (std::strcmp(reinterpret_cast<const char*>(atts[i]), name) == 0) {
            const xmlChar* value = atts[i + 1];
            return value != nullptr ? reinterpret_cast<const char*>(value) : "";
        }
    }
    return nullptr;
}

// A <style> without a type, or of type text/css, is CSS; any other type is not read.
bool IsCssStyle(const char* type) {
    return type == nullptr || Trim(type).empty() || EqualsNoCase(Trim(type), "text/css");
}

void AddElement(Collector& c, std::string_view name, const xmlChar** atts) {
    auto attr = [atts](const char* attribute) { return Attribute(atts, attribute); };
    switch (name.size()) {
        case 1:
            if (name == "a") {
                c.Add(Target::Link, attr("href"));
            }
            return;
        case 3:
            if (name == "img") {
                c.Add(Target::Resource, attr("src"));
                c.AddSrcset(attr("srcset"));
            }
            return;
        default:
            break;
    }
    if (name == "link") {
        const char* rel = attr("rel");
        if (rel != nullptr && IsResourceRel(rel)) {
            c.Add(Target::Resource, attr("href"));
        }
    } else if (name == "script" || name == "audio" || name == "track" || name == "embed") {
        c.Add(Target::Resource, attr("src"));
    } else if (name == "area") {
        c.Add(Target::Link, attr("href"));
    } else if (name == "frame") {
        c.Add(Target::Frame, attr("src"));
    } else if (name == "iframe") {
        c.Add(Target::Link, attr("src"));
    } else if (name == "base") {
        const char* href = attr("href");
        if (!c.base && href != nullptr) {
            c.base = std::string(Trim(href));
        }
    } else if (name == "meta") {
        const char* equiv = attr("http-equiv");
        const char* content = attr("content");
        if (equiv != nullptr && content != nullptr && EqualsNoCase(Trim(equiv), "refresh")) {
            const std::string url(RefreshUrl(content));
            c.Add(Target::Link, url.c_str());
        }
    } else if (name == "source") {
        c.Add(Target::Resource, attr("src"));
        c.AddSrcset(attr("srcset"));
    } else if (name == "video") {
        c.Add(Target::Resource, attr("src"));
        c.Add(Target::Resource, attr("poster"));
    } else if (name == "object") {
        c.Add(Target::Resource, attr("data"));
    } else if (name == "input") {
        const char* type = attr("type");
        if (type != nullptr && EqualsNoCase(Trim(type), "image")) {
            c.Add(Target::Resource, attr("src"));
        }
    } else if (name == "style" && IsCssStyle(attr("type"))) {
        c.inStyle = true;
        c.styleText.clear();
    }
}

void StartElement(void* context, const xmlChar* nameText, const xmlChar** atts) {
    auto& c = *static_cast<Collector*>(context);
    AddElement(c, reinterpret_cast<const char*>(nameText), atts);
    if (const char* style = Attribute(atts, "style"); style != nullptr) {
        c.AddStyle(style);
    }
}

void EndElement(void* context, const xmlChar* nameText) {
    auto& c = *static_cast<Collector*>(context);
    if (c.inStyle && std::strcmp(reinterpret_cast<const char*>(nameText), "style") == 0) {
        c.inStyle = false;
        c.AddStyle(c.styleText);
    }
}

// The parser gives the raw text of scripts and styles here.
void RawText(void* context, const xmlChar* text, int length) {
    auto& c = *static_cast<Collector*>(context);
    if (c.inStyle) {
        c.styleText.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
    }
}

void Parse(std::string_view text, Collector& collector) {
    htmlSAXHandler sax{};
    sax.startElement = StartElement;
    sax.endElement = EndElement;
    sax.cdataBlock = RawText;
    ParseHtmlPage(text, sax, &collector, "UTF-8");
}

// A file: address, or a drive letter and a colon before a slash or backslash ("C:\\x"): a
// place on the author's computer, which no visitor's browser loads from the web.
bool IsLocalReference(std::string_view value, const std::optional<Url>& url) {
    value = Trim(value);
    const bool drive =
        value.size() >= 3 &&
        ((value[0] >= 'a' && value[0] <= 'z') || (value[0] >= 'A' && value[0] <= 'Z')) &&
        value[1] == ':' && (value[2] == '\\' || value[2] == '/');
    return drive || (url && EqualsNoCase(url->Scheme(), "file"));
}

// The distinct test keeps the texts of one list.
class DistinctList {
  public:
    explicit DistinctList(std::vector<std::string>& list) : list_(list) { list_.clear(); }

    bool Has(const std::string& value) const { return seen_.count(value) != 0; }
    // Whether the value was new.
    bool Add(std::string value) {
        if (!seen_.insert(value).second) {
            return false;
        }
        list_.push_back(std::move(value));
        return true;
    }

  private:
    std::vector<std::string>& list_;
    std::unordered_set<std::string> seen_;
};

bool Continues(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// At most `bytes` of the text's start, or of its end, never cutting a UTF-8 sequence.
std::string_view FirstBytes(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    while (bytes > 0 && Continues(text[bytes])) {
        --bytes;
    }
    return text.substr(0, bytes);
}

std::string_view LastBytes(std::string_view text, std::size_t bytes) {
    std::size_t from = text.size() - std::min(bytes, text.size());
    while (from < text.size() && Continues(text[from])) {
        ++from;
    }
    return text.substr(from);
}

// What is kept of an address too long to ask for: its beginning and its end (where links that
// share a long base differ), at most kTooLongShown bytes in all.
std::string TooLongShown(std::string_view address) {
    constexpr std::string_view kGap = "...";
    constexpr std::size_t kHead = (kTooLongShown - kGap.size()) / 2;
    constexpr std::size_t kTail = kTooLongShown - kGap.size() - kHead;
    std::string shown(FirstBytes(address, kHead));
    shown += kGap;
    shown += LastBytes(address, kTail);
    return shown;
}

}  // namespace

PageLinkLists ReadPageLinks(std::string_view page, std::string_view pageUrl,
                            std::string_view contentTypeLine, std::size_t maxLinks) {
    PageLinkLists lists;
    if (page.empty()) {
        return lists;
    }
    const DecodedPage decoded(page, contentTypeLine);
    Collector collector;
    Parse(decoded.Text(), collector);
    if (collector.references.empty()) {
        return lists;
    }
    QueryEncoder queries(decoded.Encoding().name);
    const UrlResolver pageResolver(pageUrl);
    std::optional<Url> base;
    if (collector.base) {
        base = pageResolver.Resolve(queries.Encode(*collector.base));
        if (base && !base->IsFollowed()) {
            base.reset();
        }
    }
    std::optional<UrlResolver> baseResolver;
    if (base) {
        baseResolver.emplace(base->Text());
    }
    const UrlResolver& resolver = baseResolver ? *baseResolver : pageResolver;
    DistinctList frameList(lists.frames);
    DistinctList linkList(lists.links);
    DistinctList resourceList(lists.resources);
    std::unordered_set<std::string> unaskedSeen;
    // Too long to keep whole: known by a hash of the whole (a collision only drops a record of
    // an address that is not asked anyway).
    std::unordered_set<std::size_t> tooLongSeen;
    // Past the limit: what would have been read, once each, by a hash of its address.
    std::unordered_set<std::size_t> beyondSeen;
    const auto listOf = [&](Target target) -> DistinctList& {
        return target == Target::Frame ? frameList
                                       : (target == Target::Link ? linkList : resourceList);
    };
    std::size_t read = 0;
    for (Reference& reference : collector.references) {
        const bool resource = reference.target == Target::Resource;
        std::optional<Url> url = resolver.Resolve(queries.Encode(reference.value));
        const bool local = IsLocalReference(reference.value, url);
        if (read >= maxLinks) {
            if (!local && (!url || !url->IsFollowed())) {
                continue;
            }
            const std::string_view key = local ? Trim(reference.value) : url->Text();
            const std::size_t hash = std::hash<std::string_view>{}(key);
            const bool readAlready =
                local ? unaskedSeen.count(std::string(FirstBytes(key, kMaxAddressBytes))) != 0
                      : (key.size() > kMaxAddressBytes ? tooLongSeen.count(hash) != 0
                                                       : listOf(reference.target).Has(url->Text()));
            lists.beyondLimit += !readAlready && beyondSeen.insert(hash).second ? 1 : 0;
            continue;
        }
        if (local) {
            std::string value(FirstBytes(Trim(reference.value), kMaxAddressBytes));
            if (unaskedSeen.insert(value).second) {
                lists.unasked.push_back(
                    {std::move(value), resource, UnaskedReference::Why::NotOnTheWeb});
                ++read;
            }
            continue;
        }
        if (!url || !url->IsFollowed()) {
            continue;
        }
        if (url->Text().size() > kMaxAddressBytes) {
            if (tooLongSeen.insert(std::hash<std::string_view>{}(url->Text())).second) {
                lists.unasked.push_back(
                    {TooLongShown(url->Text()), resource, UnaskedReference::Why::TooLong});
                ++read;
            }
            continue;
        }
        bool added = false;
        switch (reference.target) {
            case Target::Frame:
                added = frameList.Add(url->Text());
                break;
            case Target::Link:
                added = linkList.Add(url->Text());
                break;
            case Target::Resource:
                added = resourceList.Add(url->Text());
                break;
        }
        read += added ? 1 : 0;
    }
    return lists;
}

void ExtractPageLinks(std::string_view page, std::string_view pageUrl,
                      std::vector<std::string>& frames, std::vector<std::string>& links,
                      std::vector<std::string>& resources, std::string_view contentTypeLine) {
    PageLinkLists lists = ReadPageLinks(page, pageUrl, contentTypeLine);
    frames = std::move(lists.frames);
    links = std::move(lists.links);
    resources = std::move(lists.resources);
}

}  // namespace sg
