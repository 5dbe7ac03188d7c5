// Live engines against the real SearXNG of the test kit (../shared/searxng): the instance runs
// on a free loopback port with json_engine engines that ask a page this test serves, and
// sitegauge-cli searches it as a user would. Each test says plainly when the kit is missing.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliRunner.h"
#include "platform/FileSystem.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

extern char** environ;

namespace sg {
namespace {

using ::testing::HasSubstr;

std::string KitFile(const char* name) {
    std::string text;
    ReadWholeFile(std::string(SITEGAUGE_SEARXNG_DEST) + "/" + name, text);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// The value of `name` in a query string, decoded as a form sends it.
std::string FormValue(const std::string& target, const std::string& name) {
    const std::size_t query = target.find('?');
    std::size_t at = query == std::string::npos ? std::string::npos : query + 1;
    while (at != std::string::npos && at < target.size()) {
        const std::size_t end = target.find('&', at);
        const std::string pair = target.substr(at, end == std::string::npos ? end : end - at);
        if (pair.starts_with(name + "=")) {
            std::string value;
            for (std::size_t i = name.size() + 1; i < pair.size(); ++i) {
                if (pair[i] == '+') {
                    value += ' ';
                } else if (pair[i] == '%' && i + 2 < pair.size()) {
                    value += static_cast<char>(std::stoi(pair.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                } else {
                    value += pair[i];
                }
            }
            return value;
        }
        at = end == std::string::npos ? end : end + 1;
    }
    return {};
}

// The engines' page: 10 results a page, 30 in all, "https://ENGINE-N.example/" at rank N, except
// where an engine puts the test's sites. "flaky" answers 500.
std::string EnginePage(const std::string& target, int& status) {
    const std::string engine = FormValue(target, "engine");
    const int page = std::max(1, std::atoi(FormValue(target, "page").c_str()));
    if (engine == "flaky") {
        status = 500;
        return "failing on purpose";
    }
    status = 200;
    // Rank (over all pages) -> address.
    std::map<int, std::string> placed;
    std::map<int, bool> thumbnails;
    if (engine == "alpha") {
        placed = {{3, "https://rival.test/"}, {14, "https://www.own.test/tea"}};
    } else if (engine == "dup") {
        // The same page in two schemes: merged into one result by the instance.
        placed = {{1, "http://www.dup.test/page"},
                  {6, "https://www.dup.test/page"},
                  {9, "https://www.own.test/"}};
    } else if (engine == "thumbs") {
        placed = {{2, "https://www.own.test/"}, {5, "https://rival.test/"}};
        thumbnails = {{2, true}, {4, true}};
    } else if (engine == "loop back") {
        placed = {{5, "https://www.own.test/"}};
    } else if (engine == "9lives") {
        placed = {{7, "https://www.own.test/"}};
    } else if (engine == "idn") {
        placed = {{3, "https://xn--caf-dma.example/menu"}};
    }
    nlohmann::json results = nlohmann::json::array();
    const int last = engine == "thumbs" || engine == "dup" ? 10 : 30;
    for (int rank = (page - 1) * 10 + 1; rank <= std::min(page * 10, last); ++rank) {
        nlohmann::json item = {{"title", "result " + std::to_string(rank)},
                               {"content", "rank " + std::to_string(rank)}};
        const auto found = placed.find(rank);
        item["url"] = found != placed.end() ? found->second
                                            : "https://e" + std::to_string(engine.size()) + "-" +
                                                  std::to_string(rank) + ".example/";
        if (thumbnails.count(rank) != 0) {
            item["thumbnail"] = "https://img.example/" + std::to_string(rank) + ".png";
        }
        results.push_back(item);
    }
    return nlohmann::json{{"results", results}}.dump();
}

// One SearXNG instance of the kit, started by instance.py on a free loopback port.
class Instance {
  public:
    Instance(const std::string& kit, int pagePort, bool json) {
        for (int attempt = 0; attempt < 3 && pid_ <= 0; ++attempt) {
            port_ = test::LoopbackServer::ClosedPort();
            Start(kit, pagePort, json);
        }
    }
    ~Instance() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    bool Ready() const { return pid_ > 0; }
    std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
    const std::string& Problem() const { return problem_; }

  private:
    static int Spawn(std::vector<std::string> args, pid_t& pid, const std::string& log) {
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int result = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return result;
    }

    void Start(const std::string& kit, int pagePort, bool json) {
        const std::string dest = SITEGAUGE_SEARXNG_DEST;
        const std::string log = dest + "/instance-" + std::to_string(port_) + ".log";
        const std::string page = "http://127.0.0.1:" + std::to_string(pagePort) +
                                 "/search?engine={name}&q={query}&page={pageno}";
        std::vector<std::string> args = {
            "/usr/bin/python3", kit + "/instance.py",  "--dest",    dest,
            "--port",           std::to_string(port_), "--formats", json ? "html,json" : "html"};
        // name, options
        const std::vector<std::pair<std::string, std::string>> engines = {
            {"alpha", ",paging,shortcut=al"},
            {"beta", ",paging"},
            {"dup", ""},
            {"thumbs", ""},
            {"flaky", ",paging"},
            {"loop back", ",paging"},
            {"9lives", ",paging"},
            {"idn", ",paging"}};
        for (const auto& [name, options] : engines) {
            std::string url = page;
            url.replace(url.find("{name}"), 6, name == "loop back" ? "loop+back" : name);
            args.push_back("--engine");
            args.push_back(name + "=" + url + options);
        }
        pid_t pid = 0;
        if (Spawn(args, pid, log) != 0) {
            problem_ = "instance.py could not be started";
            return;
        }
        pid_t waiter = 0;
        if (Spawn({"/usr/bin/python3", kit + "/instance.py", "--wait-ready", "--port",
                   std::to_string(port_), "--timeout", "30", "--pid", std::to_string(pid)},
                  waiter, log) != 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
            problem_ = "instance.py --wait-ready could not be started";
            return;
        }
        int status = 0;
        ::waitpid(waiter, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            pid_ = pid;
            return;
        }
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        std::string text;
        ReadWholeFile(log, text);
        problem_ = "SearXNG did not start: " + text;
    }

    int port_ = 0;
    pid_t pid_ = 0;
    std::string problem_;
};

class SearxngLiveTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        kit_ = new std::string(KitFile("kit"));
        if (kit_->empty()) {
            return;
        }
        page_ = new test::LoopbackServer(
            [](test::LoopbackConnection& conn) {
                const std::string head = conn.ReadUntilBlankLine();
                const std::size_t first = head.find(' ');
                const std::string target =
                    head.substr(first + 1, head.find(' ', first + 1) - first - 1);
                int status = 200;
                const std::string body = EnginePage(target, status);
                conn.Send("HTTP/1.1 " + std::to_string(status) +
                          (status == 200 ? " OK" : " Internal Server Error") +
                          "\r\nContent-Type: application/json\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            },
            test::LoopbackServer::Serving::Concurrently);
        // Both instances start at once: each takes a second or more to come up.
        std::thread htmlOnly([] { htmlOnly_ = new Instance(*kit_, page_->Port(), false); });
        instance_ = new Instance(*kit_, page_->Port(), true);
        htmlOnly.join();
    }
    static void TearDownTestSuite() {
        delete htmlOnly_;
        htmlOnly_ = nullptr;
        delete instance_;
        delete page_;
        delete kit_;
        instance_ = nullptr;
        page_ = nullptr;
        kit_ = nullptr;
    }
    void SetUp() override {
        if (kit_ == nullptr || kit_->empty()) {
            const char* ci = std::getenv("CI");
            if (ci != nullptr && std::strcmp(ci, "true") == 0) {
                FAIL() << "CI needs the real SearXNG: " << KitFile("missing");
            }
            // ctest reads this line as a skip (SKIP_REGULAR_EXPRESSION), so it shows in its
            // summary.
            const std::string why = "real SearXNG tests not run: " + KitFile("missing");
            std::printf("%s\n", why.c_str());
            GTEST_SKIP() << why;
        }
        ASSERT_TRUE(instance_->Ready()) << instance_->Problem();
    }

    // sitegauge-cli positions on the instance, its results as JSON; the report's text in
    // `report`.
    nlohmann::json Positions(const std::string& engines, const std::vector<std::string>& sites,
                             const std::vector<std::string>& keywords, std::string& report,
                             test::CliResult& run, const std::string& instance = {}) {
        std::vector<std::string> args = {"--metasearch",
                                         instance.empty() ? instance_->Address() : instance,
                                         "--metasearch-pause",
                                         "100",
                                         "positions",
                                         "--engines",
                                         engines,
                                         "--json",
                                         "results.json",
                                         "--name",
                                         "Tea"};
        for (const std::string& site : sites) {
            args.push_back("--url");
            args.push_back(site);
        }
        for (const std::string& keyword : keywords) {
            args.push_back("--keyword");
            args.push_back(keyword);
        }
        run = test::RunCli(work.path(), args);
        std::string data;
        ReadWholeFile(work / "results.json", data);
        const std::size_t end = run.out.find_last_not_of('\n');
        const std::size_t line = run.out.rfind('\n', end);
        ReadWholeFile(run.out.substr(line == std::string::npos ? 0 : line + 1,
                                     end == std::string::npos ? 0 : end - line),
                      report);
        return nlohmann::json::parse(data, nullptr, false);
    }

    // "site on engine" -> the position, or the error, or "x" for not found.
    static std::map<std::string, std::string> Cells(const nlohmann::json& results) {
        std::map<std::string, std::string> cells;
        if (!results.is_object()) {
            return cells;
        }
        for (const nlohmann::json& row : results["results"]) {
            const std::string key = row["keyword"].get<std::string>() + ": " +
                                    row["site"].get<std::string>() + " on " +
                                    row["engine"].get<std::string>();
            cells[key] = row["position"].is_number() ? std::to_string(row["position"].get<int>())
                         : row.contains("error")     ? "failed: " + row["error"].get<std::string>()
                                                     : "x";
        }
        return cells;
    }

    test::TempDir work;
    static std::string* kit_;
    static test::LoopbackServer* page_;
    static Instance* instance_;
    // The same engines on an instance that does not allow the JSON format.
    static Instance* htmlOnly_;
};

std::string* SearxngLiveTest::kit_ = nullptr;
test::LoopbackServer* SearxngLiveTest::page_ = nullptr;
Instance* SearxngLiveTest::instance_ = nullptr;
Instance* SearxngLiveTest::htmlOnly_ = nullptr;

// Pages 1 and 2, a duplicate in scheme, results with thumbnails, names with a blank and a
// leading digit, and an internationalised host: each position is the engine's own rank.
TEST_F(SearxngLiveTest, PositionsAreTheEnginesOwnRanks) {
    std::string report;
    test::CliResult run;
    const nlohmann::json results =
        Positions("alpha,dup,thumbs,loop back,9lives,idn",
                  {"www.own.test", "rival.test", "xn--caf-dma.example", "caf\xC3\xA9.example"},
                  {"green tea"}, report, run);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::map<std::string, std::string> cells = Cells(results);
    const std::map<std::string, std::string> expected = {
        {"green tea: www.own.test on alpha", "14"},
        {"green tea: rival.test on alpha", "3"},
        {"green tea: www.own.test on dup", "9"},
        {"green tea: rival.test on dup", "x"},
        {"green tea: www.own.test on thumbs", "2"},
        {"green tea: rival.test on thumbs", "5"},
        {"green tea: www.own.test on loop back", "5"},
        {"green tea: www.own.test on 9lives", "7"},
        {"green tea: xn--caf-dma.example on idn", "3"},
        {"green tea: caf\xC3\xA9.example on idn", "3"},
    };
    for (const auto& [key, value] : expected) {
        const auto found = cells.find(key);
        ASSERT_NE(found, cells.end()) << key << "\n" << results.dump(1);
        EXPECT_EQ(found->second, value) << key;
    }
    EXPECT_THAT(report, HasSubstr("loop back (live)</font>"));
    EXPECT_THAT(report, HasSubstr("engines=loop%20back&amp;pageno=1\"><u> 5 </u>"));
}

// An engine whose page answers 500 fails with the instance's reason, and so does the next
// keyword during its suspension (5 s in the kit), after one more asking: never "not found".
TEST_F(SearxngLiveTest, AFailingEngineAndItsSuspensionAreFailures) {
    std::string report;
    test::CliResult run;
    const nlohmann::json results =
        Positions("flaky", {"www.own.test"}, {"green tea", "black tea"}, report, run);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::map<std::string, std::string> cells = Cells(results);
    EXPECT_EQ(cells.at("green tea: www.own.test on flaky"), "failed: HTTP error");
    EXPECT_EQ(cells.at("black tea: www.own.test on flaky"), "failed: Suspended: HTTP error");
    EXPECT_THAT(run.err, HasSubstr("flaky is suspended by the instance (Suspended: HTTP error): "
                                   "asking again in 100 ms"));
    EXPECT_THAT(run.err, HasSubstr("flaky failed on position 0: HTTP error"));
    EXPECT_THAT(report, HasSubstr("<b>failed</b></font><br><font face=Verdana,Arial,Helvetica "
                                  "size=1>Suspended: HTTP error</font>"));

    // Another engine of the same run is not held up by it.
    const nlohmann::json other = Positions("alpha", {"www.own.test"}, {"black tea"}, report, run);
    EXPECT_EQ(Cells(other).at("black tea: www.own.test on alpha"), "14");
}

// A keyword whose first word is the bang of another engine is never reported as the chosen
// engine's ranks.
TEST_F(SearxngLiveTest, ABangKeywordFailsInsteadOfAskingAnotherEngine) {
    std::string report;
    test::CliResult run;
    const nlohmann::json results =
        Positions("beta", {"www.own.test", "rival.test"}, {"!al green tea"}, report, run);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::map<std::string, std::string> cells = Cells(results);
    EXPECT_EQ(cells.at("!al green tea: rival.test on beta"),
              "failed: the instance read the keyword as its query syntax and searched \"green "
              "tea\"");
}

// An instance that refuses the JSON format gets the message that says how to allow it.
TEST_F(SearxngLiveTest, AnInstanceWithoutJsonSaysHowToAllowIt) {
    ASSERT_TRUE(htmlOnly_->Ready()) << htmlOnly_->Problem();
    std::string report;
    test::CliResult run;
    const nlohmann::json results =
        Positions("alpha", {"www.own.test"}, {"green tea"}, report, run, htmlOnly_->Address());
    EXPECT_EQ(Cells(results).at("green tea: www.own.test on alpha"),
              "failed: the instance refuses JSON (403)");
    // Its /config still answers, so the engine is offered; the searches are refused.
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("refuses JSON results (403): enable the json format in its "
                                   "settings.yml (search: formats: [html, json]) and restart it"));
}

}  // namespace
}  // namespace sg
