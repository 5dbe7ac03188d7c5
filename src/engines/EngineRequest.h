#pragma once
// How a request to an engine is made: a fresh client with the proxy settings and the header
// lines that engine gets for the purpose.

#include <string>
#include <string_view>

#include "engines/EngineId.h"
#include "net/CWebClient.h"

namespace sg {

enum class EnginePurpose {
    KeywordSearch,
    LinkCount,
};

inline constexpr const char* kEngineUserAgent =
    "User-Agent: Mozilla/2.0 (compatible; MSIE 5.0; Windows 98; DigExt)";

// Applies the process-wide proxy settings, then "Accept-Language:" + language (no blank) where
// the engine's row has it and the language is not empty, then the User-Agent line where the row
// has it. Google never gets an Accept-Language line (its language travels in the address).
void PrepareEngineRequest(CWebClient& client, EngineId id, EnginePurpose purpose,
                          std::string_view language);
// The same with RequestLanguageCode().
void PrepareEngineRequest(CWebClient& client, EngineId id, EnginePurpose purpose);

// A whole engine request: a fresh client, prepared as above, the address fetched with up to
// three attempts. 0 and the body in `page`, or the client's last result and `page` empty; a
// TLS failure's line (TlsProblemText) goes to `problem` when given (for a caller that reports
// it itself), else to the run's progress log.
int FetchEnginePage(EngineId id, EnginePurpose purpose, const std::string& address,
                    std::string& page, std::string* problem = nullptr);

}  // namespace sg
