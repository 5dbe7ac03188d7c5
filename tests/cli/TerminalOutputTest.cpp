// What the CLI prints from a server, a page or a profile reaches the terminal without control
// characters, so none of them can send an escape sequence.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <string_view>

#include "cli/CliRunner.h"
#include "platform/FileSystem.h"
#include "reports/CsvText.h"
#include "support/FakeFtpServer.h"
#include "support/FixtureSite.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::RunCli;

// No C0 control but those in `allowed`, no DEL, no C1 control (UTF-8 C2 80 .. C2 9F).
void ExpectNoControls(const std::string& text, std::string_view allowed = "\n\t") {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        EXPECT_FALSE((c < 0x20 && allowed.find(text[i]) == std::string_view::npos) || c == 0x7F)
            << i << ": " << text;
        if (c == 0xC2 && i + 1 < text.size()) {
            EXPECT_GE(static_cast<unsigned char>(text[i + 1]), 0xA0) << i << ": " << text;
        }
    }
}

TEST(CliTerminalOutput, OutsideTextLosesItsControlCharacters) {
    test::LoopbackServer site([](test::LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(
            "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nX-Note: \x1b]0;owned\x07\r\n\r\n"
            "<a href=\"a\x1b[2J.html\">a</a><frame src=\"f\x9d"
            "31m.html\">\r\n");
    });
    test::TempDir dir;
    test::CliResult run =
        RunCli(dir.path(), {"fetch", "127.0.0.1:" + std::to_string(site.Port()) + "/"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectNoControls(run.out);
    EXPECT_NE(run.out.find("header: X-Note: ?]0;owned?\n"), std::string::npos) << run.out;
    // Links are addresses: a control byte in one is percent-encoded before it is printed.
    EXPECT_NE(run.out.find("/a%1B%5B2J.html\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("/f%C2%9D31m.html\n"), std::string::npos) << run.out;

    test::FakeFtpServer ftp;
    ftp.ServeListing("-rw-r--r--   1 o g   5 Dec 25  2019 bad\x1b[5m\r\n");
    run = RunCli(dir.path(), {"ftp", "--host", "127.0.0.1:" + std::to_string(ftp.Port()), "--user",
                              "u", "--password", "p", "ls"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "- 5 2019-12-25 00:00 bad?[5m\n");

    ASSERT_EQ(RunCli(dir.path(), {"profile", "create", "p.swp", "--name", "N\x1b[8m", "--url",
                                  "x.com\x7f", "--keyword", "k\x1b"})
                  .exitCode,
              0);
    run = RunCli(dir.path(), {"profile", "show", dir / "p.swp"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectNoControls(run.out);
    EXPECT_NE(run.out.find("name: N?[8m\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("keyword: k?\n"), std::string::npos) << run.out;

    // The engine names a metasearch instance offers, in the message that lists them.
    test::LoopbackServer instance([](test::LoopbackConnection& conn) {
        conn.ReadUntilBlankLine();
        conn.Send(
            "HTTP/1.0 200 OK\r\nContent-Type: application/json\r\n\r\n"
            R"({"engines":[{"name":"x\u001b]0;owned\u0007\u009b2J","enabled":true,)"
            R"("categories":["general"]}]})");
    });
    run = RunCli(dir.path(), {"--metasearch", "http://127.0.0.1:" + std::to_string(instance.Port()),
                              "positions", "--engines", "google", "--name", "a", "--url", "a.test",
                              "--keyword", "k"});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    ExpectNoControls(run.err);
    EXPECT_NE(run.err.find("(it offers: x?]0;owned??2J)"), std::string::npos) << run.err;
}

// A page title that would clear the screen, set the window title, fill the clipboard or move the
// cursor reaches stdout as "?"s in the CSV and as escapes in the JSON; the CSV file keeps it.
TEST(CliTerminalOutput, HostileTitlesOnStdoutCarryNoControls) {
    const struct {
        const char* what;
        std::string title;
        std::string onTerminal;
    } kTitles[] = {
        {"ESC [2J clears the screen", "a\x1b[2Jb", "a?[2Jb"},
        {"OSC 0 sets the window title", "\x1b]0;owned\x07 x", "?]0;owned? x"},
        {"OSC 52 fills the clipboard", "c\x1b]52;c;aGk=\x07", "c?]52;c;aGk=?"},
        {"C1 CSI, U+009B",
         "d\xC2\x9B"
         "2J",
         "d?2J"},
        {"a lone CR rewrites the line", "real\rfake", "real?fake"},
    };
    std::map<std::string, std::string> pages;
    std::vector<std::string> args = {"readiness", "--name", "T"};
    for (std::size_t i = 0; i < std::size(kTitles); ++i) {
        const std::string path = "/" + std::to_string(i) + ".html";
        pages[path] = test::HtmlPage("<html><head><meta charset=\"utf-8\"><title>" +
                                     kTitles[i].title + "</title></head><body>x</body></html>");
    }
    test::FixtureSite site(pages);
    for (const auto& [path, page] : pages) {
        args.insert(args.end(), {"--url", site.Url(path)});
    }
    test::TempDir dir;
    const auto run = [&](const std::vector<std::string>& output) {
        std::vector<std::string> all = {"--workdir", dir.path()};
        all.insert(all.end(), args.begin(), args.end());
        all.insert(all.end(), output.begin(), output.end());
        return RunCli(dir.path(), all);
    };

    const test::CliResult csv = run({"--csv", "-"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    ExpectNoControls(csv.err);
    // CR LF ends each record and stands nowhere else.
    std::string withoutEnds = csv.out;
    for (std::size_t at = withoutEnds.find("\r\n"); at != std::string::npos;
         at = withoutEnds.find("\r\n", at)) {
        withoutEnds.erase(at, 2);
    }
    ExpectNoControls(withoutEnds, "");
    const auto shown = ParseCsv(csv.out);
    ASSERT_EQ(shown.size(), std::size(kTitles) + 1) << csv.out;

    const std::string file = dir / "titles.csv";
    const test::CliResult json = run({"--json", "-", "--csv", file});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    ExpectNoControls(json.out, "\n");
    const nlohmann::json doc = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_TRUE(doc.is_object()) << json.out;
    ASSERT_EQ(doc["sites"].size(), std::size(kTitles));
    std::string fileText;
    ASSERT_TRUE(ReadWholeFile(file, fileText));
    const auto kept = ParseCsv(fileText);
    ASSERT_EQ(kept.size(), std::size(kTitles) + 1);

    for (std::size_t i = 0; i < std::size(kTitles); ++i) {
        SCOPED_TRACE(kTitles[i].what);
        EXPECT_EQ(shown[i + 1][3], kTitles[i].onTerminal);
        EXPECT_EQ(doc["sites"][i]["title"]["text"], kTitles[i].title);
        EXPECT_EQ(kept[i + 1][3], kTitles[i].title);
    }
}

}  // namespace
}  // namespace sg
