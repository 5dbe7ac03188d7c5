// FTP servers that try to hold the agent forever or fill its memory, each with a bound on time
// and on the growth of the live heap (MemoryBound.h). Each case prints its figures.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "net/CFtpAgent.h"
#include "net/FtpSocket.h"
#include "support/FakeFtpServer.h"
#include "support/LoopbackServer.h"
#include "support/MemoryBound.h"

namespace sg {
namespace {

using namespace std::chrono_literals;
using test::ExpectMemoryWithin;
using test::FakeFtpServer;
using test::LoopbackConnection;
using test::LoopbackServer;
using test::Measure;
using test::Measured;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

FtpWaits Waits(Ms each) {
    FtpWaits waits;
    waits.reply = waits.data = waits.listConnect = waits.transferConnect = waits.connect = each;
    return waits;
}

std::string HostOf(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

TEST(HostileFtp, ServerThatNeverAnswers) {
    // Accepts and stays silent: no greeting.
    LoopbackServer silent([](LoopbackConnection& conn) { conn.Sleep(10s); });
    CFtpAgent agent(Waits(300ms));
    int result = -1;
    Measured m = Measure("FTP never greets", [&] {
        result = agent.LogOn(HostOf(silent.Port()).c_str(), "u", "p", "");
    });
    EXPECT_EQ(result, 3);
    EXPECT_LT(m.ms, 300 + 1000);
    ExpectMemoryWithin(m, 2.0);

    // Greets, then falls silent after the password.
    FakeFtpServer server;
    server.On("PASS", [](FakeFtpServer::Session& s, const std::string&) { s.control.Sleep(10s); });
    m = Measure("FTP silent after PASS",
                [&] { result = agent.LogOn(HostOf(server.Port()).c_str(), "u", "p", ""); });
    EXPECT_EQ(result, 7);
    EXPECT_LT(m.ms, 300 + 1000);
    ExpectMemoryWithin(m, 2.0);
}

TEST(HostileFtp, ServerThatAnswersGarbage) {
    // Bytes without any line end, without end: the greeting read gives up at the reply wait,
    // keeping one buffer's worth.
    LoopbackServer noise([](LoopbackConnection& conn) {
        std::string junk(4096, '\0');
        for (std::size_t i = 0; i < junk.size(); ++i) {
            junk[i] = static_cast<char>((i * 131 + 7) % 256);
            if (junk[i] == '\n') {
                junk[i] = 'x';
            }
        }
        while (!conn.Stopping() && conn.Send(junk)) {
        }
    });
    CFtpAgent agent(Waits(500ms));
    int result = -1;
    Measured m = Measure("FTP endless garbage without line end",
                         [&] { result = agent.LogOn(HostOf(noise.Port()).c_str(), "u", "p", ""); });
    EXPECT_EQ(result, 3);
    EXPECT_LT(std::strlen(agent.LastReply()), static_cast<std::size_t>(CFtpAgent::kLastReplySize));
    EXPECT_LT(m.ms, 500 + 1000);
    ExpectMemoryWithin(m, 2.0);

    // A multi-line reply that never reaches its final line: the reply wait ends it as no reply
    // at all, and only the most recent lines are kept meanwhile.
    LoopbackServer endlessReply([](LoopbackConnection& conn) {
        std::string lines;
        for (int i = 0; i < 100; ++i) {
            lines += "220-still greeting, line after line " + std::string(40, 'g') + "\r\n";
        }
        while (!conn.Stopping() && conn.Send(lines)) {
        }
    });
    FtpSocket control;
    ASSERT_EQ(control.OpenConnection(endlessReply.Port(), "127.0.0.1"), 0);
    m = Measure("FTP endless multi-line reply",
                [&] { result = agent.ReadReply(&control, nullptr, 0); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(agent.ReplyLines().size(), CFtpAgent::kMaxReplyLines);
    EXPECT_LT(m.ms, 500 + 1000);
    ExpectMemoryWithin(m, 2.0);
    control.Disconnect();

    // Lines that are no replies at all, then a close.
    LoopbackServer nonsense([](LoopbackConnection& conn) {
        conn.Send("hello\r\n\r\n-\r\n\xff\xfe\x00\x01\r\n999999999999 x\r\n");
    });
    m = Measure("FTP lines that are no replies",
                [&] { result = agent.LogOn(HostOf(nonsense.Port()).c_str(), "u", "p", ""); });
    EXPECT_TRUE(result == 3 || result == 4) << result;
    EXPECT_LT(m.ms, 500 + 1000);
}

TEST(HostileFtp, ListingAnnouncedThatNeverComes) {
    FakeFtpServer server;
    // Announces the listing and never connects.
    server.OnReply("LIST", "150 Here comes the listing.\r\n");
    CFtpAgent agent(Waits(300ms));
    ASSERT_EQ(agent.LogOn(HostOf(server.Port()).c_str(), "u", "p", ""), 0);
    int result = -1;
    Measured m =
        Measure("FTP listing announced, no connection", [&] { result = agent.ListDirectory(); });
    EXPECT_EQ(result, 3);
    EXPECT_LT(m.ms, 300 + 1000);
    ExpectMemoryWithin(m, 2.0);

    // Connects, sends half a line and then nothing, holding the connection open.
    FakeFtpServer holding;
    holding.On("LIST", [](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 Here comes the listing.\r\n");
        LoopbackConnection data = s.ConnectData();
        data.Send("-rw-r--r-- 1 o g 12 Jan 1 2000 ha");
        data.Sleep(10s);
    });
    CFtpAgent second(Waits(300ms));
    ASSERT_EQ(second.LogOn(HostOf(holding.Port()).c_str(), "u", "p", ""), 0);
    m = Measure("FTP listing that stalls mid-line", [&] { result = second.ListDirectory(); });
    // The final reply never comes either: the listing read and the reply read each end at their
    // wait.
    EXPECT_EQ(result, 4);
    EXPECT_LE(second.EntryCount(), 1);
    EXPECT_LT(m.ms, 3 * 300 + 1000);
    ExpectMemoryWithin(m, 2.0);
}

TEST(HostileFtp, HugeListingsAreKeptWithinTheEntryCap) {
    std::string listing;
    for (int i = 0; i < 100000; ++i) {
        listing += "-rw-r--r-- 1 owner group " + std::to_string(i) + " Jan 15 12:34 f" +
                   std::to_string(i) + "\r\n";
    }
    FakeFtpServer server;
    server.ServeListing(listing);
    CFtpAgent agent(Waits(3000ms));
    ASSERT_EQ(agent.LogOn(HostOf(server.Port()).c_str(), "u", "p", ""), 0);
    int result = -1;
    Measured m = Measure("FTP listing of 100,000 lines", [&] { result = agent.ListDirectory(); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(agent.EntryCount(), 100000);
    EXPECT_LT(m.ms, 20000);
    // 100,000 entries of sizeof(FtpDirEntry) bytes in one vector that grows by doubling (the old
    // buffer alive while it is copied).
    const double entriesMiB = 100000.0 * sizeof(FtpDirEntry) / (1024.0 * 1024.0);
    ExpectMemoryWithin(m, 2 * entriesMiB + 16.0);

    // A listing without end stops at the cap: the agent closes the data connection and the
    // server's reply decides.
    FakeFtpServer endless;
    endless.On("LIST", [](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 Here comes the listing.\r\n");
        LoopbackConnection data = s.ConnectData();
        std::string block;
        for (int i = 0; i < 1000; ++i) {
            block += "-rw-r--r-- 1 o g 1 Jan 1 2000 same\r\n";
        }
        while (!data.Stopping() && data.Send(block)) {
        }
        s.Reply("426 Connection closed; transfer aborted.\r\n");
    });
    CFtpAgent second(Waits(3000ms));
    ASSERT_EQ(second.LogOn(HostOf(endless.Port()).c_str(), "u", "p", ""), 0);
    m = Measure("FTP listing without end", [&] { result = second.ListDirectory(); });
    EXPECT_EQ(result, 4);
    EXPECT_EQ(static_cast<std::size_t>(second.EntryCount()), CFtpAgent::kMaxEntries);
    EXPECT_LT(m.ms, 30000);
    const double capMiB = CFtpAgent::kMaxEntries * sizeof(FtpDirEntry) / (1024.0 * 1024.0);
    ExpectMemoryWithin(m, 2 * capMiB + 16.0);
}

}  // namespace
}  // namespace sg
