// Times a lookup in a Common Crawl domain ranks file through its index: the first one scans the
// file and writes the index, a later one reads the index only. Run it twice under
// /usr/bin/time -v for the peak memory of each. Usage:
//   sitegauge_ccranks_bench RANKS_FILE INDEX_FOLDER REVERSED_DOMAIN...
#include <chrono>
#include <cstdio>
#include <string>

#include "engines/CcRanksIndex.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RANKS_FILE INDEX_FOLDER REVERSED_DOMAIN...\n", argv[0]);
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    sg::CcRanksIndex index;
    bool scanned = false;
    const int result =
        index.Open(argv[1], sg::CcRanksIndex::IndexPathFor(argv[2], argv[1]), &scanned);
    if (result != sg::CcRanksIndex::kOk) {
        std::fprintf(stderr, "open failed: %d\n", result);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const sg::CcRank rank = index.Find(argv[i]);
        std::printf("%s\t%u\t%u\n", argv[i], rank.harmonicPos, rank.pageRankPos);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%s lookup: %.3f s, %llu domains, %llu malformed lines\n",
                scanned ? "first (scan)" : "later (index)", seconds,
                static_cast<unsigned long long>(index.Domains()),
                static_cast<unsigned long long>(index.Malformed()));
    return 0;
}
