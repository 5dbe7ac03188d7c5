#pragma once
// An address of the web as the crawl, the readiness, the reports and the results use it: a link
// resolved against the page it was found on as RFC 3986 resolves a reference (liburiparser),
// kept in the program's text form, with the keys that say which fetch it needs and whether two
// links are the same.
//
// The text form is the one the records have always had: an address that the program built
// itself, and every link resolved on a page of that form, carries no scheme
// ("host:port/dir/x.html"); a link written with its own scheme keeps it ("http://other/y",
// "https://s/"). The fragment stays in the text as found.

#include <optional>
#include <string>
#include <string_view>

#include <uriparser/Uri.h>

namespace sg {

// What a request to an address needs, read from its text form by liburiparser.
struct UrlTarget {
    // https rather than http.
    bool secure = false;
    // The host as written (an IPv6 address in its brackets), without any user information.
    std::string host;
    // The port written after the host, else 80 or 443; -1 for a number out of range.
    int port = 0;
    bool portWritten = false;
    // The host and the port as written after it ("site:8080"): the Host line's value.
    std::string hostAndPort;
    // The path and query as the request line names them ("/" for an empty path); never the
    // fragment.
    std::string target;
};

class Url {
  public:
    // The address in its text form, dot segments removed and blanks, control bytes, non-ASCII
    // bytes and the bytes RFC 3986 does not allow percent-encoded. An address without
    // "scheme://" is a host and path of http. Nullopt when it is no address (no host, a port
    // that is not a number, a bracket left open).
    static std::optional<Url> Parse(std::string_view address);

    // The reference (an attribute value, entity-decoded) resolved against this address as RFC
    // 3986 section 5 resolves it, after leading and trailing blanks and control bytes are
    // trimmed, tabs and line ends inside it dropped and backslashes read as "/", as browsers
    // read them. The result keeps this address's form unless the reference names its own
    // scheme. Nullopt when the reference is no address. Linear in the lengths of both.
    std::optional<Url> Resolve(std::string_view reference) const;

    // The text form, fragment included.
    const std::string& Text() const { return text_; }
    // What is fetched: the text form without its fragment.
    std::string_view FetchKey() const { return FetchKeyOf(text_); }
    // What "the same link" compares: see CompareKeyOf.
    std::string CompareKey() const { return CompareKeyOf(text_); }
    // "http" for the form without a scheme, else the scheme as written.
    std::string_view Scheme() const;
    // Whether the crawl follows it: http or https (in any letter case) with a host.
    bool IsFollowed() const { return followed_; }
    // Where a request for it goes and what it asks; nullopt unless IsFollowed().
    std::optional<UrlTarget> Target() const;

    // The text form without its fragment.
    static std::string_view FetchKeyOf(std::string_view text);
    // The text form without its fragment, in lower case (ANSI), without a leading "http://",
    // with "/" as the path of an address that has none: "HTTP://Host#a" and "host/" give one
    // key; "https://host/" keeps its scheme and is another.
    static std::string CompareKeyOf(std::string_view text);
    static bool IsFollowedScheme(std::string_view scheme);

  private:
    Url(std::string text, std::size_t schemeLength, bool hasHost);
    friend class UrlResolver;

    std::string text_;
    // The length of "scheme:" in the text, 0 for the form without a scheme.
    std::size_t schemeLength_ = 0;
    bool followed_ = false;
};

// Resolves many references against one base, parsing the base once (a page's links).
class UrlResolver {
  public:
    // A base that is no address resolves nothing.
    explicit UrlResolver(std::string_view base);
    ~UrlResolver();
    UrlResolver(const UrlResolver&) = delete;
    UrlResolver& operator=(const UrlResolver&) = delete;

    // As Url::Resolve; nullopt for every reference when the base is not valid.
    std::optional<Url> Resolve(std::string_view reference) const;
    // The base itself in its text form (Url::Parse).
    std::optional<Url> Base() const;

  private:
    // baseText_ into base_; whether it is an address with a host.
    bool ParseBase();
    void NormalizeBase();
    std::optional<Url> Finish(const UriUriA& reference, const std::string& prepared,
                              bool ownScheme) const;

    std::string baseText_;
    UriUriA base_{};
    bool valid_ = false;
    // The base had no scheme of its own: results of references without one drop "http://".
    bool siteForm_ = false;
};

}  // namespace sg
