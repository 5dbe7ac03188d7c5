#include "engines/SearchUrl.h"

namespace sg {
namespace {

std::string FirstPage(EngineId id, const std::string& host, std::string_view k) {
    std::string url = EngineHosts::Address(host);
    switch (id) {
        case EngineId::AltaVista:
            url += "/web/results?q=";
            url += k;
            url += "&kgs=0&kls=1&avkw=aapt";
            break;
        case EngineId::Google:
            url += "/search?q=";
            url += k;
            break;
        case EngineId::AllTheWeb:
            url += "/search?avkw=fogg&cat=web&cs=utf-8&q=";
            url += k;
            url += "&_sb_lang=pref";
            break;
        case EngineId::MSN:
            url += "/results.aspx?q=";
            url += k;
            break;
        case EngineId::HotBot:
            url += "/default.asp?query=";
            url += k;
            url += "&ps=&loc=searchbox&tab=web&provKey=Inktomi&prov=HotBot";
            break;
        case EngineId::Euroseek:
            url += "/system/search.cgi?mode=internet&string=";
            url += k;
            url += "&language=en";
            break;
        case EngineId::Yahoo:
            url += "/search?p=";
            url += k;
            url += "&ei=UTF-8&fr=fp-tab-web-t&cop=mss&tab=";
            break;
        case EngineId::Overture:
            url += "/d/search/?type=topbar&mkt=us&Keywords=";
            url += k;
            break;
        case EngineId::Excite:
            url += "/info.xcite/search/web/";
            url += k;
            url += "/";
            break;
        case EngineId::AskJeeves:
            url += "/web?q=";
            url += k;
            url += "&qsrc=1&o=0";
            break;
        case EngineId::AOL:
            url += "/aolcom/search?query=";
            url += k;
            url += "&page=1";
            break;
    }
    return url;
}

std::string LaterPage(EngineId id, const std::string& host, std::string_view k, int start,
                      std::string_view next, std::string_view language) {
    switch (id) {
        case EngineId::AltaVista:
            return FirstPage(id, host, k) + "&stq=" + std::to_string(start);
        case EngineId::Google: {
            std::string url = FirstPage(id, host, k);
            if (!language.empty()) {
                url += "&hl=";
                url += language;
            }
            return url + "&lr=&ie=UTF-8&start=" + std::to_string(start) + "&sa=N";
        }
        case EngineId::AllTheWeb:
            return FirstPage(id, host, k) + "&o=" + std::to_string(start);
        case EngineId::HotBot:
            return EngineHosts::Address(host) + "/default.asp?query=" + std::string(k) +
                   "&first=" + std::to_string(start + 1) +
                   "&offset=&page=more&ca=w&prov=Inktomi&date=&pc=&pcx=&pcu=";
        case EngineId::Euroseek:
            return EngineHosts::Address(host) +
                   "/system/search.cgi?mode=internet&start=" + std::to_string(start) +
                   "&string=" + std::string(k);
        case EngineId::AskJeeves:
            return FirstPage(id, host, k) + "&page=" + std::to_string(start / 10 + 1);
        case EngineId::AOL:
            return EngineHosts::Address(host) + "/aolcom/search?query=" + std::string(k) +
                   "&page=" + std::to_string(start / 10 + 1);
        case EngineId::MSN:
        case EngineId::Yahoo:
        case EngineId::Overture:
        case EngineId::Excite:
            break;
    }
    return std::string(next);
}

}  // namespace

std::string SearchUrl(const EngineHosts& hosts, EngineId id, std::string_view encodedKeyword,
                      int start, std::string_view next, std::string_view language) {
    const std::string& host = hosts.SearchHost(id);
    if (start == 0) {
        return FirstPage(id, host, encodedKeyword);
    }
    return LaterPage(id, host, encodedKeyword, start, next, language);
}

std::string SearchUrl(EngineId id, std::string_view encodedKeyword, int start,
                      std::string_view next, std::string_view language) {
    return SearchUrl(CurrentEngineHosts(), id, encodedKeyword, start, next, language);
}

}  // namespace sg
