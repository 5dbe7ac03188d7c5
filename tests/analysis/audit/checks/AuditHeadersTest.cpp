// The Site Audit's rules on head lines (cache lifetimes, encodings, HSTS) and on hreflang codes,
// a table each.

#include "analysis/audit/checks/AuditHeaders.h"

#include <gtest/gtest.h>

#include "analysis/audit/formats/Hreflang.h"

namespace sg {
namespace {

using Lines = PackedTexts;

// 2026-01-01 00:00:00 UTC.
constexpr std::time_t kNow = 1767225600;

TEST(AuditHeaders, CacheLifetimes) {
    struct Row {
        Lines lines;
        // The problem ShortCacheProblem names; empty when the lifetime is long enough.
        std::string problem;
    };
    const Row rows[] = {
        {{"Cache-Control: public, max-age=2592000"}, ""},
        {{"Cache-Control: max-age=2591999"}, "cached for 2591999 seconds"},
        {{"cache-control: MAX-AGE=\"31536000\", immutable"}, ""},
        // max-age wins over Expires, either way round.
        {{"Cache-Control: max-age=60", "Expires: Thu, 01 Jan 2037 00:00:00 GMT"},
         "cached for 60 seconds"},
        {{"Expires: Thu, 01 Jan 2037 00:00:00 GMT", "Cache-Control: max-age=31536000"}, ""},
        // Expires counts from Date when there is one, else from now.
        {{"Date: Thu, 01 Jan 2026 00:00:00 GMT", "Expires: Sat, 31 Jan 2026 00:00:00 GMT"}, ""},
        {{"Date: Fri, 02 Jan 2026 00:00:00 GMT", "Expires: Sat, 31 Jan 2026 00:00:00 GMT"},
         "cached for 2505600 seconds"},
        {{"Expires: Sunday, 01-Feb-26 00:00:00 GMT"}, ""},
        {{"Expires: Sun Feb  1 00:00:00 2026"}, ""},
        // An Expires that is no date is in the past; so is an unreadable max-age.
        {{"Expires: 0"}, "cached for 0 seconds"},
        {{"Cache-Control: max-age=soon"}, "cached for 0 seconds"},
        {{"Content-Type: image/png"}, "no max-age or Expires"},
        // Not meant to be kept: no lifetime is due.
        {{"Cache-Control: no-cache"}, ""},
        {{"Cache-Control: max-age=60, private"}, ""},
        {{"Cache-Control: No-Store"}, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ShortCacheProblem(ReadCacheLifetime(row.lines, kNow)), row.problem)
            << testing::PrintToString(row.lines);
    }
}

TEST(AuditHeaders, EncodingsAndTypes) {
    struct Row {
        std::string_view value;
        bool compressed;
    };
    for (const Row& row :
         {Row{"gzip", true}, Row{"x-gzip", true}, Row{" BR ", true}, Row{"zstd", true},
          Row{"identity", false}, Row{"", false}, Row{"deflate", false},
          Row{"gzip, identity", true}, Row{"gzipped", false}}) {
        EXPECT_EQ(IsCompressedEncoding(row.value), row.compressed) << row.value;
    }
    struct Type {
        std::string_view value;
        bool compressible;
        bool isStatic;
    };
    for (const Type& row :
         {Type{"text/html; charset=utf-8", true, false}, Type{"Text/CSS", true, true},
          Type{"application/javascript", true, true},
          Type{"text/javascript;charset=UTF-8", true, true},
          Type{"application/ld+json", true, false}, Type{"application/json", true, false},
          Type{"image/svg+xml", true, true}, Type{"image/png", false, true},
          Type{"font/woff2", false, true}, Type{"application/font-woff", false, true},
          Type{"text/plain", false, false}, Type{"application/pdf", false, false}}) {
        EXPECT_EQ(IsCompressibleType(row.value), row.compressible) << row.value;
        EXPECT_EQ(IsStaticResourceType(row.value), row.isStatic) << row.value;
    }
    EXPECT_TRUE(DeclaresCharset("text/html; Charset=\"utf-8\""));
    EXPECT_FALSE(DeclaresCharset("text/html"));
}

TEST(AuditHeaders, Hsts) {
    struct Row {
        std::optional<std::string_view> value;
        std::string problem;
    };
    const Row rows[] = {
        {std::nullopt, "no Strict-Transport-Security header"},
        {"max-age=31536000; includeSubDomains", ""},
        {"includeSubDomains; MAX-AGE=\"600\"", ""},
        {"max-age=0", "max-age=0"},
        {"includeSubDomains", "no max-age"},
        {"max-age=forever", "max-age is not a number"},
        {"", "no max-age"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(HstsProblem(row.value), row.problem) << row.value.value_or("(none)");
    }
}

// HTTP/2 sends every field name in lower case; HTTP/1.1 servers in any case.
TEST(AuditHeaders, HeadValuesByNameInAnyLetterCase) {
    const Lines lines = {"HTTP/1.1 200 OK",
                         "strict-transport-security:  max-age=5 ",
                         "Strict-Transport-Security-X: no",
                         "cache-control: max-age=60",
                         "CONTENT-TYPE: text/css",
                         "content-encoding: br",
                         "content-length:1400"};
    struct Row {
        std::string_view name;
        std::optional<std::string_view> value;
    };
    for (const Row& row : {Row{"Strict-Transport-Security", "max-age=5"},
                           Row{"Cache-Control", "max-age=60"}, Row{"Content-Type", "text/css"},
                           Row{"Content-Encoding", "br"}, Row{"Content-Length", "1400"},
                           Row{"Expires", std::nullopt}, Row{"Content", std::nullopt}}) {
        EXPECT_EQ(HeadValue(lines, row.name), row.value) << row.name;
    }
    EXPECT_EQ(ShortCacheProblem(ReadCacheLifetime(lines, kNow)), "cached for 60 seconds");
}

TEST(Hreflang, CodesAreLanguagesRegionsOrXDefault) {
    struct Row {
        std::string_view code;
        bool valid;
    };
    const Row rows[] = {
        {"en", true},
        {"EN", true},
        {"de-AT", true},
        {"pt-br", true},
        {"zh-Hant", true},
        {"zh-Hant-TW", true},
        {"x-default", true},
        {"X-Default", true},
        // Not ISO 639-1, not ISO 3166-1 alpha-2, not the form.
        {"", false},
        {"eng", false},
        {"xx", false},
        {"en-UK", false},
        {"en_US", false},
        {"en-", false},
        {"-en", false},
        {"en-US-x", false},
        {"en-USA", false},
        {"es-419", false},
        {"e1", false},
        {"x-defaults", false},
        {"en-Latn-US-x", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsValidHreflang(row.code), row.valid) << row.code;
    }
}

}  // namespace
}  // namespace sg
