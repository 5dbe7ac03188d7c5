#pragma once
// A page's canonical links (<link rel=canonical href>), read as search engines read them.

#include <string>
#include <vector>

namespace sg {

// What a page's canonical links name: the address (empty when there are none, or when they
// cannot be used) and why they cannot be used (a relative or unparsable address, several that
// disagree; several equal ones are one). Search engines ignore canonical links they cannot use.
struct AuditCanonical {
    std::string url;
    std::string problem;
};
AuditCanonical ReadAuditCanonical(const std::vector<std::string>& hrefs);

}  // namespace sg
