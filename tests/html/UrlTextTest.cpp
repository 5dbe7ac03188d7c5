#include "html/UrlText.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(UrlText, StripPortAndFragment) {
    EXPECT_EQ(StripPort("host:8080/dir"), "host/dir");
    EXPECT_EQ(StripPort("host:80"), "host");
    EXPECT_EQ(StripPort("host:"), "host:");
    EXPECT_EQ(StripPort("http://host:81/a:1/b"), "http://host/a:1/b");
    EXPECT_EQ(StripPort("a:b:9x/y"), "a:b/y");
    EXPECT_EQ(StripPort("a:b:"), "a:b:");
    EXPECT_EQ(StripFragment("a/b.html#x#y"), "a/b.html");
    EXPECT_EQ(StripFragment("#top"), "");
    EXPECT_EQ(StripFragment("a/b"), "a/b");
}

TEST(UrlText, HttpPrefix) {
    EXPECT_EQ(StripHttpPrefix("http://a/http://b"), "a/b");
    EXPECT_EQ(StripHttpPrefix("HTTP://a"), "HTTP://a");
    // One pass: what the removal joins together stays.
    EXPECT_EQ(StripHttpPrefix("hthttp://tp://x"), "http://x");
    EXPECT_EQ(EnsureHttpPrefix("host/x"), "http://host/x");
    EXPECT_EQ(EnsureHttpPrefix("go?u=http:x"), "go?u=http:x");
    EXPECT_EQ(EnsureHttpPrefix("HTTPS://x"), "HTTPS://x");
    EXPECT_EQ(EnsureHttpPrefix("go/https://x"), "http://go/https://x");
    EXPECT_EQ(EnsureHttpPrefix(""), "http://");
}

TEST(UrlText, SameHost) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"host/a", "host/b", true},
        {"HOST", "host/", true},
        {"http://host/x", "host", true},
        {"HTTPS://Host/x", "host/y", true},
        {"host:81/a", "host/a", false},
        {"host/a", "other/a", false},
        {"ftp://host/a", "host", false},
        // The authority ends at "?" and "#" as well: a query or fragment names no host.
        {"host?u=http://other/", "host", true},
        {"host?u=http://other/", "other", false},
        {"http://host#frag", "host", true},
        {"host#a/b", "host/c", true},
        {"host?a", "host?b", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameHost(c.a, c.b), c.same) << c.a << " ~ " << c.b;
        EXPECT_EQ(SameHost(c.b, c.a), c.same) << c.b << " ~ " << c.a;
    }
}

TEST(UrlText, PercentEncode) {
    EXPECT_EQ(PercentEncode("a b/c"), "a%20b%2Fc");
    EXPECT_EQ(PercentEncode("~"), "%7E");
    EXPECT_EQ(PercentEncode("\xE9"), "%E9");
    EXPECT_EQ(PercentEncode(std::string("\x00\x0A\x7F{|}", 6)), "%00%0A%7F%7B%7C%7D");
    EXPECT_EQ(PercentEncode("\"<>%\\^[]`+$,@:;/!#?=&"),
              "%22%3C%3E%25%5C%5E%5B%5D%60%2B%24%2C%40%3A%3B%2F%21%23%3F%3D%26");
    const std::string kept =
        "'()*-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const bool isKept = kept.find(byte) != std::string::npos;
        EXPECT_EQ(PercentEncode(byte) == byte, isKept) << b;
        EXPECT_EQ(PercentEncode(byte).size(), isKept ? 1u : 3u) << b;
    }
}

}  // namespace
}  // namespace sg
