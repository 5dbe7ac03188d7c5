#include "analysis/audit/checks/AuditHeaders.h"

#include <array>
#include <charconv>

#include "html/TextUtil.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

// The directives of a header value separated by `separator` ("," in Cache-Control and
// Content-Encoding, ";" in Strict-Transport-Security), one at a time: name and value (without
// quotes), both trimmed.
template <typename Visit>
void ForEachDirective(std::string_view value, char separator, Visit visit) {
    while (!value.empty()) {
        const std::size_t comma = value.find(separator);
        std::string_view item = value.substr(0, comma);
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
        std::string_view arg;
        if (const std::size_t eq = item.find('='); eq != std::string_view::npos) {
            arg = TrimBlanksView(item.substr(eq + 1));
            item = item.substr(0, eq);
            if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') {
                arg = arg.substr(1, arg.size() - 2);
            }
        }
        visit(TrimBlanksView(item), arg);
    }
}

std::optional<std::int64_t> Seconds(std::string_view text) {
    std::int64_t value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

bool StartsWithType(std::string_view type, std::string_view prefix) {
    return StartsWithNoCase(TrimBlanksView(type), prefix);
}

// The media type alone, lower case: "text/html" of "Text/HTML; charset=utf-8".
std::string MediaType(std::string_view contentType) {
    std::string type(TrimBlanksView(contentType.substr(0, contentType.find(';'))));
    for (char& c : type) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return type;
}

}  // namespace

std::optional<std::string_view> HeadValue(const PackedTexts& lines, std::string_view name) {
    for (const std::string_view line : lines) {
        const std::string_view text(line);
        if (text.size() > name.size() && text[name.size()] == ':' && StartsWithNoCase(text, name)) {
            return TrimBlanksView(text.substr(name.size() + 1));
        }
    }
    return std::nullopt;
}

std::optional<std::time_t> ParseHttpDate(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    // The words and numbers, whatever the form: "Sun, 06 Nov 1994 08:49:37 GMT",
    // "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994".
    std::vector<std::string_view> parts;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == ',' || text[at] == '-')) {
            ++at;
        }
        const std::size_t start = at;
        while (at < text.size() && text[at] != ' ' && text[at] != ',' && text[at] != '-') {
            ++at;
        }
        if (at > start) {
            parts.push_back(text.substr(start, at - start));
        }
    }
    int day = -1;
    int month = -1;
    int year = -1;
    int hms[3] = {-1, -1, -1};
    for (std::string_view part : parts) {
        if (part.find(':') != std::string_view::npos) {
            if (part.size() != 8 || part[2] != ':' || part[5] != ':') {
                return std::nullopt;
            }
            for (int i = 0; i < 3; ++i) {
                const std::optional<std::int64_t> n = Seconds(part.substr(i * 3, 2));
                if (!n) {
                    return std::nullopt;
                }
                hms[i] = static_cast<int>(*n);
            }
            continue;
        }
        if (const std::optional<std::int64_t> n = Seconds(part)) {
            if (day < 0 && part.size() <= 2) {
                day = static_cast<int>(*n);
            } else if (year < 0) {
                year = static_cast<int>(*n);
                if (part.size() == 2) {
                    year += year < 70 ? 2000 : 1900;
                }
            }
            continue;
        }
        for (std::size_t m = 0; m < kMonths.size(); ++m) {
            if (part.size() >= 3 && EqualsNoCase(part.substr(0, 3), kMonths[m]) &&
                part.size() == 3) {
                month = static_cast<int>(m);
            }
        }
    }
    if (day < 1 || day > 31 || month < 0 || year < 1970 || hms[0] < 0 || hms[0] > 23 ||
        hms[1] > 59 || hms[2] > 60) {
        return std::nullopt;
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month;
    tm.tm_mday = day;
    tm.tm_hour = hms[0];
    tm.tm_min = hms[1];
    tm.tm_sec = hms[2];
    return timegm(&tm);
}

CacheLifetime ReadCacheLifetime(const PackedTexts& lines, std::time_t now) {
    CacheLifetime lifetime;
    std::optional<std::int64_t> maxAge;
    for (const std::string_view line : lines) {
        const std::string_view text(line);
        if (!StartsWithNoCase(text, "Cache-Control:")) {
            continue;
        }
        ForEachDirective(text.substr(14), ',', [&](std::string_view name, std::string_view arg) {
            if (EqualsNoCase(name, "no-store") || EqualsNoCase(name, "no-cache") ||
                EqualsNoCase(name, "private")) {
                lifetime.exempt = true;
            } else if (EqualsNoCase(name, "max-age") && !maxAge) {
                // An unreadable max-age makes the answer stale at once.
                maxAge = Seconds(arg).value_or(0);
            }
        });
    }
    if (maxAge) {
        lifetime.seconds = maxAge;
        return lifetime;
    }
    if (const std::optional<std::string_view> expires = HeadValue(lines, "Expires")) {
        std::time_t base = now;
        if (const std::optional<std::string_view> date = HeadValue(lines, "Date")) {
            base = ParseHttpDate(*date).value_or(now);
        }
        const std::optional<std::time_t> until = ParseHttpDate(*expires);
        lifetime.seconds = until && *until > base ? *until - base : 0;
    }
    return lifetime;
}

std::string ShortCacheProblem(const CacheLifetime& lifetime) {
    if (lifetime.exempt) {
        return {};
    }
    if (!lifetime.seconds) {
        return "no max-age or Expires";
    }
    if (*lifetime.seconds >= kCacheLifetimeMin) {
        return {};
    }
    return "cached for " + std::to_string(*lifetime.seconds) + " seconds";
}

bool IsCompressedEncoding(std::string_view contentEncoding) {
    bool compressed = false;
    ForEachDirective(contentEncoding, ',', [&](std::string_view name, std::string_view) {
        compressed = compressed || EqualsNoCase(name, "gzip") || EqualsNoCase(name, "x-gzip") ||
                     EqualsNoCase(name, "br") || EqualsNoCase(name, "zstd");
    });
    return compressed;
}

bool IsCompressibleType(std::string_view contentType) {
    const std::string type = MediaType(contentType);
    return type == "text/html" || type == "application/xhtml+xml" || type == "text/css" ||
           type == "text/javascript" || type == "application/javascript" ||
           type == "application/x-javascript" || type == "application/ecmascript" ||
           type == "application/json" || type.ends_with("+json") || type == "image/svg+xml";
}

bool IsStaticResourceType(std::string_view contentType) {
    const std::string type = MediaType(contentType);
    return StartsWithType(type, "image/") || StartsWithType(type, "font/") ||
           StartsWithType(type, "application/font-") ||
           StartsWithType(type, "application/x-font-") || type == "application/vnd.ms-fontobject" ||
           type == "text/css" || type == "text/javascript" || type == "application/javascript" ||
           type == "application/x-javascript" || type == "application/ecmascript";
}

bool DeclaresCharset(std::string_view contentType) {
    return FindNoCase(contentType, "charset=") >= 0;
}

std::string HstsProblem(std::optional<std::string_view> value) {
    if (!value) {
        return "no Strict-Transport-Security header";
    }
    std::optional<std::int64_t> maxAge;
    bool unreadable = false;
    ForEachDirective(*value, ';', [&](std::string_view name, std::string_view arg) {
        if (EqualsNoCase(name, "max-age") && !maxAge && !unreadable) {
            maxAge = Seconds(arg);
            unreadable = !maxAge;
        }
    });
    if (unreadable) {
        return "max-age is not a number";
    }
    if (!maxAge) {
        return "no max-age";
    }
    if (*maxAge == 0) {
        return "max-age=0";
    }
    return {};
}

}  // namespace sg
