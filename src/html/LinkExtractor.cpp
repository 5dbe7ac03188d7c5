#include "html/LinkExtractor.h"

#include <array>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Length of the URL's prefix that ParentPath keeps, and whether a "/" has to follow it.
struct ParentCut {
    std::size_t keep;
    bool addSlash;
};

ParentCut CutParent(std::string_view url, long long cuts) {
    std::size_t end = url.size();
    for (long long i = 0; i < cuts && end > 0; ++i) {
        const std::size_t slash = url.substr(0, end).rfind('/');
        if (slash == kNone) {
            break;
        }
        end = slash;
    }
    return {end, end > 0 && url[end - 1] != '/'};
}

std::string Join(std::string_view a, bool slash, std::string_view b) {
    std::string out;
    out.reserve(a.size() + (slash ? 1 : 0) + b.size());
    out.append(a);
    if (slash) {
        out.push_back('/');
    }
    out.append(b);
    return out;
}

bool ContainsNoCase(std::string_view text, std::string_view pattern) {
    return FindNoCase(text, pattern) >= 0;
}

}  // namespace

std::string ResolveLink(std::string_view link, std::string_view pageUrl) {
    if (!link.empty() && link[0] == '/') {
        // A page written absolute ("http://host/a") keeps its scheme; its host ends at the first
        // "/" after the "://".
        std::size_t hostStart = 0;
        const std::size_t scheme = pageUrl.find("://");
        if (scheme != kNone && scheme < pageUrl.find('/')) {
            hostStart = scheme + 3;
        }
        return Join(pageUrl.substr(0, pageUrl.find('/', hostStart)), false, link);
    }
    // Removing the leftmost "../" again and again, as the crawl has always done, ends in the same
    // text as this one-pass stack ("../" cannot overlap itself), and a removal happens at the
    // front of the link exactly when the stack holds nothing but that "../".
    std::string shortened;
    shortened.reserve(link.size());
    long long levels = 0;
    for (char c : link) {
        shortened.push_back(c);
        const std::size_t size = shortened.size();
        if (c == '/' && size >= 3 && shortened[size - 2] == '.' && shortened[size - 3] == '.') {
            if (size == 3) {
                ++levels;
            }
            shortened.resize(size - 3);
        }
    }
    if (levels > 0) {
        const ParentCut cut = CutParent(pageUrl, levels + 1);
        return Join(pageUrl.substr(0, cut.keep), cut.addSlash, shortened);
    }
    // Every scheme test needs a colon; most links have none.
    if (shortened.find(':') != kNone) {
        static constexpr std::array<std::string_view, 7> kRefused = {
            "gopher:", "mailto:", "news:", "ftp:", "telnet:", "wais:", "javascript:"};
        for (std::string_view scheme : kRefused) {
            if (ContainsNoCase(shortened, scheme)) {
                return {};
            }
        }
        if (ContainsNoCase(shortened, "http:") || ContainsNoCase(shortened, "https:")) {
            return shortened;
        }
    }
    const ParentCut cut = CutParent(pageUrl, 1);
    return Join(pageUrl.substr(0, cut.keep), cut.addSlash, shortened);
}

std::string UrlHost(std::string_view url) {
    return std::string(url.substr(0, url.find('/')));
}

namespace {

std::string_view HostPart(std::string_view url) {
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (url.size() >= scheme.size() && EqualsNoCase(url.substr(0, scheme.size()), scheme)) {
            url.remove_prefix(scheme.size());
            break;
        }
    }
    return url.substr(0, url.find('/'));
}

}  // namespace

bool SameHost(std::string_view a, std::string_view b) {
    return EqualsNoCase(HostPart(a), HostPart(b));
}

std::string ParentPath(std::string_view url, int levels) {
    const ParentCut cut = CutParent(url, static_cast<long long>(levels) + 1);
    return Join(url.substr(0, cut.keep), cut.addSlash, {});
}

}  // namespace sg
