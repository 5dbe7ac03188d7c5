#include "engines/EngineCatalogue.h"

#include <array>

namespace sg {
namespace {

struct CatalogueRow {
    EngineNameSet names;
    int pageStep;
};

// The list labels of Google, AllTheWeb, Yahoo and Overture lack their first letters; the report
// header puts them back in front.
constexpr std::array<CatalogueRow, kEngineCount> kRows = {{
    {{"AltaVista", "Altavista", "Altavista", "AltaVista", "Altavista"}, 10},
    {{"Google", "oogle", "Google", "Google", "Google"}, 10},
    {{"AllTheWeb", "TheWeb", "AllTheWeb", "AllTheWeb", "AllTheWeb"}, 10},
    {{"MSN", "MSN", "MSN", "MSN", "MSN"}, 15},
    {{"HotBot", "HotBot", "HotBot", "HotBot", "HotBot"}, 10},
    {{"Euroseek", "Euroseek", "Euroseek", "Euroseek", "Euroseek"}, 10},
    {{"Yahoo", "ahoo", "Yahoo", "Yahoo", "Yahoo"}, 20},
    {{"Overture", "verture", "Overture", "Overture", "Overture"}, 40},
    {{"Excite", "Excite", "Excite", "Excite", "Excite"}, 20},
    {{"AskJeeves", "AskJeeves", "AskJeeves", "AskJeeves", "AskJeeves"}, 10},
    {{"AOL", "AOL", "AOL", "AOL", "AOL"}, 10},
}};

}  // namespace

const EngineNameSet& EngineNames(EngineId id) {
    return kRows[EngineIndex(id)].names;
}

int PageStep(EngineId id) {
    return kRows[EngineIndex(id)].pageStep;
}

bool HasLinkCount(EngineId id) {
    return id != EngineId::Overture && id != EngineId::AskJeeves;
}

}  // namespace sg
