#include "engines/EngineRequest.h"

#include <array>
#include <vector>

#include "model/ProgressSink.h"
#include "net/ApplyProxySettings.h"
#include "net/CWebClient.h"
#include "net/RequestLanguage.h"
#include "net/TlsProblemLog.h"

namespace sg {
namespace {

struct HeaderSet {
    bool acceptLanguage;
    bool userAgent;
};

struct HeaderRow {
    HeaderSet keywordSearch;
    HeaderSet linkCount;
};

// Overture and AskJeeves are never asked for a link count; their link-count entries are unused.
constexpr std::array<HeaderRow, kEngineCount> kHeaders = {{
    {{true, true}, {true, false}},     // AltaVista
    {{false, false}, {false, false}},  // Google
    {{true, false}, {true, false}},    // AllTheWeb
    {{true, false}, {true, true}},     // MSN
    {{true, false}, {true, false}},    // HotBot
    {{true, false}, {true, false}},    // Euroseek
    {{true, true}, {true, true}},      // Yahoo
    {{true, true}, {false, false}},    // Overture
    {{true, true}, {true, true}},      // Excite
    {{true, true}, {false, false}},    // AskJeeves
    {{true, false}, {true, true}},     // AOL
}};

constexpr int kAttempts = 3;

}  // namespace

void PrepareEngineRequest(CWebClient& client, EngineId id, EnginePurpose purpose,
                          std::string_view language) {
    ApplyProxySettings(client);
    // The engines get their own header lines only.
    client.SetNamesProgram(false);
    const HeaderRow& row = kHeaders[EngineIndex(id)];
    const HeaderSet& set =
        purpose == EnginePurpose::KeywordSearch ? row.keywordSearch : row.linkCount;
    if (set.acceptLanguage && !language.empty()) {
        const std::string line = "Accept-Language:" + std::string(language);
        client.AddRequestHeader(line.c_str());
    }
    if (set.userAgent) {
        client.AddRequestHeader(kEngineUserAgent);
    }
}

void PrepareEngineRequest(CWebClient& client, EngineId id, EnginePurpose purpose) {
    PrepareEngineRequest(client, id, purpose, RequestLanguageCode());
}

int FetchEnginePage(EngineId id, EnginePurpose purpose, const std::string& address,
                    std::string& page, std::string* problem) {
    page.clear();
    CWebClient client;
    PrepareEngineRequest(client, id, purpose);
    const int result = client.FetchPageRetrying(address, kAttempts);
    if (result == CWebClient::kFetchOk) {
        page = client.BodyText();
    } else {
        const std::string text = TlsProblemText(client.Result(), address);
        if (problem != nullptr) {
            *problem = text;
        } else if (!text.empty()) {
            LogProgressLine(text);
        }
    }
    return result;
}

}  // namespace sg
