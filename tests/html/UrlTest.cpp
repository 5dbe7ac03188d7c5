// The address type: RFC 3986 resolution (section 5.4's examples), the program's text form, the
// encoding of what the grammar does not allow, and the keys.

#include "html/Url.h"

#include <gtest/gtest.h>

#include <string>

namespace sg {
namespace {

struct Row {
    const char* reference;
    const char* expected;  // nullptr: no address
};

std::string Resolved(const std::string& base, const std::string& reference) {
    const std::optional<Url> url = UrlResolver(base).Resolve(reference);
    return url ? url->Text() : "<none>";
}

TEST(Url, ResolvesTheReferenceExamplesOfRfc3986) {
    const std::string base = "http://a/b/c/d;p?q";
    const Row rows[] = {
        // 5.4.1 Normal Examples
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        // 5.4.2 Abnormal Examples
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http:g"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Resolved(base, row.reference), row.expected) << row.reference;
    }
}

// The program's own form: no scheme on the page, none on what resolves against it; a link with
// its own scheme keeps it. What a browser would clean or encode is cleaned or encoded.
TEST(Url, KeepsTheProgramsFormAndEncodesWhatTheGrammarRefuses) {
    const std::string page = "host:8080/dir/page.html";
    const Row rows[] = {
        {"x.html", "host:8080/dir/x.html"},
        {"/x.html", "host:8080/x.html"},
        {"../x.html", "host:8080/x.html"},
        {"dir/../x.html", "host:8080/dir/x.html"},
        {"./././x.html", "host:8080/dir/x.html"},
        {"#top", "host:8080/dir/page.html#top"},
        {"?q=1&r=2", "host:8080/dir/page.html?q=1&r=2"},
        {"//other/x", "other/x"},
        {"http://other/y", "http://other/y"},
        {"HTTPS://s/a/../b", "HTTPS://s/b"},
        {"go.cgi?u=http://x", "host:8080/dir/go.cgi?u=http://x"},
        {"  a b.html\n", "host:8080/dir/a%20b.html"},
        {"a\r\n\tb.html", "host:8080/dir/ab.html"},
        {"caf\xC3\xA9.html", "host:8080/dir/caf%C3%A9.html"},
        {"x\\y.html", "host:8080/dir/x/y.html"},
        {"100%.html#a#b", "host:8080/dir/100%25.html#a%23b"},
        {"%41.html", "host:8080/dir/%41.html"},
        {"a[1].html", "host:8080/dir/a%5B1%5D.html"},
        {"http://[::1]:81/x", "http://[0000:0000:0000:0000:0000:0000:0000:0001]:81/x"},
        {"mailto:a@b", "mailto:a@b"},
        {"http://h:port/", nullptr},
        {"http://[::1/", nullptr},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Resolved(page, row.reference), row.expected ? row.expected : "<none>")
            << row.reference;
    }
    EXPECT_EQ(Resolved("host", "x.html"), "host/x.html");
    EXPECT_EQ(Resolved("https://host/dir/", "x.html"), "https://host/dir/x.html");
    EXPECT_EQ(Resolved("", "x"), "<none>");
}

TEST(Url, KeysSchemesAndParsingAgain) {
    struct KeyRow {
        const char* text;
        const char* fetch;
        const char* compare;
        bool followed;
    };
    const KeyRow rows[] = {
        {"host/Dir/Page.html#Part", "host/Dir/Page.html", "host/dir/page.html", true},
        {"HTTP://Host/dir/page.html#x", "HTTP://Host/dir/page.html", "host/dir/page.html", true},
        {"host", "host", "host/", true},
        {"http://host?q", "http://host?q", "host/?q", true},
        {"https://host/a", "https://host/a", "https://host/a", true},
        {"ftp://host/a", "ftp://host/a", "ftp://host/a", false},
    };
    for (const KeyRow& row : rows) {
        const std::optional<Url> url = Url::Parse(row.text);
        ASSERT_TRUE(url.has_value()) << row.text;
        EXPECT_EQ(url->Text(), row.text);
        EXPECT_EQ(url->FetchKey(), row.fetch) << row.text;
        EXPECT_EQ(url->CompareKey(), row.compare) << row.text;
        EXPECT_EQ(url->IsFollowed(), row.followed) << row.text;
    }
    EXPECT_FALSE(UrlResolver("host/").Resolve("mailto:a")->IsFollowed());
    EXPECT_FALSE(UrlResolver("host/").Resolve("javascript:void(0)")->IsFollowed());
    EXPECT_EQ(Url::Parse("host/a/./b/../c")->Text(), "host/a/c");
    EXPECT_EQ(Url::Parse("host/a b")->Text(), "host/a%20b");
    // Texts that parse again to themselves (else one page gets two keys): empty leading
    // segments, an empty port, an IPv6 host in the form without a scheme.
    EXPECT_EQ(Resolved("http://h///d/p.html", "p.html"), "http://h///d/p.html");
    EXPECT_EQ(Resolved("h//d/p.html", "./q.html"), "h//d/q.html");
    EXPECT_EQ(Resolved("h/", "//a:/b"), "a/b");
    EXPECT_EQ(Resolved("[::1]:8/x", ""), "[0000:0000:0000:0000:0000:0000:0000:0001]:8/x");
    // A base with dot segments: a query-only reference takes its path without them.
    EXPECT_EQ(Resolved("h/a/../b.html?x", "?p=2"), "h/b.html?p=2");
}

}  // namespace
}  // namespace sg
