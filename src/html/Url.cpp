#include "html/Url.h"

#include <algorithm>
#include <memory>

#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::string_view kHttp = "http://";

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of "scheme:" at the start of a reference (RFC 3986 section 3.1), 0 when none.
std::size_t SchemeLength(std::string_view text) {
    if (text.empty() || !IsAlpha(text[0])) {
        return 0;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            return i + 1;
        }
        if (!IsAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return 0;
        }
    }
    return 0;
}

// Where the authority of a reference ends when it has one ("//" after an optional scheme);
// npos when it has none.
std::size_t AuthorityEnd(std::string_view text, std::size_t schemeLength) {
    if (text.substr(schemeLength, 2) != "//") {
        return std::string_view::npos;
    }
    const std::size_t end = text.find_first_of("/?#", schemeLength + 2);
    return end == std::string_view::npos ? text.size() : end;
}

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// The reference as RFC 3986 accepts it: trimmed of blanks and control bytes at both ends, tabs
// and line ends dropped, backslashes read as "/", and every byte the grammar does not allow
// where it stands percent-encoded (a "%" not followed by two hex digits, a second "#", a
// bracket outside the host).
std::string_view Trimmed(std::string_view raw) {
    while (!raw.empty() && IsTrimmed(raw.front())) {
        raw.remove_prefix(1);
    }
    while (!raw.empty() && IsTrimmed(raw.back())) {
        raw.remove_suffix(1);
    }
    return raw;
}

std::string Prepare(std::string_view raw) {
    raw = Trimmed(raw);
    std::string text;
    text.reserve(raw.size());
    for (char c : raw) {
        if (c == '\t' || c == '\n' || c == '\r') {
            continue;
        }
        text.push_back(c == '\\' ? '/' : c);
    }
    const std::size_t authorityEnd = AuthorityEnd(text, SchemeLength(text));
    bool inFragment = false;
    return PercentEncodeWhere(text, [&](std::size_t i, char c) {
        switch (c) {
            case '"':
            case '<':
            case '>':
            case '^':
            case '`':
            case '{':
            case '|':
            case '}':
                return true;
            case '%':
                return i + 2 >= text.size() || HexDigitValue(text[i + 1]) < 0 ||
                       HexDigitValue(text[i + 2]) < 0;
            case '#': {
                const bool second = inFragment;
                inFragment = true;
                return second;
            }
            case '[':
            case ']':
                return authorityEnd == std::string_view::npos || i >= authorityEnd;
            default: {
                const auto b = static_cast<unsigned char>(c);
                return b <= 0x20 || b >= 0x7F;
            }
        }
    });
}

bool HasSchemePrefix(std::string_view address) {
    const std::size_t length = SchemeLength(address);
    return length > 0 && address.substr(length, 2) == "//";
}

struct UriDeleter {
    void operator()(UriUriA* uri) const {
        uriFreeUriMembersA(uri);
        delete uri;
    }
};
using UriPtr = std::unique_ptr<UriUriA, UriDeleter>;

UriPtr ParseUri(const std::string& text) {
    UriPtr uri(new UriUriA{});
    const char* errorPos = nullptr;
    if (uriParseSingleUriExA(uri.get(), text.data(), text.data() + text.size(), &errorPos) !=
        URI_SUCCESS) {
        // Members the failed parse set up are freed by the deleter.
        return nullptr;
    }
    return uri;
}

std::optional<std::string> UriText(const UriUriA& uri) {
    int chars = 0;
    if (uriToStringCharsRequiredA(&uri, &chars) != URI_SUCCESS) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(chars) + 1, '\0');
    if (uriToStringA(text.data(), &uri, chars + 1, nullptr) != URI_SUCCESS) {
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(chars));
    return text;
}

// The resolved address must name a host: "http:x" or "http:///x" are no place to fetch.
bool HasHost(const UriUriA& uri) {
    return uri.hostText.first != nullptr && uri.hostText.afterLast != uri.hostText.first;
}

// Two spellings the text form must not keep, or parsing the text again gives another address
// (one page, two keys, two fetches): the "/." uriparser writes before a path that starts with
// "//" (needed only without a host), and an empty port ("host:"), which makes the form without
// a scheme read "host://x" as a scheme.
void TidyAfterHost(std::string& text, std::size_t schemeLength) {
    const std::size_t hostStart = text.compare(schemeLength, 2, "//") == 0 ? schemeLength + 2 : 0;
    std::size_t pathStart = text.find_first_of("/?#", hostStart);
    if (pathStart == std::string::npos) {
        pathStart = text.size();
    }
    if (pathStart > hostStart && text[pathStart - 1] == ':') {
        text.erase(--pathStart, 1);
    }
    if (text.compare(pathStart, 4, "/.//") == 0) {
        text.erase(pathStart, 2);
    }
}

}  // namespace

Url::Url(std::string text, std::size_t schemeLength, bool hasHost)
    : text_(std::move(text)), schemeLength_(schemeLength) {
    followed_ = hasHost && IsFollowedScheme(Scheme());
}

std::string_view Url::Scheme() const {
    if (schemeLength_ == 0) {
        return "http";
    }
    return std::string_view(text_).substr(0, schemeLength_ - 1);
}

bool Url::IsFollowedScheme(std::string_view scheme) {
    return EqualsNoCase(scheme, "http") || EqualsNoCase(scheme, "https");
}

std::string_view Url::FetchKeyOf(std::string_view text) {
    return text.substr(0, text.find('#'));
}

std::string Url::CompareKeyOf(std::string_view text) {
    std::string key = ToLowerAnsi(FetchKeyOf(text));
    if (key.starts_with(kHttp)) {
        key.erase(0, kHttp.size());
    }
    // The path of "host" or "host?q" is "/".
    const std::size_t hostStart = HasSchemePrefix(key) ? SchemeLength(key) + 2 : 0;
    const std::size_t pathStart = key.find_first_of("/?", hostStart);
    if (pathStart == std::string::npos) {
        key.push_back('/');
    } else if (key[pathStart] == '?') {
        key.insert(pathStart, 1, '/');
    }
    return key;
}

std::optional<UrlTarget> Url::Target() const {
    if (!followed_) {
        return std::nullopt;
    }
    const std::string full = schemeLength_ == 0 ? std::string(kHttp) + text_ : text_;
    const UriPtr uri = ParseUri(full);
    if (uri == nullptr || !HasHost(*uri)) {
        return std::nullopt;
    }
    const auto offset = [&full](const char* at) {
        return static_cast<std::size_t>(at - full.data());
    };
    UrlTarget target;
    target.secure = EqualsNoCase(Scheme(), "https");
    std::size_t hostBegin = offset(uri->hostText.first);
    std::size_t hostEnd = offset(uri->hostText.afterLast);
    // An IP literal's brackets belong to the host as a connection names it.
    if (hostBegin > 0 && full[hostBegin - 1] == '[' && hostEnd < full.size() &&
        full[hostEnd] == ']') {
        --hostBegin;
        ++hostEnd;
    }
    target.host = full.substr(hostBegin, hostEnd - hostBegin);
    std::size_t authorityEnd = hostEnd;
    target.port = target.secure ? 443 : 80;
    if (uri->portText.first != nullptr) {
        const std::string_view digits(
            uri->portText.first,
            static_cast<std::size_t>(uri->portText.afterLast - uri->portText.first));
        authorityEnd = offset(uri->portText.afterLast);
        if (!digits.empty()) {
            target.portWritten = true;
            long port = 0;
            for (const char c : digits) {
                port = std::min(port * 10 + (c - '0'), 100000L);
            }
            target.port = port >= 1 && port <= 65535 ? static_cast<int>(port) : -1;
        }
    }
    target.hostAndPort = full.substr(hostBegin, authorityEnd - hostBegin);
    const std::size_t fragment = std::min(full.find('#', authorityEnd), full.size());
    target.target = full.substr(authorityEnd, fragment - authorityEnd);
    if (target.target.empty() || target.target.front() != '/') {
        target.target.insert(0, 1, '/');
    }
    return target;
}

std::optional<Url> Url::Parse(std::string_view address) {
    return UrlResolver(address).Base();
}

std::optional<Url> Url::Resolve(std::string_view reference) const {
    return UrlResolver(text_).Resolve(reference);
}

UrlResolver::UrlResolver(std::string_view base) {
    std::string prepared = Prepare(base);
    siteForm_ = !HasSchemePrefix(prepared);
    // The scheme first, so that the host of the form without one ("[::1]:8/x") is read as a
    // host, whose brackets stay.
    baseText_ = siteForm_ ? Prepare(std::string(kHttp).append(Trimmed(base))) : std::move(prepared);
    valid_ = ParseBase();
    if (valid_) {
        NormalizeBase();
    }
}

// RFC 3986 resolves a query-only reference ("?p=2") to the base's path as it stands, so a base
// with dot segments ("host/a/../b?x") gave addresses that parse again to another text.
void UrlResolver::NormalizeBase() {
    UriUriA self{};
    std::optional<std::string> text;
    if (uriAddBaseUriExA(&self, &base_, &base_, URI_RESOLVE_STRICTLY) == URI_SUCCESS) {
        text = UriText(self);
    }
    uriFreeUriMembersA(&self);
    if (!text || *text == baseText_) {
        return;
    }
    uriFreeUriMembersA(&base_);
    base_ = UriUriA{};
    baseText_ = std::move(*text);
    valid_ = ParseBase();
}

bool UrlResolver::ParseBase() {
    const char* errorPos = nullptr;
    return uriParseSingleUriExA(&base_, baseText_.data(), baseText_.data() + baseText_.size(),
                                &errorPos) == URI_SUCCESS &&
           HasHost(base_);
}

UrlResolver::~UrlResolver() {
    uriFreeUriMembersA(&base_);
}

std::optional<Url> UrlResolver::Base() const {
    if (!valid_) {
        return std::nullopt;
    }
    // The base resolved against itself: its own text with the dot segments removed.
    return Finish(base_, baseText_, !siteForm_);
}

std::optional<Url> UrlResolver::Resolve(std::string_view reference) const {
    if (!valid_) {
        return std::nullopt;
    }
    std::string prepared = Prepare(reference);
    const UriPtr relative = ParseUri(prepared);
    if (relative == nullptr) {
        return std::nullopt;
    }
    // An address written in the program's own form ("host/x") is a path to a browser; only
    // the base may be in that form.
    const bool ownScheme = SchemeLength(prepared) > 0;
    // The parsed reference points into `prepared`, which must stay where it is until then.
    return Finish(*relative, prepared, ownScheme);
}

std::optional<Url> UrlResolver::Finish(const UriUriA& reference, const std::string& prepared,
                                       bool ownScheme) const {
    UriUriA resolved{};
    if (uriAddBaseUriExA(&resolved, &reference, &base_, URI_RESOLVE_STRICTLY) != URI_SUCCESS) {
        uriFreeUriMembersA(&resolved);
        return std::nullopt;
    }
    const bool hasHost = HasHost(resolved);
    std::optional<std::string> text;
    if (hasHost || !ownScheme) {
        text = UriText(resolved);
    } else {
        // A scheme without a host ("mailto:a", "tel:1"): kept as written, never fetched.
        text = prepared;
    }
    uriFreeUriMembersA(&resolved);
    if (!text) {
        return std::nullopt;
    }
    std::size_t schemeLength = SchemeLength(*text);
    if (hasHost) {
        TidyAfterHost(*text, schemeLength);
    }
    if (siteForm_ && !ownScheme && text->starts_with(kHttp)) {
        text->erase(0, kHttp.size());
        schemeLength = 0;
    }
    return Url(std::move(*text), schemeLength, hasHost);
}

}  // namespace sg
