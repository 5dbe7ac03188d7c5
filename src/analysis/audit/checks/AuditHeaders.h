#pragma once
// The Site Audit's rules on an answer's head lines: how long a resource may be cached, whether
// a body came compressed and is of a kind worth compressing, whether an https answer asks
// browsers to keep to https (Strict-Transport-Security), and whether a charset is declared.
// Pure functions of the lines (and of the time for Expires), so tables test them.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/PackedTexts.h"

namespace sg {

// The value of the first head line whose field name is `name` (any case), blanks trimmed;
// nullopt when there is none. The status line is no field.
std::optional<std::string_view> HeadValue(const PackedTexts& lines, std::string_view name);

// Resources cached for less than this are cached too briefly.
inline constexpr std::int64_t kCacheLifetimeMin = 30LL * 24 * 60 * 60;

// How long a cache may keep an answer: Cache-Control's max-age (which wins), else Expires less
// Date (or less `now` when there is no Date; an Expires that is not a date is in the past).
struct CacheLifetime {
    // no-store, no-cache or private: the answer is not meant to be kept, so no lifetime is due.
    bool exempt = false;
    // Seconds; nullopt when neither max-age nor Expires is given.
    std::optional<std::int64_t> seconds;
};
CacheLifetime ReadCacheLifetime(const PackedTexts& lines, std::time_t now);
// Why the lifetime is too short for a static resource ("max-age=600", "no max-age or
// Expires"); empty when it is long enough or exempt.
std::string ShortCacheProblem(const CacheLifetime& lifetime);

// An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT", and the two older forms); nullopt when the
// text is none.
std::optional<std::time_t> ParseHttpDate(std::string_view text);

// Whether a Content-Encoding value names gzip, br or zstd.
bool IsCompressedEncoding(std::string_view contentEncoding);
// Whether a Content-Type value is text worth compressing: HTML, CSS, JavaScript, JSON, SVG.
bool IsCompressibleType(std::string_view contentType);
// Bodies under this many bytes are not worth compressing.
inline constexpr std::size_t kCompressMin = 1400;

// Whether a Content-Type value is of a static resource: an image, a font, a script or a style
// sheet.
bool IsStaticResourceType(std::string_view contentType);
// Whether a Content-Type value names a charset.
bool DeclaresCharset(std::string_view contentType);

// Why a Strict-Transport-Security value (nullopt: no such line) does not keep browsers to
// https: "no Strict-Transport-Security header", "no max-age", "max-age=0"; empty when it does.
std::string HstsProblem(std::optional<std::string_view> value);

}  // namespace sg
