#pragma once
// What the audit keeps of a rendered page besides its facts: the page before its scripts, set
// against the document after them, the browser's figures and what went wrong in it.

#include <memory>

#include "analysis/audit/gather/AuditSiteData.h"
#include "analysis/crawl/AnswerLinks.h"
#include "html/PageFacts.h"
#include "net/Answer.h"

namespace sg {

// The texts of `facts` that scripts can change (AuditScriptTexts), cut as it says.
AuditScriptTexts ScriptTextsOf(const PageFacts& facts);

// What the audit keeps of `got` (a rendered answer: `got.rendered` is set), whose document after
// its scripts has the links `after`: the source body read once more for its facts and links
// (ReadPageFacts, ExtractSourceLinks). Linear in the sizes of both bodies; bounded as
// AuditRender says.
std::shared_ptr<const AuditRender> ReadAuditRender(const Answer& got, const FoundLinks& after);

}  // namespace sg
