#include "engines/ResultMarkers.h"

#include <array>

#include "engines/MarkerCut.h"

namespace sg {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

constexpr std::array<ResultMarkers, kEngineCount> kMarkers = {{
    {"class=ngrn>", "", "<"},
    {"class=g", "href=", ">"},
    {"class=\"result\"", "class=\"resURL\">", "<"},
    {"class=\"u\">", "", "<"},
    {"class=\"res\"", "href=\"", "\""},
    {"class=\"esigrrt\"", "href=\"", "\""},
    {"class=yschlp", "<em>", "</em>"},
    {"<li style=\"margin-left:20px;\">", "<em>", "</em>"},
    {"<span class=\"Heading-Sponsors\">", "http://", "<"},
    {"<span class=\"t\">", "http://", "<"},
    {"<li class=\"resultItem\">", "<span class=\"small url\">http://", "</span>"},
}};

bool HotBotHasNextPage(std::string_view page) {
    MarkerCut rest = After(page, "Previous");
    if (!rest) {
        return false;
    }
    // One character more than the word itself.
    rest->remove_prefix(rest->empty() ? 0 : 1);
    const MarkerCut between = UpTo(*rest, "Next");
    return between && between->find("<a") != kNone;
}

std::string MsnNext(std::string_view page, const std::string& host) {
    const MarkerCut text =
        UpTo(After(After(After(page, "PREVIOUS"), "class=\"pn\""), "href=\""), "\"");
    return text ? EngineHosts::Address(host) + "/" + std::string(*text) : std::string();
}

std::string YahooNext(std::string_view page) {
    const MarkerCut text = UpTo(After(page, "R=next/*-"), "\"");
    return text ? std::string(*text) : std::string();
}

std::string OvertureNext(std::string_view page, const std::string& host) {
    const MarkerCut text = UpTo(
        After(After(page,
                    "<p style=\"float:right;margin:0px;padding-right:10px;padding-bottom:6px;\""),
              "href="),
        ">");
    return text ? EngineHosts::Address(host) + std::string(*text) : std::string();
}

std::string ExciteNext(std::string_view page) {
    MarkerCut text = UpTo(page, "Next >");
    if (text) {
        const std::size_t open = text->rfind('<');
        text = open == kNone ? MarkerCut() : MarkerCut(text->substr(open));
    }
    text = UpTo(After(text, "href=\"http://"), "\"");
    return text ? std::string(*text) : std::string();
}

std::string AskJeevesNext(std::string_view page) {
    MarkerCut text = UpTo(page, "class=\"ps\">Next");
    if (text) {
        const std::size_t scheme = text->rfind("http:");
        text = scheme == kNone ? MarkerCut() : MarkerCut(text->substr(scheme + 5));
    }
    text = UpTo(text, "\"");
    return text ? "http:" + std::string(*text) : std::string();
}

}  // namespace

const ResultMarkers& EngineResultMarkers(EngineId id) {
    return kMarkers[EngineIndex(id)];
}

bool HasLastPageTest(EngineId id) {
    return id == EngineId::AltaVista || id == EngineId::AllTheWeb || id == EngineId::HotBot ||
           id == EngineId::Yahoo;
}

bool PageHasNextPage(EngineId id, std::string_view page) {
    switch (id) {
        case EngineId::AltaVista:
        case EngineId::AllTheWeb:
        case EngineId::Yahoo:
            return page.find("Next") != kNone;
        case EngineId::HotBot:
            return HotBotHasNextPage(page);
        default:
            return true;
    }
}

bool HasNextPageAddress(EngineId id) {
    return id == EngineId::MSN || id == EngineId::Yahoo || id == EngineId::Overture ||
           id == EngineId::Excite || id == EngineId::AskJeeves;
}

namespace {

// The address cut from a result page goes into the next request line: a blank or a control
// byte in it would end that line early, so such an address counts as none.
std::string Sendable(std::string address) {
    for (const char c : address) {
        if (static_cast<unsigned char>(c) <= 0x20) {
            return {};
        }
    }
    return address;
}

std::string CutNextPageAddress(EngineId id, std::string_view page, const EngineHosts& hosts) {
    switch (id) {
        case EngineId::MSN:
            return MsnNext(page, hosts.SearchHost(id));
        case EngineId::Yahoo:
            return YahooNext(page);
        case EngineId::Overture:
            return OvertureNext(page, hosts.SearchHost(id));
        case EngineId::Excite:
            return ExciteNext(page);
        case EngineId::AskJeeves:
            return AskJeevesNext(page);
        default:
            return {};
    }
}

}  // namespace

std::string NextPageAddress(EngineId id, std::string_view page, const EngineHosts& hosts) {
    return Sendable(CutNextPageAddress(id, page, hosts));
}

std::string NextPageAddress(EngineId id, std::string_view page) {
    return NextPageAddress(id, page, CurrentEngineHosts());
}

}  // namespace sg
