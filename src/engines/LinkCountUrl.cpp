#include "engines/LinkCountUrl.h"

namespace sg {

std::string LinkCountUrl(const EngineHosts& hosts, EngineId id, std::string_view site) {
    const std::string u(site);
    const std::string http = EngineHosts::Address(hosts.LinkHost(id));
    switch (id) {
        case EngineId::AltaVista: {
            // The second copy of the site loses its first four characters when it holds "www"
            // anywhere, meant to drop a leading "www.".
            std::string shortened = u;
            if (site.find("www") != std::string_view::npos) {
                shortened.erase(0, 4);
            }
            return hosts.LinkHost(id) + "/web/results?pg=q&sc=on&q=link%3A" + u +
                   "&k1=XX&stype=stext" + shortened + "&search=Search";
        }
        case EngineId::Google:
            return http + "/search?q=link%3A" + u;
        case EngineId::AllTheWeb:
            return http + "/search?cat=web&cs=utf-8&q=link%3A" + u + "&_sb_lang=en";
        case EngineId::MSN:
            return http + "/results.aspx?q=link%3A" + u + "&FORM=SMCRT";
        case EngineId::HotBot:
            return http + "/default.asp?prov=FAST&query=link%3A" + u + "&ps=&loc=&tab=web";
        case EngineId::Euroseek:
            return http + "/system/search.cgi?mode=internet&string=link%3A" + u + "&language=en";
        case EngineId::Yahoo:
            return http + "/search?p=link%3A" + u + "&ei=UTF-8&fr=fp-tab-web-t&cop=mss&tab=";
        case EngineId::Excite:
            // The query word is encoded three times over: "link:" -> %3A -> %253A -> %25253A.
            return http + "/info.xcite/search/web/link%25253A" + u;
        case EngineId::AOL:
            return http + "/aolcom/search?query=link%3A" + u + "&page=1";
        case EngineId::Overture:
        case EngineId::AskJeeves:
            break;
    }
    return {};
}

std::string LinkCountUrl(EngineId id, std::string_view site) {
    return LinkCountUrl(CurrentEngineHosts(), id, site);
}

}  // namespace sg
