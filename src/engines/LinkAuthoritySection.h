#pragma once
// The "Link authority today" table of the Link Popularity report, after the engines' tables:
// a row per site (the own site, the project's first, marked) with the Common Crawl
// harmonic-centrality and PageRank ranks and the Open PageRank score and rank. Each run also
// appends to the authority history and redraws its chart page.

#include "model/Project.h"

namespace sg {

inline constexpr const char* kAuthorityHeading = "Link authority today";

// Looks up every site with App().authority (the ranks index in App().paths.configDir), appends
// the heading, the table and a note linking to the history page to the project's pageToOpen,
// keeps the figures in App().results (when set), and appends to the history. A cell without a
// figure says why ("not ranked", "key refused (HTTP 401)"), never 0. False when the run was
// cancelled before anything was written.
bool LinkAuthoritySection(Project& project);

}  // namespace sg
