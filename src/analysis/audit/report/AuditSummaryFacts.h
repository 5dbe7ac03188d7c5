#pragma once
// What a written Site Audit summary page says in brief, read back from the page (the audit
// keeps no other record of a run): its sites and its findings by severity, for the list of
// earlier runs.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

struct AuditSummaryFacts {
    // The project's addresses of the sites, in the page's order (UTF-8).
    std::vector<std::string> sites;
    // All sites' findings, indexed by AuditSeverity (error, warning, notice).
    std::array<std::size_t, 3> findings{};
};

// Reads `page`, as AuditSummaryPage writes it. False, with `facts` empty, when the page holds
// no sites (not a summary page, or one cut short).
bool ReadAuditSummaryFacts(std::string_view page, AuditSummaryFacts& facts);

}  // namespace sg
