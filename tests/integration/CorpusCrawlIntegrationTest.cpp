// The crawl on real documentation that none of us wrote (two Debian documentation packages,
// served by nginx from a copy with files of each kind removed, see test-servers.sh): every
// removed file a page links to is broken, every page is visited exactly once, and nothing that
// nginx serves is called broken. What to expect is worked out here from the files themselves:
// the removed files by listing the package against the copy, the links by reading each page's
// href and src attributes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <regex>
#include <set>
#include <string>

#include "analysis/crawl/LinkCrawler.h"
#include "html/Url.h"
#include "net/Fetcher.h"
#include "net/WebFetcher.h"
#include "platform/FileSystem.h"
#include "support/TestServers.h"

namespace sg {
namespace {

namespace fs = std::filesystem;

std::set<std::string> FilesUnder(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& item :
         fs::recursive_directory_iterator(root, fs::directory_options::follow_directory_symlink)) {
        if (fs::is_regular_file(item.path())) {
            files.insert(fs::relative(item.path(), root).generic_string());
        }
    }
    return files;
}

// The file a reference on page `page` (relative to `root`) names: "" for other sites, the page
// itself and anything that leaves the root.
std::string Target(const std::string& page, std::string value) {
    for (std::size_t at = value.find("&amp;"); at != std::string::npos; at = value.find("&amp;")) {
        value.replace(at, 5, "&");
    }
    value = value.substr(0, value.find_first_of("?#"));
    if (value.empty() || value.find(':') != std::string::npos || value.starts_with("//")) {
        return {};
    }
    const fs::path resolved =
        value.starts_with("/") ? fs::path(value) : (fs::path(page).parent_path() / value);
    const std::string normal = resolved.lexically_normal().generic_string();
    return normal.starts_with("..") ? std::string() : normal;
}

// The fetcher of the run, counting what it is asked: each address in order, "HEAD" or "GET".
class CountingFetcher : public Fetcher {
  public:
    void Start(const FetchRequest& request, RunControl& control, Done done) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            asked_[std::string(request.url.FetchKey())].push_back(request.head ? "HEAD" : "GET");
        }
        inner_.Start(request, control, std::move(done));
    }
    void Wake() override { inner_.Wake(); }
    std::map<std::string, std::vector<std::string>> Asked() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return asked_;
    }

  private:
    WebFetcher inner_;
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<std::string>> asked_;
};

int FromStyleSheets(const LinkCrawler& crawl) {
    int count = 0;
    for (int n = 0; n < crawl.RecordCount(); ++n) {
        count += crawl.RecordAt(n).fromPage.ends_with(".css") ? 1 : 0;
    }
    return count;
}

struct PageRefs {
    std::set<std::string> anchors;  // pages linked with <a href>
    std::set<std::string> all;      // every href and src
};

PageRefs ReadRefs(const fs::path& root, const std::string& page) {
    std::string text;
    ReadWholeFile((root / page).string(), text);
    static const std::regex anchor(R"re(<a\s[^>]*?href="([^"]*)")re");
    static const std::regex any(R"re(\s(?:href|src)="([^"]*)")re");
    PageRefs refs;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), anchor);
         it != std::sregex_iterator(); ++it) {
        if (const std::string target = Target(page, (*it)[1]); !target.empty()) {
            refs.anchors.insert(target);
        }
    }
    for (auto it = std::sregex_iterator(text.begin(), text.end(), any);
         it != std::sregex_iterator(); ++it) {
        if (const std::string target = Target(page, (*it)[1]); !target.empty()) {
            refs.all.insert(target);
        }
    }
    return refs;
}

TEST(CorpusCrawlIntegration, RemovedFilesAreBrokenEachPageIsVisitedOnceAndNothingElse) {
    SG_REQUIRE_SERVER(test::kNginxPort);
    const std::string host = "127.0.0.1:" + std::to_string(test::kNginxPort);
    int sites = 0;
    for (const std::string name : {"flask", "werkzeug"}) {
        const fs::path original = "/usr/share/doc/python-" + name + "-doc/html";
        const fs::path served = test::ServersDir() + "/site/corpus/" + name;
        if (!fs::is_directory(original) || !fs::is_directory(served)) {
            continue;
        }
        ++sites;
        SCOPED_TRACE(name);
        const std::set<std::string> before = FilesUnder(original);
        const std::set<std::string> after = FilesUnder(served);
        std::set<std::string> removed;
        for (const std::string& file : before) {
            if (after.count(file) == 0) {
                removed.insert(file);
            }
        }
        std::map<std::string, int> removedByKind;
        for (const std::string& file : removed) {
            ++removedByKind[fs::path(file).extension().string()];
        }

        // The pages reachable from the start page through anchors, and every file linked.
        std::set<std::string> reachable{"index.html"};
        std::vector<std::string> queue{"index.html"};
        std::set<std::string> linked;
        while (!queue.empty()) {
            const std::string page = queue.back();
            queue.pop_back();
            const PageRefs refs = ReadRefs(served, page);
            linked.insert(refs.all.begin(), refs.all.end());
            for (const std::string& target : refs.anchors) {
                if (target.ends_with(".html") && after.count(target) != 0 &&
                    reachable.insert(target).second) {
                    queue.push_back(target);
                }
            }
        }
        std::set<std::string> removedLinked;
        for (const std::string& file : removed) {
            if (linked.count(file) != 0) {
                removedLinked.insert(file);
            }
        }

        const std::string base = host + "/corpus/" + name + "/";
        CountingFetcher fetcher;
        LinkCrawler crawl(fetcher);
        crawl.CrawlSite(base + "index.html", true);
        // Each address is asked once for its answer: at most a HEAD and then a GET.
        int requests = 0, twice = 0;
        for (const auto& [address, methods] : fetcher.Asked()) {
            requests += static_cast<int>(methods.size());
            twice += methods.size() == 2 ? 1 : 0;
            EXPECT_TRUE(methods.size() == 1 ||
                        (methods.size() == 2 && methods[0] == "HEAD" && methods[1] == "GET"))
                << address << " asked " << methods.size() << " times: " << methods[0] << " "
                << methods.back();
        }

        // The file of an on-site record, "" for another site's.
        auto fileOf = [&](std::string_view link) {
            const std::string key(Url::FetchKeyOf(link));
            return key.starts_with(base) ? key.substr(base.size()) : std::string();
        };
        std::set<std::string> foundBroken;
        int falsePositives = 0, missedAvailable = 0;
        for (int n = 0; n < crawl.RecordCount(); ++n) {
            const CrawlRecord record = crawl.RecordAt(n);
            const std::string file = fileOf(record.link);
            if (file.empty()) {
                // Other sites point at a closed port.
                EXPECT_EQ(record.status, LinkStatus::Unreachable) << record.link;
                continue;
            }
            const bool exists = after.count(file) != 0 ||
                                (file.ends_with("/") && after.count(file + "index.html") != 0);
            if (record.status == LinkStatus::Broken) {
                foundBroken.insert(file);
                falsePositives += exists ? 1 : 0;
                EXPECT_FALSE(exists) << record.link << " on " << record.fromPage;
            } else {
                EXPECT_EQ(record.status, LinkStatus::Available) << record.link;
                EXPECT_EQ(record.httpStatus, 200) << record.link;
                missedAvailable += exists ? 0 : 1;
                EXPECT_TRUE(exists) << record.link << " on " << record.fromPage;
            }
        }
        int found = 0;
        for (const std::string& file : removedLinked) {
            found += foundBroken.count(file);
            EXPECT_EQ(foundBroken.count(file), 1u) << file << " is linked but not found broken";
        }

        std::map<std::string, int> visits;
        for (const LinkCrawler::Visit& visit : crawl.Visits()) {
            ++visits[Url::CompareKeyOf(crawl.RecordAt(visit.record).link)];
        }
        int htmlVisited = 0;
        for (const auto& [key, count] : visits) {
            EXPECT_EQ(count, 1) << key << " visited " << count << " times";
        }
        for (const std::string& page : reachable) {
            const int count = visits[Url::CompareKeyOf(base + page)];
            htmlVisited += count == 1 ? 1 : 0;
            EXPECT_EQ(count, 1) << page;
        }
        std::printf(
            "[corpus] %s: %zu pages served, %zu reachable, %d visited once (%zu visits in all); "
            "removed %d pages, %d images, %d stylesheets, %d scripts; %d of %zu removed files "
            "that pages link to found broken; %d false positives, %d missed; %d records; %d "
            "requests, %d addresses asked twice; %d records found on style sheets\n",
            name.c_str(),
            static_cast<std::size_t>(
                std::count_if(after.begin(), after.end(),
                              [](const std::string& f) { return f.ends_with(".html"); })),
            reachable.size(), htmlVisited, crawl.Visits().size(), removedByKind[".html"],
            removedByKind[".png"], removedByKind[".css"], removedByKind[".js"], found,
            removedLinked.size(), falsePositives, missedAvailable, crawl.RecordCount(), requests,
            twice, FromStyleSheets(crawl));
        // The set-up removed files that pages link to, and the sites are whole documentations.
        EXPECT_GE(removedLinked.size(), 5u);
        EXPECT_GT(reachable.size(), 30u);
    }
    if (sites == 0) {
        GTEST_SKIP() << "the documentation corpus is not installed (scripts/install-deps --test)";
    }
}

}  // namespace
}  // namespace sg
