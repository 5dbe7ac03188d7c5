// The request addresses and header lines the engines get.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engines/EngineCatalogue.h"
#include "engines/EngineHosts.h"
#include "engines/EngineRequest.h"
#include "engines/LinkCountUrl.h"
#include "engines/SearchUrl.h"
#include "html/UrlText.h"
#include "net/ProxySettings.h"

namespace sg {
namespace {

// Every slot on a host of its own, so that an address built on the wrong host shows.
EngineHosts DistinctHosts() {
    EngineHosts hosts;
    for (int i = 0; i < kEngineCount; ++i) {
        EXPECT_EQ(hosts.Set(std::to_string(i), "h" + std::to_string(i)), kHostsOk);
    }
    EXPECT_EQ(hosts.Set("2b", "h2b"), kHostsOk);
    EXPECT_EQ(hosts.Set("5b", "h5b:8080"), kHostsOk);
    return hosts;
}

struct PageAddresses {
    EngineId id;
    std::string first;
    std::string second;  // S = one page step
    std::string third;   // S = two page steps
};

TEST(SearchUrlTest, FirstSecondAndThirdPageOfEveryEngine) {
    const EngineHosts hosts = DistinctHosts();
    const std::string k = PercentEncode("a b");
    ASSERT_EQ(k, "a%20b");
    const std::string next = "http://next.example/page";
    const std::vector<PageAddresses> cases = {
        {EngineId::AltaVista, "http://h0/web/results?q=a%20b&kgs=0&kls=1&avkw=aapt",
         "http://h0/web/results?q=a%20b&kgs=0&kls=1&avkw=aapt&stq=10",
         "http://h0/web/results?q=a%20b&kgs=0&kls=1&avkw=aapt&stq=20"},
        {EngineId::Google, "http://h1/search?q=a%20b",
         "http://h1/search?q=a%20b&lr=&ie=UTF-8&start=10&sa=N",
         "http://h1/search?q=a%20b&lr=&ie=UTF-8&start=20&sa=N"},
        {EngineId::AllTheWeb, "http://h2/search?avkw=fogg&cat=web&cs=utf-8&q=a%20b&_sb_lang=pref",
         "http://h2/search?avkw=fogg&cat=web&cs=utf-8&q=a%20b&_sb_lang=pref&o=10",
         "http://h2/search?avkw=fogg&cat=web&cs=utf-8&q=a%20b&_sb_lang=pref&o=20"},
        {EngineId::MSN, "http://h3/results.aspx?q=a%20b", next, next},
        {EngineId::HotBot,
         "http://h4/default.asp?query=a%20b&ps=&loc=searchbox&tab=web&provKey=Inktomi&prov=HotBot",
         "http://h4/default.asp?query=a%20b&first=11&offset=&page=more&ca=w&prov=Inktomi&date=&pc="
         "&pcx=&pcu=",
         "http://h4/default.asp?query=a%20b&first=21&offset=&page=more&ca=w&prov=Inktomi&date=&pc="
         "&pcx=&pcu="},
        {EngineId::Euroseek, "http://h5/system/search.cgi?mode=internet&string=a%20b&language=en",
         "http://h5/system/search.cgi?mode=internet&start=10&string=a%20b",
         "http://h5/system/search.cgi?mode=internet&start=20&string=a%20b"},
        {EngineId::Yahoo, "http://h6/search?p=a%20b&ei=UTF-8&fr=fp-tab-web-t&cop=mss&tab=", next,
         next},
        {EngineId::Overture, "http://h7/d/search/?type=topbar&mkt=us&Keywords=a%20b", next, next},
        {EngineId::Excite, "http://h8/info.xcite/search/web/a%20b/", next, next},
        {EngineId::AskJeeves, "http://h9/web?q=a%20b&qsrc=1&o=0",
         "http://h9/web?q=a%20b&qsrc=1&o=0&page=2", "http://h9/web?q=a%20b&qsrc=1&o=0&page=3"},
        {EngineId::AOL, "http://h10/aolcom/search?query=a%20b&page=1",
         "http://h10/aolcom/search?query=a%20b&page=2",
         "http://h10/aolcom/search?query=a%20b&page=3"},
    };
    ASSERT_EQ(cases.size(), static_cast<std::size_t>(kEngineCount));
    for (const PageAddresses& c : cases) {
        SCOPED_TRACE(std::string(EngineNames(c.id).engine));
        const int step = PageStep(c.id);
        // The first page ignores a stale next-page address; only Google uses the language.
        EXPECT_EQ(SearchUrl(hosts, c.id, k, 0, next, ""), c.first);
        EXPECT_EQ(SearchUrl(hosts, c.id, k, step, next, ""), c.second);
        EXPECT_EQ(SearchUrl(hosts, c.id, k, 2 * step, next, ""), c.third);
        if (c.id != EngineId::Google) {
            EXPECT_EQ(SearchUrl(hosts, c.id, k, 0, next, "fr"), c.first);
            EXPECT_EQ(SearchUrl(hosts, c.id, k, step, next, "fr"), c.second);
        }
    }
}

TEST(SearchUrlTest, GoogleTakesTheLanguageIntoLaterPagesOnly) {
    const EngineHosts hosts = DistinctHosts();
    EXPECT_EQ(SearchUrl(hosts, EngineId::Google, "a%20b", 0, "", "fr"), "http://h1/search?q=a%20b");
    EXPECT_EQ(SearchUrl(hosts, EngineId::Google, "a%20b", 20, "", "fr"),
              "http://h1/search?q=a%20b&hl=fr&lr=&ie=UTF-8&start=20&sa=N");
}

TEST(SearchUrlTest, PageNumbersFollowTheStartNotThePageStep) {
    const EngineHosts hosts = DistinctHosts();
    // S / 10 + 1, integer division: a start inside page 3 still asks for page 3.
    EXPECT_EQ(SearchUrl(hosts, EngineId::AOL, "x", 29, "", ""),
              "http://h10/aolcom/search?query=x&page=3");
    EXPECT_EQ(SearchUrl(hosts, EngineId::AskJeeves, "x", 100, "", ""),
              "http://h9/web?q=x&qsrc=1&o=0&page=11");
    // The engines that follow the page's own link have nothing to go on without it.
    EXPECT_EQ(SearchUrl(hosts, EngineId::MSN, "x", 15, "", ""), "");
}

TEST(SearchUrlTest, UsesTheHostsInForce) {
    ClearEngineHostOverrides();
    ASSERT_EQ(OverrideEngineHost("1=127.0.0.1:4321"), kHostsOk);
    EXPECT_EQ(SearchUrl(EngineId::Google, "x", 0, "", ""), "http://127.0.0.1:4321/search?q=x");
    // An https host keeps its scheme in every address made from it.
    ASSERT_EQ(OverrideEngineHost("1=https://127.0.0.1:4322"), kHostsOk);
    ASSERT_EQ(OverrideEngineHost("0=https://127.0.0.1:4323"), kHostsOk);
    const EngineHosts hosts = CurrentEngineHosts();
    EXPECT_EQ(SearchUrl(EngineId::Google, "x", 0, "", ""), "https://127.0.0.1:4322/search?q=x");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::Google, "s"),
              "https://127.0.0.1:4322/search?q=link%3As");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::AltaVista, "s").substr(0, 28),
              "https://127.0.0.1:4323/web/r");
    ClearEngineHostOverrides();
}

TEST(LinkCountUrlTest, NineEnginesAndTheirHosts) {
    const EngineHosts hosts = DistinctHosts();
    const std::string u = "www.site.com/a b";  // put in as stored: not encoded
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::AltaVista, u),
              "h0/web/results?pg=q&sc=on&q=link%3Awww.site.com/a b&k1=XX&stype=stextsite.com/a "
              "b&search=Search");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::Google, u),
              "http://h1/search?q=link%3Awww.site.com/a b");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::AllTheWeb, u),
              "http://h2b/search?cat=web&cs=utf-8&q=link%3Awww.site.com/a b&_sb_lang=en");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::MSN, u),
              "http://h3/results.aspx?q=link%3Awww.site.com/a b&FORM=SMCRT");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::HotBot, u),
              "http://h4/default.asp?prov=FAST&query=link%3Awww.site.com/a b&ps=&loc=&tab=web");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::Euroseek, u),
              "http://h5b:8080/system/search.cgi?mode=internet&string=link%3Awww.site.com/a "
              "b&language=en");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::Yahoo, u),
              "http://h6/search?p=link%3Awww.site.com/a b&ei=UTF-8&fr=fp-tab-web-t&cop=mss&tab=");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::Excite, u),
              "http://h8/info.xcite/search/web/link%25253Awww.site.com/a b");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::AOL, u),
              "http://h10/aolcom/search?query=link%3Awww.site.com/a b&page=1");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::Overture, u), "");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::AskJeeves, u), "");
    for (EngineId id : kAllEngines) {
        EXPECT_EQ(HasLinkCount(id), !LinkCountUrl(hosts, id, u).empty());
    }
}

TEST(LinkCountUrlTest, AltaVistaShortensItsSecondCopyOnlyWhenWwwOccurs) {
    const EngineHosts hosts = DistinctHosts();
    EXPECT_EQ(
        LinkCountUrl(hosts, EngineId::AltaVista, "site.com"),
        "h0/web/results?pg=q&sc=on&q=link%3Asite.com&k1=XX&stype=stextsite.com&search=Search");
    // "www" anywhere, not only in front, costs the first four characters.
    EXPECT_EQ(
        LinkCountUrl(hosts, EngineId::AltaVista, "my-www.org"),
        "h0/web/results?pg=q&sc=on&q=link%3Amy-www.org&k1=XX&stype=stextww.org&search=Search");
    EXPECT_EQ(LinkCountUrl(hosts, EngineId::AltaVista, "www"),
              "h0/web/results?pg=q&sc=on&q=link%3Awww&k1=XX&stype=stext&search=Search");
}

std::vector<std::string> HeadersAfterPrepare(EngineId id, EnginePurpose purpose,
                                             std::string_view language) {
    CWebClient client;
    PrepareEngineRequest(client, id, purpose, language);
    return client.RequestHeaders();
}

TEST(EngineRequestTest, HeaderLinesPerEngineAndPurpose) {
    CurrentProxySettings() = ProxySettings{};
    const std::string lang = "Accept-Language:fr\r\n";
    const std::string agent = std::string(kEngineUserAgent) + "\r\n";
    using Lines = std::vector<std::string>;
    struct Row {
        EngineId id;
        Lines search;
        Lines link;
    };
    const std::vector<Row> rows = {
        {EngineId::AltaVista, {lang, agent}, {lang}},
        {EngineId::Google, {}, {}},
        {EngineId::AllTheWeb, {lang}, {lang}},
        {EngineId::MSN, {lang}, {lang, agent}},
        {EngineId::HotBot, {lang}, {lang}},
        {EngineId::Euroseek, {lang}, {lang}},
        {EngineId::Yahoo, {lang, agent}, {lang, agent}},
        {EngineId::Overture, {lang, agent}, {}},
        {EngineId::Excite, {lang, agent}, {lang, agent}},
        {EngineId::AskJeeves, {lang, agent}, {}},
        {EngineId::AOL, {lang}, {lang, agent}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(EngineNames(row.id).engine));
        EXPECT_EQ(HeadersAfterPrepare(row.id, EnginePurpose::KeywordSearch, "fr"), row.search);
        if (HasLinkCount(row.id)) {
            EXPECT_EQ(HeadersAfterPrepare(row.id, EnginePurpose::LinkCount, "fr"), row.link);
        }
        // No language, no Accept-Language line; the User-Agent stays.
        Lines withoutLanguage;
        for (const std::string& line : row.search) {
            if (line != lang) {
                withoutLanguage.push_back(line);
            }
        }
        EXPECT_EQ(HeadersAfterPrepare(row.id, EnginePurpose::KeywordSearch, ""), withoutLanguage);
    }
}

TEST(EngineRequestTest, ProxyCredentialsComeFirst) {
    ProxySettings& proxy = CurrentProxySettings();
    proxy = ProxySettings{};
    proxy.user = "me";
    proxy.password = "pw";
    // No address: the engine is asked directly and never sees the proxy's credentials.
    CWebClient direct;
    PrepareEngineRequest(direct, EngineId::Yahoo, EnginePurpose::KeywordSearch, "de");
    EXPECT_EQ(direct.UsingProxy(), 0);
    EXPECT_EQ(direct.RequestHeaders(),
              (std::vector<std::string>{"Accept-Language:de\r\n",
                                        std::string(kEngineUserAgent) + "\r\n"}));
    proxy.address = "10.0.0.7";
    proxy.port = "3128";
    CWebClient client;
    PrepareEngineRequest(client, EngineId::Yahoo, EnginePurpose::KeywordSearch, "de");
    EXPECT_EQ(client.UsingProxy(), 1);
    EXPECT_EQ(client.RequestHeaders(),
              (std::vector<std::string>{"Proxy-Authorization: Basic bWU6cHc=\r\n",
                                        "Accept-Language:de\r\n",
                                        std::string(kEngineUserAgent) + "\r\n"}));
    proxy = ProxySettings{};
}

}  // namespace
}  // namespace sg
