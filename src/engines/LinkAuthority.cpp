#include "engines/LinkAuthority.h"

#include <filesystem>
#include <system_error>

#include "engines/CcRanksIndex.h"
#include "engines/OpenPageRank.h"
#include "engines/RegistrableDomain.h"
#include "model/ProgressSink.h"

namespace sg {
namespace {

std::string RanksFileProblem(int result) {
    switch (result) {
        case CcRanksIndex::kNoRanksFile:
            return "ranks file cannot be read";
        case CcRanksIndex::kNotRanksFile:
            return "not a domain ranks file";
        case CcRanksIndex::kIndexNotWritten:
            return "ranks index cannot be written";
        case CcRanksIndex::kCancelled:
            return "cancelled";
        default:
            return "failed";
    }
}

void LookUpRanks(const LinkAuthoritySettings& settings, const std::string& indexFolder,
                 std::vector<AuthorityLookup>& lookups) {
    std::string problem;
    CcRanksIndex index;
    if (settings.ranksFile.empty()) {
        problem = "no ranks file chosen";
    } else if (indexFolder.empty()) {
        problem = RanksFileProblem(CcRanksIndex::kIndexNotWritten);
    } else {
        // The settings folder is made by the first setting saved; a demo may come first.
        std::error_code ignored;
        std::filesystem::create_directories(indexFolder, ignored);
        const std::string indexPath = CcRanksIndex::IndexPathFor(indexFolder, settings.ranksFile);
        bool scanned = false;
        // The first lookup in a file reads it whole (a minute for the published one).
        SetProgressCaption("Link Popularity in progress... Common Crawl domain ranks");
        const int result = index.Open(settings.ranksFile, indexPath, &scanned);
        if (scanned && result == CcRanksIndex::kOk) {
            LogProgressLine("Indexed " + std::to_string(index.Domains()) +
                            " domains of the Common Crawl ranks file " + settings.ranksFile);
        }
        if (result != CcRanksIndex::kOk) {
            problem = RanksFileProblem(result);
        }
    }
    for (AuthorityLookup& lookup : lookups) {
        if (!problem.empty()) {
            lookup.ccWhy = problem;
            continue;
        }
        const CcRank rank = index.Find(ReversedDomain(lookup.data.domain));
        if (!rank.Ranked()) {
            lookup.ccWhy = "not ranked";
            continue;
        }
        lookup.data.ccHarmonicRank = rank.harmonicPos;
        lookup.data.ccPageRankRank = rank.pageRankPos;
    }
}

void LookUpScores(const LinkAuthoritySettings& settings, std::vector<AuthorityLookup>& lookups) {
    std::vector<std::string> domains;
    domains.reserve(lookups.size());
    for (const AuthorityLookup& lookup : lookups) {
        domains.push_back(lookup.data.domain);
    }
    const std::vector<OprScore> scores = AskOpenPageRank(settings.oprUrl, settings.oprKey, domains);
    for (std::size_t i = 0; i < lookups.size() && i < scores.size(); ++i) {
        if (scores[i].result == kOprOk) {
            lookups[i].data.oprScore = scores[i].score;
            lookups[i].data.oprRank = scores[i].rank;
            if (!scores[i].rank) {
                lookups[i].oprWhy = "no rank given";
            }
        } else {
            lookups[i].oprWhy = scores[i].why;
        }
    }
}

}  // namespace

std::vector<AuthorityLookup> LookUpLinkAuthority(const LinkAuthoritySettings& settings,
                                                 const std::string& indexFolder,
                                                 std::span<const std::string> sites) {
    const PublicSuffixes suffixes;
    std::vector<AuthorityLookup> lookups(sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const auto own = settings.domainOf.find(sites[i]);
        lookups[i].data.domain =
            own != settings.domainOf.end() ? own->second : suffixes.RegistrableDomain(sites[i]);
    }
    LookUpRanks(settings, indexFolder, lookups);
    LookUpScores(settings, lookups);
    for (AuthorityLookup& lookup : lookups) {
        std::string& error = lookup.data.error;
        if (!lookup.ccWhy.empty()) {
            error = "Common Crawl: " + lookup.ccWhy;
        }
        if (!lookup.oprWhy.empty()) {
            error += (error.empty() ? "" : "; ") + std::string("Open PageRank: ") + lookup.oprWhy;
        }
    }
    return lookups;
}

}  // namespace sg
