#pragma once
// What the Site Audit's pages share: an HTML5 document in UTF-8 with its own small style sheet
// (readable without scripts, printable, no file outside the page), the tutorial links at its
// foot, and the counting of a check's pages. Every value goes through ReportText or ReportAttr.

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "model/AuditResults.h"

namespace sg {

// "<!DOCTYPE html>" up to and including "<body>", with `title` (plain text) as the title.
std::string AuditPageStart(std::string_view title);
// The tutorial links and the end of the document, for a page in a run folder.
std::string AuditPageEnd();

// "2026-03-01 10:32", local time, the same in every locale.
std::string AuditDateText(std::time_t when);

// The href of a page in the same folder: "./" in front, so that no file name (a project's name
// is the user's) can read as a scheme ("javascript:...").
std::string AuditLocalHref(std::string_view file);

// The anchor of a check's section on a site's page ("check-title-missing").
std::string AuditCheckAnchor(std::string_view check);

// How many pages a check's findings are about (a finding without a page counts as one).
std::size_t AuditPagesOf(const std::vector<AuditFinding>& findings, std::string_view check);

}  // namespace sg
