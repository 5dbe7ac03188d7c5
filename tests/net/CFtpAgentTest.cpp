#include "net/CFtpAgent.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "net/FtpListParser.h"
#include "platform/FileSystem.h"
#include "support/FakeFtpServer.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace sg {
namespace {

using test::FakeFtpServer;
using Ms = std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

FtpWaits ShortWaits() {
    FtpWaits waits;
    waits.reply = waits.data = waits.listConnect = waits.transferConnect = waits.connect = Ms(3000);
    return waits;
}

std::string HostOf(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

int LogOn(CFtpAgent& agent, const FakeFtpServer& server) {
    return agent.LogOn(HostOf(server.Port()).c_str(), "sgtest", "secret", "acct-1");
}

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<Ms>(Clock::now() - start).count();
}

std::string PortArgument(int port) {
    return "PORT 127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

// Replies "<close>" drop the connection instead of answering.
struct LogOnCase {
    const char* what;
    std::string greeting;
    std::vector<std::pair<std::string, std::string>> replies;
    int expected;
    std::vector<std::string> sent;
    std::vector<std::string> notSent;
};

TEST(CFtpAgentLogOn, EveryReplyCodeBranch) {
    const std::vector<LogOnCase> cases = {
        {"230 after USER",
         "220 hi\r\n",
         {{"USER", "230 in\r\n"}},
         0,
         {"USER sgtest", "TYPE A", "MODE S", "STRU F"},
         {"PASS"}},
        {"331 then 230", "220 hi\r\n", {}, 0, {"PASS secret"}, {"ACCT"}},
        {"332 after PASS is in", "220 hi\r\n", {{"PASS", "332 Need account\r\n"}}, 0, {}, {"ACCT"}},
        {"300 sends ACCT",
         "220 hi\r\n",
         {{"PASS", "300 go on\r\n"}, {"ACCT", "230 ok\r\n"}},
         0,
         {"ACCT acct-1", "TYPE A"},
         {}},
        {"ACCT 3xx is in",
         "220 hi\r\n",
         {{"PASS", "300 go on\r\n"}, {"ACCT", "399 ok\r\n"}},
         0,
         {},
         {}},
        {"ACCT refused",
         "220 hi\r\n",
         {{"PASS", "300 go on\r\n"}, {"ACCT", "530 no\r\n"}},
         10,
         {},
         {"TYPE"}},
        {"no reply to ACCT",
         "220 hi\r\n",
         {{"PASS", "300 go on\r\n"}, {"ACCT", "<close>"}},
         9,
         {},
         {}},
        {"PASS refused", "220 hi\r\n", {{"PASS", "530 Login incorrect.\r\n"}}, 8, {}, {"TYPE"}},
        {"PASS 1xx refused", "220 hi\r\n", {{"PASS", "150 hm\r\n"}}, 8, {}, {}},
        {"no reply to PASS", "220 hi\r\n", {{"PASS", "<close>"}}, 7, {}, {}},
        {"USER refused", "220 hi\r\n", {{"USER", "530 no\r\n"}}, 6, {}, {"PASS"}},
        {"USER 1xx refused", "220 hi\r\n", {{"USER", "120 later\r\n"}}, 6, {}, {"PASS"}},
        {"no reply to USER", "220 hi\r\n", {{"USER", "<close>"}}, 5, {}, {"PASS"}},
        {"greeting 421", "421 Too many\r\n", {}, 4, {}, {"USER"}},
        {"greeting 1xx", "120 soon\r\n", {}, 4, {}, {"USER"}},
        {"greeting 3xx goes on", "330 odd\r\n", {}, 0, {"USER sgtest"}, {}},
    };
    for (const LogOnCase& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFtpServer server(c.greeting);
        for (const auto& [verb, reply] : c.replies) {
            if (reply == "<close>") {
                server.On(verb,
                          [](FakeFtpServer::Session& s, const std::string&) { s.control.Close(); });
            } else {
                server.OnReply(verb, reply);
            }
        }
        CFtpAgent agent(ShortWaits());
        EXPECT_EQ(LogOn(agent, server), c.expected);
        agent.LogOff();
        ASSERT_TRUE(server.WaitDone());
        for (const std::string& line : c.sent) {
            EXPECT_TRUE(server.Received(line)) << line;
        }
        for (const std::string& verb : c.notSent) {
            EXPECT_FALSE(server.ReceivedVerb(verb)) << verb;
        }
    }
}

TEST(CFtpAgentLogOn, ConnectionFailures) {
    CFtpAgent agent(ShortWaits());
    EXPECT_EQ(agent.LogOn("127.0.0.1:99999", "u", "p", ""), 1);
    EXPECT_EQ(agent.LogOn("127.0.0.1:2x", "u", "p", ""), 1);
    EXPECT_EQ(agent.LogOn("127.0.0.1:", "u", "p", ""), 1);
    EXPECT_EQ(agent.LogOnFailure(),
              "The port after the host name must be a number from 1 to 65535.");
    EXPECT_EQ(agent.LogOn("", "u", "p", ""), 1);
    const std::string closed = HostOf(test::LoopbackServer::ClosedPort());
    EXPECT_EQ(agent.LogOn(closed.c_str(), "u", "p", ""), 2);
    EXPECT_EQ(agent.LogOnFailure(),
              "The connection to " + closed + " was refused: no server answers on that port.");
    // A peer that closes at once: no greeting.
    test::LoopbackServer closing([](test::LoopbackConnection&) {});
    EXPECT_EQ(agent.LogOn(HostOf(closing.Port()).c_str(), "u", "p", ""), 3);
    EXPECT_EQ(agent.LogOnFailure(), "The server " + HostOf(closing.Port()) +
                                        " sent no greeting: it closed the connection or stayed "
                                        "silent.");
    FakeFtpServer server;
    server.OnReply("PASS", "530 Login incorrect.\r\n");
    EXPECT_EQ(LogOn(agent, server), CFtpAgent::kLogOnPasswordRefused);
    EXPECT_EQ(agent.LogOnFailure(), "The server refused the log-on: 530 Login incorrect.");
    agent.LogOff();
    ASSERT_TRUE(server.WaitDone());
}

// A listener whose queue is full drops the connection request, so connecting times out.
TEST(CFtpAgentLogOn, AConnectThatTimesOutSaysSo) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 2; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
    }
    std::this_thread::sleep_for(Ms(100));
    FtpWaits waits = ShortWaits();
    waits.connect = Ms(400);
    CFtpAgent agent(waits);
    const std::string host = HostOf(ntohs(address.sin_port));
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(agent.LogOn(host.c_str(), "u", "p", ""), CFtpAgent::kLogOnNoConnection);
    EXPECT_LT(MsSince(start), 3000);
    EXPECT_EQ(agent.LogOnFailure(),
              "The connection to " + host + " timed out: the server did not answer.");
    for (int fd : fillers) {
        ::close(fd);
    }
    ::close(listener);
}

TEST(CFtpAgentLogOn, MultiLineGreetingIsReadWhole) {
    FakeFtpServer server(
        "220-Welcome\r\n220-  220 is not the end\r\n230 nor this\r\n220 Ready.\r\n");
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    // Had a greeting line been taken as the USER reply, PASS would not have been sent.
    EXPECT_TRUE(server.Received("PASS secret"));
    ASSERT_GE(agent.ReplyLines().size(), 4u);
    EXPECT_EQ(agent.ReplyLines()[0], "220-Welcome");
    EXPECT_EQ(agent.ReplyLines()[2], "230 nor this");
    EXPECT_EQ(agent.ReplyLines()[3], "220 Ready.");
    EXPECT_STREQ(agent.LastReply(), "200 OK.");  // STRU F
}

TEST(CFtpAgentReply, AMultiLineReplyCutByACloseStandsButOneCutByTheWaitIsNone) {
    test::LoopbackServer closes(
        [](test::LoopbackConnection& conn) { conn.Send("230-first\r\n230-second\r\n"); });
    FtpSocket closed;
    ASSERT_EQ(closed.OpenConnection(closes.Port(), "127.0.0.1"), 0);
    CFtpAgent agent(ShortWaits());
    EXPECT_EQ(agent.ReadReply(&closed, nullptr, 0), 230);
    EXPECT_STREQ(agent.LastReply(), "230-second");

    std::atomic<bool> done{false};
    test::LoopbackServer stalls([&](test::LoopbackConnection& conn) {
        conn.Send("230-first\r\n");
        while (!done && !conn.Stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    FtpSocket silent;
    ASSERT_EQ(silent.OpenConnection(stalls.Port(), "127.0.0.1"), 0);
    FtpWaits quick = ShortWaits();
    quick.reply = Ms(300);
    CFtpAgent impatient(quick);
    EXPECT_EQ(impatient.ReadReply(&silent, nullptr, 0), 0);
    done = true;
}

TEST(CFtpAgentReply, TextLongLinesAndEnd) {
    const std::string longLine = "200 " + std::string(600, 'x') + "\r\n";
    test::LoopbackServer server([&](test::LoopbackConnection& conn) {
        conn.Send("250-first\r\n 250 indented\r\n251 other\r\n250 final text\r\n");
        conn.Send(longLine + "226 after\r\n");
    });
    FtpSocket client;
    ASSERT_EQ(client.OpenConnection(server.Port(), "127.0.0.1"), 0);
    CFtpAgent agent(ShortWaits());
    char text[6];
    EXPECT_EQ(agent.ReadReply(&client, text, sizeof(text)), 250);
    EXPECT_STREQ(text, "final");
    EXPECT_STREQ(agent.LastReply(), "250 final text");
    EXPECT_EQ(agent.ReplyLines().size(), 4u);
    // The long line is cut to the line buffer and its rest is not taken for the next reply.
    EXPECT_EQ(agent.ReadReply(&client, nullptr, 0), 200);
    EXPECT_EQ(std::strlen(agent.LastReply()), 255u);
    EXPECT_EQ(agent.ReadReply(&client, text, sizeof(text)), 226);
    EXPECT_STREQ(text, "after");
    EXPECT_EQ(agent.ReplyLines().size(), 6u);
    EXPECT_EQ(agent.ReadReply(&client, text, sizeof(text)), 0);
    EXPECT_EQ(agent.ReadReply(nullptr, text, sizeof(text)), 0);
}

TEST(CFtpAgentReply, SilentServerIsBounded) {
    test::LoopbackServer silent([](test::LoopbackConnection& conn) { conn.Sleep(Ms(5000)); });
    FtpWaits waits = ShortWaits();
    waits.reply = Ms(300);
    CFtpAgent agent(waits);
    auto start = Clock::now();
    EXPECT_EQ(agent.LogOn(HostOf(silent.Port()).c_str(), "u", "p", ""), 3);
    EXPECT_LT(MsSince(start), 2000);

    FakeFtpServer server;
    server.On("NOOP", [](FakeFtpServer::Session&, const std::string&) {});
    ASSERT_EQ(LogOn(agent, server), 0);
    start = Clock::now();
    EXPECT_EQ(agent.CheckConnection(), 1);
    EXPECT_LT(MsSince(start), 2000);
}

TEST(CFtpAgentCommands, ResultCodes) {
    FakeFtpServer server;
    server.On("CWD", [](FakeFtpServer::Session& s, const std::string& arg) {
        if (arg == "gone") {
            s.control.Close();
        } else {
            s.Reply(arg == "good" ? "250 ok\r\n" : "550 no\r\n");
        }
    });
    int cdup = 0;
    server.On("CDUP", [&cdup](FakeFtpServer::Session& s, const std::string&) {
        const char* replies[] = {"200 ok\r\n", "550 no\r\n", "421 bye\r\n"};
        s.Reply(replies[cdup++ % 3]);
    });
    server.On("TYPE", [](FakeFtpServer::Session& s, const std::string& arg) {
        s.Reply(arg == "A" ? "200 ok\r\n" : "504 no\r\n");
    });
    server.On("MODE", [](FakeFtpServer::Session& s, const std::string& arg) {
        s.Reply(arg == "S" ? "200 ok\r\n" : "504 no\r\n");
    });
    int noop = 0;
    server.On("NOOP", [&noop](FakeFtpServer::Session& s, const std::string&) {
        s.Reply(noop++ == 0 ? "200-multi\r\n200 ok\r\n" : "500 what\r\n");
    });
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    EXPECT_EQ(agent.CheckConnection(), 0);
    EXPECT_EQ(agent.CheckConnection(), 2);
    EXPECT_EQ(agent.ChangeDirectory("good"), 0);
    EXPECT_EQ(agent.ChangeDirectory("bad"), 2);
    EXPECT_EQ(agent.ChangeToParent(), 0);
    EXPECT_EQ(agent.ChangeToParent(), 2);
    EXPECT_EQ(agent.ChangeToParent(), 3);
    EXPECT_EQ(agent.SetTransferType(2), 1);
    EXPECT_EQ(agent.SetTransferType(1), 3);
    EXPECT_EQ(agent.TransferType(), 1);
    EXPECT_EQ(agent.SetTransferMode(-1), 1);
    EXPECT_EQ(agent.SetTransferMode(2), 3);
    EXPECT_EQ(agent.SetFileStructure(3), 1);
    EXPECT_EQ(agent.SetFileStructure(2), 0);
    EXPECT_EQ(agent.ChangeDirectory("gone"), 1);
    EXPECT_EQ(agent.ChangeToParent(), 1);
    EXPECT_EQ(agent.SetTransferType(0), 2);
    EXPECT_EQ(agent.SetTransferMode(0), 2);
    EXPECT_EQ(agent.CheckConnection(), 1);
    ASSERT_TRUE(server.WaitDone());
    const std::vector<std::string> expected = {
        "USER sgtest", "PASS secret", "TYPE A", "MODE S", "STRU F", "NOOP",   "NOOP",   "CWD good",
        "CWD bad",     "CDUP",        "CDUP",   "CDUP",   "TYPE I", "MODE C", "STRU P", "CWD gone"};
    EXPECT_EQ(server.Commands(), expected);
}

TEST(CFtpAgentList, UnixListingWithTotalLine) {
    FakeFtpServer server;
    server.ServeListing(
        "TOTAL 12\r\n"
        "drwxr-xr-x   2 owner group     4096 Mar  3 10:07 folder\r\n"
        "-rw-r--r--   1 owner group   123456 Dec 25  2019 old file.txt\r\n"
        "-rw-r--r--   1 owner group        5 Jan  1  2020 " +
        std::string(300, 'n') + "\r\ntotal 99\r\n");
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    // The long line is one entry, and only the first total line is skipped.
    ASSERT_EQ(agent.EntryCount(), 4);
    FtpDirEntry entry;
    ASSERT_EQ(agent.EntryAt(0, &entry), 0);
    EXPECT_STREQ(entry.name, "folder");
    EXPECT_EQ(entry.isFolder, 1);
    EXPECT_EQ(entry.month, 3);
    EXPECT_EQ(entry.day, 3);
    EXPECT_EQ(entry.hour, 10);
    EXPECT_EQ(entry.minute, 7);
    EXPECT_EQ(entry.year, CurrentLocalYear());
    ASSERT_EQ(agent.EntryAt(1, &entry), 0);
    EXPECT_STREQ(entry.name, "old");
    EXPECT_EQ(entry.year, 2019);
    EXPECT_EQ(entry.size, 123456);
    ASSERT_EQ(agent.EntryAt(2, &entry), 0);
    EXPECT_EQ(entry.name[0], 'n');
    EXPECT_LT(std::strlen(entry.name), sizeof(entry.name));
    ASSERT_EQ(agent.EntryAt(3, &entry), 0);
    EXPECT_STREQ(entry.name, "");
    EXPECT_EQ(agent.EntryAt(4, &entry), 1);
    EXPECT_EQ(agent.EntryAt(-1, &entry), 1);
    const int announced = agent.NextDataPort() - 1;
    agent.LogOff();
    ASSERT_TRUE(server.WaitDone());
    EXPECT_TRUE(server.Received(PortArgument(announced)));
    EXPECT_TRUE(server.Received("LIST"));
}

TEST(CFtpAgentList, DosListingAndPerLineForm) {
    FakeFtpServer server;
    server.ServeListing(
        "03-15-04  09:30PM       <DIR>          folder\r\n"
        "11-02-70  12:05AM              1234 readme.txt\r\n"
        "-rw-r--r--   1 owner group   77 Dec 25  2019 unix.txt\r\n");
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    ASSERT_EQ(agent.EntryCount(), 3);
    FtpDirEntry entry;
    agent.EntryAt(0, &entry);
    EXPECT_STREQ(entry.name, "folder");
    EXPECT_EQ(entry.isFolder, 1);
    EXPECT_EQ(entry.size, 0);
    EXPECT_EQ(entry.year, 2004);
    EXPECT_EQ(entry.hour, 9);
    EXPECT_EQ(entry.minute, 30);
    agent.EntryAt(1, &entry);
    EXPECT_EQ(entry.size, 1234);
    EXPECT_EQ(entry.year, 1970);
    agent.EntryAt(2, &entry);
    EXPECT_STREQ(entry.name, "unix.txt");
    EXPECT_EQ(entry.size, 77);
}

TEST(CFtpAgentList, HundredThousandLinesInBoundedTime) {
    std::string listing;
    for (int i = 0; i < 100000; ++i) {
        listing += "-rw-r--r-- 1 owner group " + std::to_string(i) + " Jan 15 12:34 f" +
                   std::to_string(i) + "\r\n";
    }
    FakeFtpServer server;
    server.ServeListing(listing);
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    const auto start = Clock::now();
    ASSERT_EQ(agent.ListDirectory(), 0);
    EXPECT_LT(MsSince(start), 20000);
    ASSERT_EQ(agent.EntryCount(), 100000);
    FtpDirEntry entry;
    agent.EntryAt(99999, &entry);
    EXPECT_STREQ(entry.name, "f99999");
    EXPECT_EQ(entry.size, 99999);
}

TEST(CFtpAgentData, ServerThatNeverConnectsBackAndRefusals) {
    FakeFtpServer server;
    server.OnReply("LIST", "150 Here it comes.\r\n");
    server.On("RETR", [](FakeFtpServer::Session& s, const std::string& arg) {
        s.Reply(arg == "missing" ? "550 No such file.\r\n" : "150 Opening.\r\n");
    });
    server.OnReply("STOR", "553 Not allowed.\r\n");
    FtpWaits waits = ShortWaits();
    waits.listConnect = waits.transferConnect = Ms(200);
    CFtpAgent agent(waits);
    ASSERT_EQ(LogOn(agent, server), 0);
    test::TempDir dir;
    const std::string local = dir / "local.bin";
    WriteWholeFile(local, "abc");

    auto start = Clock::now();
    EXPECT_EQ(agent.ListDirectory(), 3);
    EXPECT_LT(MsSince(start), 1500);
    // The preliminary reply was drained: the next command reads its own reply.
    EXPECT_EQ(agent.CheckConnection(), 0);
    start = Clock::now();
    EXPECT_EQ(agent.DownloadFile("late.bin", local.c_str()), 4);
    EXPECT_LT(MsSince(start), 1500);
    EXPECT_EQ(agent.CheckConnection(), 0);
    EXPECT_EQ(agent.DownloadFile("missing", local.c_str()), 3);
    EXPECT_EQ(agent.UploadFile(local.c_str(), "up.bin"), 3);
    EXPECT_EQ(agent.CheckConnection(), 0);
}

TEST(CFtpAgentData, PortRefusedAndFinalRepliesDecide) {
    FakeFtpServer server;
    int ports = 0;
    server.On("PORT", [&ports](FakeFtpServer::Session& s, const std::string&) {
        s.Reply(ports++ == 0 ? "500 Illegal PORT.\r\n" : "200 ok\r\n");
    });
    server.On("LIST", [](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 ok\r\n");
        s.ConnectData().Send("-rw 1 o g 1 Jan 1 2001 a\r\n");
        s.Reply("451 Local error.\r\n");
    });
    server.On("RETR", [](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 ok\r\n");
        s.ConnectData().Send("part");
        s.Reply("426 Aborted.\r\n");
    });
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    test::TempDir dir;
    EXPECT_EQ(agent.ListDirectory(), 2);
    EXPECT_EQ(agent.ListDirectory(), 4);
    EXPECT_EQ(agent.EntryCount(), 1);
    EXPECT_EQ(agent.DownloadFile("f", (dir / "f").c_str()), 5);
    agent.LogOff();
    ASSERT_TRUE(server.WaitDone());
    int lists = 0;
    for (const std::string& command : server.Commands()) {
        lists += command == "LIST" ? 1 : 0;
    }
    EXPECT_EQ(lists, 1);  // none after the refused PORT
}

// Listening sockets on 127.0.0.1 for `count` ports in a row from a start in the data port range.
struct OccupiedPorts {
    std::vector<int> fds;
    int first = 0;

    explicit OccupiedPorts(int count) {
        for (int start = 12000 + static_cast<int>(::getpid() % 9000); start < 31000;
             start += count) {
            Release();
            first = start;
            while (static_cast<int>(fds.size()) < count && Occupy(start + fds.size())) {
            }
            if (static_cast<int>(fds.size()) == count) {
                return;
            }
        }
        first = 0;
    }
    ~OccupiedPorts() { Release(); }
    bool Occupy(size_t port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(fd, 1) != 0) {
            ::close(fd);
            return false;
        }
        fds.push_back(fd);
        return true;
    }
    void Release() {
        for (int fd : fds) {
            ::close(fd);
        }
        fds.clear();
    }
};

TEST(CFtpAgentData, DataPortTriesAndWrap) {
    FakeFtpServer server;
    server.ServeListing("");
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    {
        OccupiedPorts taken(128);
        ASSERT_NE(taken.first, 0);
        agent.SetNextDataPort(taken.first);
        EXPECT_EQ(agent.ListDirectory(), 1);
        EXPECT_EQ(agent.NextDataPort(), taken.first + 128);
        EXPECT_FALSE(server.ReceivedVerb("PORT"));
        // With one port fewer taken, the 128th try succeeds.
        ::close(taken.fds.back());
        taken.fds.pop_back();
        agent.SetNextDataPort(taken.first);
        EXPECT_EQ(agent.ListDirectory(), 0);
        EXPECT_TRUE(server.Received(PortArgument(taken.first + 127)));
    }
    const int starts[] = {31999, 32000, 32001};
    const int nexts[] = {32000, 10000, 10000};
    for (int i = 0; i < 3; ++i) {
        agent.SetNextDataPort(starts[i]);
        EXPECT_EQ(agent.ListDirectory(), 0);
        EXPECT_TRUE(server.Received(PortArgument(starts[i])));
        EXPECT_EQ(agent.NextDataPort(), nexts[i]);
    }
}

TEST(CFtpAgentData, DownloadAndUploadRoundTrip) {
    std::string content;
    for (int i = 0; i < 100000; ++i) {
        content += static_cast<char>(i * 7 % 256);
        if (i % 1000 == 0) {
            content += "\r\n";
        }
    }
    std::string stored;
    std::string dataAddress;
    FakeFtpServer server;
    server.On("RETR", [&](FakeFtpServer::Session& s, const std::string& arg) {
        dataAddress = s.dataAddress;
        s.Reply("150 Opening BINARY mode data connection for " + arg + ".\r\n");
        test::LoopbackConnection data = s.ConnectData();
        data.Send(content);
        data.Close();
        s.Reply("226 Transfer complete.\r\n");
    });
    server.On("STOR", [&](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 Ok to send data.\r\n");
        stored = s.ConnectData().ReadUntilClosed();
        s.Reply("226 Transfer complete.\r\n");
    });
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    ASSERT_EQ(agent.SetTransferType(1), 0);
    test::TempDir dir;
    const std::string down = dir / "down.bin";
    WriteWholeFile(down, "old content that is longer than nothing");
    ASSERT_EQ(agent.DownloadFile("remote.bin", down.c_str()), 0);
    std::string got;
    ASSERT_TRUE(ReadWholeFile(down, got));
    EXPECT_EQ(got, content);
    ASSERT_EQ(agent.UploadFile(down.c_str(), "copy.bin"), 0);
    agent.LogOff();
    ASSERT_TRUE(server.WaitDone());
    EXPECT_EQ(stored, content);
    EXPECT_EQ(dataAddress, "127.0.0.1");
    EXPECT_TRUE(server.Received("RETR remote.bin"));
    EXPECT_TRUE(server.Received("STOR copy.bin"));
    EXPECT_TRUE(server.Received("TYPE I"));
}

// Someone on another address (a thief at 127.0.0.2) connects to the predictable active-mode port
// before the server does: the agent listens at the control connection's address only, refuses
// the thief's connection and takes the server's.
bool ThiefConnects(const char* to, int port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, "127.0.0.2", &from.sin_addr);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, to, &target.sin_addr);
    const bool connected =
        ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof(from)) == 0 &&
        ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof(target)) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return connected;
}

TEST(CFtpAgentData, ActiveDataConnectionsComeOnlyFromTheServer) {
    std::atomic<bool> otherAddress{true};
    std::atomic<bool> thiefConnected{false};
    FakeFtpServer server;
    server.On("RETR", [&](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 Opening.\r\n");
        otherAddress = ThiefConnects("127.0.0.3", s.dataPort, "FORGED");
        thiefConnected = ThiefConnects(s.dataAddress.c_str(), s.dataPort, "FORGED");
        test::LoopbackConnection data = s.ConnectData();
        data.Send("the real file");
        data.Close();
        s.Reply("226 Transfer complete.\r\n");
    });
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    test::TempDir dir;
    const std::string local = dir / "down.txt";
    ASSERT_EQ(agent.DownloadFile("f.txt", local.c_str()), 0);
    agent.LogOff();
    ASSERT_TRUE(server.WaitDone());
    EXPECT_FALSE(otherAddress) << "the port listened on another local address";
    EXPECT_TRUE(thiefConnected) << "the thief never tried";
    std::string got;
    ASSERT_TRUE(ReadWholeFile(local, got));
    EXPECT_EQ(got, "the real file");
}

// A download that fails after some bytes leaves the user's file as it was and no other file
// behind; a new target is not made at all.
TEST(CFtpAgentData, AFailedDownloadKeepsTheLocalFile) {
    FakeFtpServer server;
    server.On("RETR", [](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 Opening.\r\n");
        test::LoopbackConnection data = s.ConnectData();
        data.Send("12345");
        data.Close();
        s.Reply("451 Local error in processing.\r\n");
    });
    CFtpAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    test::TempDir dir;
    const std::string kept = dir / "index.html";
    ASSERT_TRUE(WriteWholeFile(kept, "the user's own page"));
    EXPECT_EQ(agent.DownloadFile("index.html", kept.c_str()), 5);
    EXPECT_EQ(agent.DownloadFile("new.html", (dir / "new.html").c_str()), 5);
    std::string got;
    ASSERT_TRUE(ReadWholeFile(kept, got));
    EXPECT_EQ(got, "the user's own page");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"index.html"});
}

// --- Passive data connections -----------------------------------------------------------

const FtpConnectionSetting kPassivePlain{true, FtpEncryption::kOff};

int Count(const FakeFtpServer& server, const std::string& verb) {
    int count = 0;
    for (const std::string& command : server.Commands()) {
        count += command.substr(0, command.find(' ')) == verb ? 1 : 0;
    }
    return count;
}

// Many servers announce a passive transfer with 125 rather than 150: any 1xx is the preliminary
// reply, for the listing and both transfers.
TEST(CFtpAgentPassive, ListingAndTransfersWithEitherPreliminaryReply) {
    const std::string content = std::string(70000, 'z') + "\r\nend";
    for (const std::string preliminary : {"150", "125"}) {
        SCOPED_TRACE(preliminary);
        std::string stored;
        FakeFtpServer server;
        server.On("LIST", [&](FakeFtpServer::Session& s, const std::string&) {
            s.Reply(preliminary + " Here comes the listing.\r\n");
            s.ConnectData().Send("-rw-r--r-- 1 o g 5 Jan 1 2001 a.txt\r\n");
            s.Reply("226 Directory send OK.\r\n");
        });
        server.On("RETR", [&](FakeFtpServer::Session& s, const std::string&) {
            s.Reply(preliminary + " Opening.\r\n");
            s.ConnectData().Send(content);
            s.Reply("226 Transfer complete.\r\n");
        });
        server.On("STOR", [&](FakeFtpServer::Session& s, const std::string&) {
            s.Reply(preliminary + " Ok to send data.\r\n");
            stored = s.ConnectData().ReadUntilClosed();
            s.Reply("226 Transfer complete.\r\n");
        });
        CFtpAgent agent(ShortWaits());
        agent.SetConnectionSetting(kPassivePlain);
        ASSERT_EQ(LogOn(agent, server), 0);
        ASSERT_EQ(agent.ListDirectory(), 0);
        FtpDirEntry entry;
        ASSERT_EQ(agent.EntryAt(0, &entry), 0);
        EXPECT_STREQ(entry.name, "a.txt");
        test::TempDir dir;
        const std::string local = dir / "down.bin";
        ASSERT_EQ(agent.DownloadFile("remote.bin", local.c_str()), 0);
        std::string got;
        ASSERT_TRUE(ReadWholeFile(local, got));
        EXPECT_EQ(got, content);
        ASSERT_EQ(agent.UploadFile(local.c_str(), "copy.bin"), 0);
        // Each call read exactly its own replies.
        EXPECT_EQ(agent.CheckConnection(), 0);
        agent.LogOff();
        ASSERT_TRUE(server.WaitDone());
        EXPECT_EQ(stored, content);
        EXPECT_EQ(Count(server, "EPSV"), 3);
        EXPECT_FALSE(server.ReceivedVerb("PORT"));
        EXPECT_FALSE(server.ReceivedVerb("PASV"));
    }
}

// A server that refuses EPSV is asked PASV, and not EPSV again in that session; the address a
// PASV reply names is not followed: the port is taken at the control connection's peer.
TEST(CFtpAgentPassive, PasvAfterRefusedEpsvAndOnlyAtThePeerAddress) {
    FakeFtpServer server;
    server.OnReply("EPSV", "500 'EPSV': command not understood.\r\n");
    server.On("PASV", [](FakeFtpServer::Session& s, const std::string&) {
        // Nothing listens at 127.0.0.2 for this port (the socket is bound to 127.0.0.1 only).
        const int port = s.ListenPassive();
        s.Reply("227 Entering Passive Mode (127,0,0,2," + std::to_string(port / 256) + "," +
                std::to_string(port % 256) + ")\r\n");
    });
    server.ServeListing("-rw-r--r-- 1 o g 5 Jan 1 2001 a.txt\r\n");
    CFtpAgent agent(ShortWaits());
    agent.SetConnectionSetting(kPassivePlain);
    ASSERT_EQ(LogOn(agent, server), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    EXPECT_EQ(agent.EntryCount(), 1);
    // A new session asks EPSV again.
    ASSERT_EQ(LogOn(agent, server), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    agent.LogOff();
    ASSERT_TRUE(server.WaitDone(2));
    EXPECT_EQ(Count(server, "EPSV"), 2);
    EXPECT_EQ(Count(server, "PASV"), 3);
}

TEST(CFtpAgentPassive, RefusedOrUnreachablePassivePortsFailBounded) {
    const int closed = test::LoopbackServer::ClosedPort();
    struct Case {
        const char* what;
        std::string epsv;
        std::string pasv;
        int list;
        int download;
    };
    const Case cases[] = {
        {"both refused", "502 no\r\n", "502 no\r\n", 2, 2},
        {"EPSV text without a port, PASV refused", "229 Entering (|||0|)\r\n", "425 no\r\n", 2, 2},
        {"PASV without six numbers", "500 no\r\n", "227 Entering (127,0,0,1,4)\r\n", 2, 2},
        {"ports of the server's own services", "229 Entering (|||25|)\r\n",
         "227 Entering (127,0,0,1,0,25)\r\n", 2, 2},
        {"nothing listens at the port",
         "229 Entering Extended Passive Mode (|||" + std::to_string(closed) + "|)\r\n", "", 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFtpServer server;
        server.OnReply("EPSV", c.epsv);
        server.OnReply("PASV", c.pasv);
        CFtpAgent agent(ShortWaits());
        agent.SetConnectionSetting(kPassivePlain);
        ASSERT_EQ(LogOn(agent, server), 0);
        test::TempDir dir;
        const auto start = Clock::now();
        EXPECT_EQ(agent.ListDirectory(), c.list);
        EXPECT_EQ(agent.DownloadFile("f", (dir / "f").c_str()), c.download);
        EXPECT_LT(MsSince(start), 3000);
        EXPECT_EQ(agent.CheckConnection(), 0);
        agent.LogOff();
        ASSERT_TRUE(server.WaitDone());
        // No transfer command goes out without its data connection.
        EXPECT_FALSE(server.ReceivedVerb("LIST"));
        EXPECT_FALSE(server.ReceivedVerb("RETR"));
    }
}

// Records the lines the agent hands to its listing parsers.
class LineRecordingAgent : public CFtpAgent {
  public:
    using CFtpAgent::CFtpAgent;
    std::vector<std::string> lines;

  protected:
    int ParseUnixListLine(FtpDirEntry* entry) override {
        lines.emplace_back(LineBuffer());
        return CFtpAgent::ParseUnixListLine(entry);
    }
};

// A line of nothing but CR LF is empty text for the parsers and the reply reader, not "\r",
// whether it comes alone or its CR and LF come apart.
TEST(CFtpAgentLines, TwoByteLinesAreEmpty) {
    FakeFtpServer server;
    server.ServeListing("-rw 1 o g 1 Jan 1 2001 a\r\n\r\n-rw 1 o g 1 Jan 1 2001 b\r\n\r\n");
    LineRecordingAgent agent(ShortWaits());
    ASSERT_EQ(LogOn(agent, server), 0);
    ASSERT_EQ(agent.ListDirectory(), 0);
    const std::vector<std::string> expected = {"-rw 1 o g 1 Jan 1 2001 a", "",
                                               "-rw 1 o g 1 Jan 1 2001 b", ""};
    EXPECT_EQ(agent.lines, expected);

    test::LoopbackServer replies([](test::LoopbackConnection& conn) {
        conn.Send("\r\n");
        conn.SendSegments({"\r", "\n", "220 ok\r\n"});
    });
    FtpSocket control;
    ASSERT_EQ(control.OpenConnection(replies.Port(), "127.0.0.1"), 0);
    CFtpAgent reader(ShortWaits());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(reader.ReadReply(&control, nullptr, 0), 0);
        EXPECT_STREQ(reader.LastReply(), "");
        ASSERT_FALSE(reader.ReplyLines().empty());
        EXPECT_EQ(reader.ReplyLines().back(), "");
    }
    EXPECT_EQ(reader.ReadReply(&control, nullptr, 0), 220);
}

}  // namespace
}  // namespace sg
