// The FTP client and the CLI "ftp" command against vsftpd on loopback, whose home folder is
// <servers dir>/ftp: active and passive mode, plain and over TLS (one server offers TLS, one
// forces it), certificates of the test CA.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "net/CFtpAgent.h"
#include "net/FtpTransferType.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/TestServers.h"

extern char** environ;

namespace sg {
namespace {

const std::string kHost = "127.0.0.1:" + std::to_string(test::kFtpPort);
const std::string kTlsHost = "127.0.0.1:" + std::to_string(test::kFtpTlsPort);

std::string CaFile() {
    return test::ServersDir() + "/tls/ca.pem";
}

std::string FtpRoot() {
    return test::ServersDir() + "/ftp";
}

// A name no earlier run left behind.
std::string Unique(const std::string& stem) {
    static int counter = 0;
    return stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

std::string Sha256Of(const std::string& path) {
    const std::string command = "sha256sum '" + path + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return "";
    }
    char digest[65] = {};
    const size_t got = std::fread(digest, 1, 64, pipe);
    ::pclose(pipe);
    return got == 64 ? std::string(digest) : "";
}

std::string BinaryContent() {
    std::string data;
    for (int i = 0; i < 300000; ++i) {
        data += static_cast<char>((i * 131 + i / 256) % 256);
    }
    return data;
}

std::string TextContent() {
    std::string data;
    for (int i = 0; i < 2000; ++i) {
        data += "line " + std::to_string(i) + " of the text file\r\n";
    }
    return data + "a last line with a lone LF\n";
}

bool HasEntry(const CFtpAgent& agent, const std::string& name, FtpDirEntry& found) {
    for (int i = 0; agent.EntryAt(i, &found) == 0; ++i) {
        if (name == found.name) {
            return true;
        }
    }
    return false;
}

void LogOn(CFtpAgent& agent) {
    ASSERT_EQ(agent.LogOn(kHost.c_str(), test::kFtpUser, test::kFtpPassword, ""), 0)
        << agent.LastReply();
}

TEST(FtpIntegration, LogOnRefusedWithWrongPassword) {
    SG_REQUIRE_SERVER(test::kFtpPort);
    CFtpAgent agent;
    EXPECT_EQ(agent.LogOn(kHost.c_str(), test::kFtpUser, "wrong", ""), 8);
    EXPECT_EQ(std::string(agent.LastReply()).substr(0, 3), "530");
    LogOn(agent);
    EXPECT_EQ(agent.CheckConnection(), 0);
    agent.LogOff();
    EXPECT_EQ(agent.CheckConnection(), 1);
}

TEST(FtpIntegration, ListChangeDirectoryAndParent) {
    SG_REQUIRE_SERVER(test::kFtpPort);
    const std::string folder = Unique("folder");
    std::filesystem::create_directories(FtpRoot() + "/" + folder);
    ASSERT_TRUE(WriteWholeFile(FtpRoot() + "/" + folder + "/inner.txt", "12345"));

    CFtpAgent agent;
    LogOn(agent);
    ASSERT_EQ(agent.ListDirectory(), 0) << agent.LastReply();
    FtpDirEntry entry;
    ASSERT_TRUE(HasEntry(agent, folder, entry));
    EXPECT_EQ(entry.isFolder, 1);

    ASSERT_EQ(agent.ChangeDirectory(folder.c_str()), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    ASSERT_TRUE(HasEntry(agent, "inner.txt", entry));
    EXPECT_EQ(entry.isFolder, 0);
    EXPECT_EQ(entry.size, 5);
    EXPECT_FALSE(HasEntry(agent, folder, entry));

    EXPECT_EQ(agent.ChangeToParent(), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    EXPECT_TRUE(HasEntry(agent, folder, entry));
    EXPECT_EQ(agent.ChangeDirectory("no-such-folder"), 2);
    std::filesystem::remove_all(FtpRoot() + "/" + folder);
}

TEST(FtpIntegration, TextAndBinaryFilesRoundTrip) {
    SG_REQUIRE_SERVER(test::kFtpPort);
    test::TempDir dir;
    CFtpAgent agent;
    LogOn(agent);
    struct Case {
        std::string local;
        std::string content;
        int type;
    };
    const Case cases[] = {{dir / "page.html", TextContent(), kFtpTypeText},
                          {dir / "picture.gif", BinaryContent(), kFtpTypeImage}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.local);
        ASSERT_TRUE(WriteWholeFile(c.local, c.content));
        const std::string remote = Unique("up") + c.local.substr(c.local.rfind('.'));
        ASSERT_EQ(UploadTransferType(remote), c.type);
        ASSERT_EQ(agent.SetTransferType(UploadTransferType(remote)), 0);
        ASSERT_EQ(agent.UploadFile(c.local.c_str(), remote.c_str()), 0) << agent.LastReply();

        ASSERT_EQ(agent.ListDirectory(), 0);
        FtpDirEntry entry;
        ASSERT_TRUE(HasEntry(agent, remote, entry));
        EXPECT_EQ(entry.size, static_cast<long>(c.content.size()));

        const std::string back = dir / ("back-" + remote);
        ASSERT_EQ(agent.SetTransferType(DownloadTransferType(back)), 0);
        ASSERT_EQ(agent.DownloadFile(remote.c_str(), back.c_str()), 0) << agent.LastReply();
        const std::string sent = Sha256Of(c.local);
        ASSERT_EQ(sent.size(), 64u);
        EXPECT_EQ(Sha256Of(back), sent);
        std::string got;
        ASSERT_TRUE(ReadWholeFile(back, got));
        EXPECT_EQ(got, c.content);
        std::filesystem::remove(FtpRoot() + "/" + remote);
    }
    // A failed transfer leaves the session usable.
    EXPECT_EQ(agent.DownloadFile("no-such-file", (dir / "x").c_str()), 3);
    EXPECT_EQ(agent.CheckConnection(), 0);
}

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun RunCli(const test::TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), {SITEGAUGE_CLI_PATH, "--workdir", dir.path()});
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const std::string outPath = dir / ".out";
    const std::string errPath = dir / ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    CliRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ReadWholeFile(outPath, run.out);
    ReadWholeFile(errPath, run.err);
    return run;
}

TEST(FtpIntegration, CliLsPutGet) {
    SG_REQUIRE_SERVER(test::kFtpPort);
    // The server offers TLS, which the command takes by default.
    test::ScopedEnv trustCa("SSL_CERT_FILE", CaFile().c_str());
    test::TempDir dir;
    const std::string folder = Unique("cli");
    std::filesystem::create_directories(FtpRoot() + "/" + folder);
    std::filesystem::permissions(FtpRoot() + "/" + folder, std::filesystem::perms::all);
    const std::vector<std::string> logOn = {
        "ftp",        "--host",           kHost,  "--user", test::kFtpUser,
        "--password", test::kFtpPassword, "--cd", folder};
    const auto withLogOn = [&](std::vector<std::string> tail) {
        std::vector<std::string> all = logOn;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };

    const std::string local = dir / "data.bin";
    ASSERT_TRUE(WriteWholeFile(local, BinaryContent()));
    CliRun run = RunCli(dir, withLogOn({"put", local}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = RunCli(dir, withLogOn({"put", local, "second.txt"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;

    run = RunCli(dir, withLogOn({"ls"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string size = std::to_string(BinaryContent().size());
    EXPECT_NE(run.out.find("- " + size + " "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" data.bin\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" second.txt\n"), std::string::npos) << run.out;
    // "- SIZE yyyy-mm-dd hh:mm NAME"
    const std::string first = run.out.substr(0, run.out.find('\n'));
    const size_t stamp = first.find(' ', 2) + 1;
    ASSERT_GT(first.size(), stamp + 17);
    EXPECT_EQ(first[stamp + 4], '-');
    EXPECT_EQ(first[stamp + 7], '-');
    EXPECT_EQ(first[stamp + 13], ':');

    const std::string back = dir / "back.bin";
    run = RunCli(dir, withLogOn({"get", "data.bin", back}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Sha256Of(back), Sha256Of(local));

    run = RunCli(dir, withLogOn({"get", "missing.bin", dir / "m.bin"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("result 3"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("550"), std::string::npos) << run.err;
    run = RunCli(dir,
                 {"ftp", "--host", kHost, "--user", test::kFtpUser, "--password", "wrong", "ls"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("result 8"), std::string::npos) << run.err;
    run = RunCli(dir, withLogOn({"get", "only-one"}));
    EXPECT_EQ(run.exitCode, 2);
    std::filesystem::remove_all(FtpRoot() + "/" + folder);
}

// Listing, upload and download in every way of connecting that both servers allow.
TEST(FtpIntegration, PassiveActivePlainAndTlsRoundTrips) {
    SG_REQUIRE_SERVER(test::kFtpPort);
    SG_REQUIRE_SERVER(test::kFtpTlsPort);
    test::ScopedEnv trustCa("SSL_CERT_FILE", CaFile().c_str());
    struct Case {
        const std::string* host;
        FtpConnectionSetting setting;
        bool encrypted;
    };
    const Case cases[] = {
        {&kHost, {true, FtpEncryption::kOff}, false},
        {&kHost, {true, FtpEncryption::kIfOffered}, true},
        {&kHost, {false, FtpEncryption::kRequired}, true},
        {&kHost, {false, FtpEncryption::kOff}, false},
        {&kTlsHost, {true, FtpEncryption::kRequired}, true},
        {&kTlsHost, {false, FtpEncryption::kIfOffered}, true},
    };
    test::TempDir dir;
    const std::string local = dir / "picture.gif";
    ASSERT_TRUE(WriteWholeFile(local, BinaryContent()));
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.host + (c.setting.passive ? " passive " : " active ") +
                     std::string(FtpEncryptionWord(c.setting.encryption)));
        CFtpAgent agent;
        agent.SetConnectionSetting(c.setting);
        ASSERT_EQ(agent.LogOn(c.host->c_str(), test::kFtpUser, test::kFtpPassword, ""), 0)
            << agent.LastReply() << " " << agent.TlsError();
        EXPECT_EQ(agent.Encrypted(), c.encrypted);
        const std::string remote = Unique("round") + ".gif";
        ASSERT_EQ(agent.SetTransferType(kFtpTypeImage), 0);
        ASSERT_EQ(agent.UploadFile(local.c_str(), remote.c_str()), 0)
            << agent.LastReply() << " " << agent.TlsError();
        EXPECT_EQ(agent.DataSessionResumed(), c.encrypted);
        ASSERT_EQ(agent.ListDirectory(), 0) << agent.LastReply() << " " << agent.TlsError();
        FtpDirEntry entry;
        ASSERT_TRUE(HasEntry(agent, remote, entry));
        EXPECT_EQ(entry.size, static_cast<long>(BinaryContent().size()));
        const std::string back = dir / ("back-" + remote);
        ASSERT_EQ(agent.DownloadFile(remote.c_str(), back.c_str()), 0)
            << agent.LastReply() << " " << agent.TlsError();
        EXPECT_EQ(Sha256Of(back), Sha256Of(local));
        agent.LogOff();
        std::filesystem::remove(FtpRoot() + "/" + remote);
    }
}

TEST(FtpIntegration, ForcedTlsAndCertificatesThatDoNotVerify) {
    SG_REQUIRE_SERVER(test::kFtpTlsPort);
    // Plain log-ons are refused by the server that forces TLS.
    CFtpAgent plain;
    plain.SetConnectionSetting({true, FtpEncryption::kOff});
    EXPECT_EQ(plain.LogOn(kTlsHost.c_str(), test::kFtpUser, test::kFtpPassword, ""), 6);
    EXPECT_EQ(std::string(plain.LastReply()).substr(0, 3), "530");

    // Without the test CA the certificate does not verify; its fingerprint lets it through.
    test::TempDir dir;
    test::ScopedEnv noCa("SSL_CERT_FILE", (dir / "none.pem").c_str());
    test::ScopedEnv noDir("SSL_CERT_DIR", (dir / "none").c_str());
    CFtpAgent agent;
    agent.SetConnectionSetting({true, FtpEncryption::kRequired});
    EXPECT_EQ(agent.LogOn(kTlsHost.c_str(), test::kFtpUser, test::kFtpPassword, ""),
              CFtpAgent::kLogOnCertificateNotTrusted);
    EXPECT_EQ(agent.TlsError(), "unable to get local issuer certificate");
    EXPECT_NE(agent.PeerCertificate().subject.find("CN=good"), std::string::npos);
    agent.SetTrustedFingerprint(agent.PeerCertificate().sha256);
    ASSERT_EQ(agent.LogOn(kTlsHost.c_str(), test::kFtpUser, test::kFtpPassword, ""), 0)
        << agent.TlsError();
    EXPECT_EQ(agent.ListDirectory(), 0) << agent.LastReply() << " " << agent.TlsError();
}

// ls, put and get through sitegauge-cli in each data connection mode and encryption setting.
TEST(FtpIntegration, CliInEveryCombination) {
    SG_REQUIRE_SERVER(test::kFtpPort);
    SG_REQUIRE_SERVER(test::kFtpTlsPort);
    test::ScopedEnv trustCa("SSL_CERT_FILE", CaFile().c_str());
    test::TempDir dir;
    const std::string folder = Unique("combo");
    std::filesystem::create_directories(FtpRoot() + "/" + folder);
    std::filesystem::permissions(FtpRoot() + "/" + folder, std::filesystem::perms::all);
    const std::string local = dir / "data.bin";
    ASSERT_TRUE(WriteWholeFile(local, BinaryContent()));
    int n = 0;
    for (const std::string* host : {&kHost, &kTlsHost}) {
        for (const char* mode : {"", "--active"}) {
            for (const char* tls : {"auto", "require", "off"}) {
                const bool refused = host == &kTlsHost && std::string(tls) == "off";
                SCOPED_TRACE(*host + " " + mode + " --tls " + tls);
                std::vector<std::string> logOn = {
                    "ftp",        "--host",           *host,   "--user", test::kFtpUser,
                    "--password", test::kFtpPassword, "--tls", tls,      "--cd",
                    folder};
                if (*mode != '\0') {
                    logOn.push_back(mode);
                }
                const auto with = [&](std::vector<std::string> tail) {
                    std::vector<std::string> all = logOn;
                    all.insert(all.end(), tail.begin(), tail.end());
                    return all;
                };
                const std::string remote = "file-" + std::to_string(++n) + ".bin";
                CliRun run = RunCli(dir, with({"put", local, remote}));
                if (refused) {
                    EXPECT_EQ(run.exitCode, 1);
                    EXPECT_NE(run.err.find("530"), std::string::npos) << run.err;
                    continue;
                }
                ASSERT_EQ(run.exitCode, 0) << run.err;
                run = RunCli(dir, with({"ls"}));
                ASSERT_EQ(run.exitCode, 0) << run.err;
                EXPECT_NE(run.out.find(" " + remote + "\n"), std::string::npos) << run.out;
                const std::string back = dir / ("back-" + remote);
                run = RunCli(dir, with({"get", remote, back}));
                ASSERT_EQ(run.exitCode, 0) << run.err;
                EXPECT_EQ(Sha256Of(back), Sha256Of(local));
            }
        }
    }
    std::filesystem::remove_all(FtpRoot() + "/" + folder);
}

}  // namespace
}  // namespace sg
