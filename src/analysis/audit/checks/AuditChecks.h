#pragma once
// The Site Audit's checks: one row per check, in the order reports and --help list them. A check
// is named in the data by its identifier (AuditCheckIds.h, in the same order); its severity is
// fixed here, and its summary names the rules' bounds (AuditRules.h). A new check is a new
// identifier, a new row and a rule that finds it.

#include <span>
#include <string_view>
#include <vector>

#include "model/AuditResults.h"

namespace sg {

struct AuditCheck {
    std::string_view id;
    AuditSeverity severity;
    // The group the reports put it under ("Answers", "Indexing", ...).
    std::string_view category;
    // One line for a person: what fails the check.
    std::string_view summary;
    // What a site owner does to pass it.
    std::string_view fix;
};

// Every check, grouped by category; made on first use and never changed.
std::span<const AuditCheck> AuditChecks();

// The groups of categories the summary page charts ("Indexing", "Answers", "Content", "HTTPS",
// "Speed", "Images and links", "Languages and documents"), and the group of a check (an index
// into them).
std::vector<std::string_view> AuditChartGroups();
std::size_t AuditChartGroupOf(const AuditCheck& check);

// Whether a check judges what only a browser shows (a rendered page's scripts, lab figures and
// errors): a site audited without one is not judged by it.
bool AuditCheckNeedsBrowser(std::string_view id);

// The row of `id`, or nullptr.
const AuditCheck* FindAuditCheck(std::string_view id);

}  // namespace sg
