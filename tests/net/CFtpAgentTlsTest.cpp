// FTP over TLS (explicit) against scripted servers on loopback that present certificates made in
// memory: encryption of the session and of every data connection with the session resumed, what
// each setting does with a server that refuses AUTH TLS, certificates that do not verify, and a
// handshake that never ends.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "demo/DemoCertificate.h"
#include "net/CFtpAgent.h"
#include "net/TlsServerContext.h"
#include "net/TrustedCertificates.h"
#include "platform/FileSystem.h"
#include "support/FakeFtpServer.h"
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

int LogOn(CFtpAgent& agent, const FakeFtpServer& server) {
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    return agent.LogOn(host.c_str(), "sgtest", "secret", "");
}

// A fresh self-signed certificate for 127.0.0.1 and the server context presenting it.
struct Certificate {
    DemoCertificate pem;
    TlsServerContext server;
    Certificate() {
        EXPECT_EQ(MakeDemoCertificate(pem), kDemoCertificateMade);
        EXPECT_EQ(server.Load(pem.certificatePem, pem.keyPem), TlsServerContext::kOk);
    }
};

// Trusts the certificate while it lives, as a system's trusted one would be.
struct Trusted {
    const std::string pem;
    explicit Trusted(const Certificate& c) : pem(c.pem.certificatePem) {
        EXPECT_EQ(AddTrustedCertificate(pem), kTrustOk);
    }
    ~Trusted() { RemoveTrustedCertificate(pem); }
};

void ServeTransfers(FakeFtpServer& server, std::string& stored) {
    server.ServeListing("-rw-r--r-- 1 o g 5 Jan 1 2001 a.txt\r\n");
    server.On("RETR", [](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 Opening.\r\n");
        s.ConnectData().Send(std::string(50000, 'q'));
        s.Reply("226 Transfer complete.\r\n");
    });
    server.On("STOR", [&stored](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("150 Ok to send data.\r\n");
        stored = s.ConnectData().ReadUntilClosed();
        s.Reply("226 Transfer complete.\r\n");
    });
}

TEST(CFtpAgentTls, SessionAndDataConnectionsAreEncryptedAndResumed) {
    Certificate certificate;
    Trusted trusted(certificate);
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FakeFtpServer server;
        server.EnableTls(&certificate.server);
        std::string stored;
        ServeTransfers(server, stored);
        CFtpAgent agent(ShortWaits());
        agent.SetConnectionSetting({passive, FtpEncryption::kRequired});
        ASSERT_EQ(LogOn(agent, server), 0) << agent.TlsError();
        EXPECT_TRUE(agent.Encrypted());
        EXPECT_EQ(agent.TlsError(), "");
        EXPECT_EQ(agent.PeerCertificate().sha256.size(), 95u);
        ASSERT_EQ(agent.ListDirectory(), 0) << agent.TlsError();
        EXPECT_EQ(agent.EntryCount(), 1);
        EXPECT_TRUE(agent.DataSessionResumed());
        test::TempDir dir;
        const std::string local = dir / "down.bin";
        ASSERT_EQ(agent.DownloadFile("r.bin", local.c_str()), 0) << agent.TlsError();
        std::string got;
        ASSERT_TRUE(ReadWholeFile(local, got));
        EXPECT_EQ(got, std::string(50000, 'q'));
        ASSERT_EQ(agent.UploadFile(local.c_str(), "up.bin"), 0) << agent.TlsError();
        agent.LogOff();
        ASSERT_TRUE(server.WaitDone());
        EXPECT_EQ(stored, got);
        EXPECT_EQ(server.TlsDataConnections(), 3);
        EXPECT_EQ(server.ResumedDataConnections(), 3);
        const std::vector<std::string> commands = server.Commands();
        ASSERT_GE(commands.size(), 5u);
        const std::vector<std::string> first(commands.begin(), commands.begin() + 5);
        const std::vector<std::string> expected = {"AUTH TLS", "USER sgtest", "PASS secret",
                                                   "PBSZ 0", "PROT P"};
        EXPECT_EQ(first, expected);
    }
}

// What each setting does with a server that answers AUTH TLS with a refusal.
TEST(CFtpAgentTls, ServerWithoutTlsGetsWhatTheSettingSays) {
    struct Case {
        FtpEncryption encryption;
        int expected;
        bool authSent;
        bool passwordSent;
    };
    const Case cases[] = {
        {FtpEncryption::kRequired, CFtpAgent::kLogOnTlsRefused, true, false},
        {FtpEncryption::kIfOffered, 0, true, true},
        {FtpEncryption::kOff, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(FtpEncryptionWord(c.encryption)));
        FakeFtpServer server;
        server.ServeListing("-rw-r--r-- 1 o g 5 Jan 1 2001 a.txt\r\n");
        CFtpAgent agent(ShortWaits());
        agent.SetConnectionSetting({true, c.encryption});
        EXPECT_EQ(LogOn(agent, server), c.expected);
        EXPECT_FALSE(agent.Encrypted());
        if (c.expected == 0) {
            EXPECT_EQ(agent.ListDirectory(), 0);
        }
        agent.LogOff();
        ASSERT_TRUE(server.WaitDone());
        EXPECT_EQ(server.ReceivedVerb("AUTH"), c.authSent);
        EXPECT_EQ(server.ReceivedVerb("USER"), c.passwordSent);
        EXPECT_EQ(server.ReceivedVerb("PASS"), c.passwordSent);
        EXPECT_FALSE(server.ReceivedVerb("PBSZ"));
    }
}

// A certificate that does not verify stops the log-on before the user name, unless it is the
// very certificate whose fingerprint was trusted.
TEST(CFtpAgentTls, UnverifiedCertificateOnlyByItsFingerprint) {
    Certificate first;
    Certificate second;
    ASSERT_NE(first.pem.certificatePem, second.pem.certificatePem);
    FakeFtpServer server;
    server.EnableTls(&first.server);
    FakeFtpServer other;
    other.EnableTls(&second.server);
    CFtpAgent agent(ShortWaits());
    agent.SetConnectionSetting({true, FtpEncryption::kIfOffered});
    EXPECT_EQ(LogOn(agent, server), CFtpAgent::kLogOnCertificateNotTrusted);
    EXPECT_EQ(agent.TlsError(), "self-signed certificate");
    EXPECT_NE(agent.PeerCertificate().subject.find("CN="), std::string::npos);
    const std::string fingerprint = agent.PeerCertificate().sha256;
    ASSERT_EQ(fingerprint.size(), 95u);
    EXPECT_EQ(agent.Server(), "127.0.0.1:" + std::to_string(server.Port()));

    // Written as a user might: lower case, without colons.
    std::string typed;
    for (char c : fingerprint) {
        if (c != ':') {
            typed += static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
        }
    }
    agent.SetTrustedFingerprint(typed);
    EXPECT_EQ(LogOn(agent, server), 0);
    EXPECT_TRUE(agent.Encrypted());
    EXPECT_EQ(LogOn(agent, other), CFtpAgent::kLogOnCertificateNotTrusted);
    EXPECT_NE(agent.PeerCertificate().sha256, fingerprint);
    agent.LogOff();
    ASSERT_TRUE(server.WaitDone(2));
    ASSERT_TRUE(other.WaitDone());
    int users = 0;
    for (const std::string& command : server.Commands()) {
        users += command.rfind("USER", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(users, 1);
    EXPECT_FALSE(other.ReceivedVerb("USER"));
}

TEST(CFtpAgentTls, HandshakeThatNeverEndsIsBounded) {
    FakeFtpServer server;
    server.On("AUTH", [](FakeFtpServer::Session& s, const std::string&) {
        s.Reply("234 Proceed.\r\n");
        s.control.Sleep(Ms(5000));
    });
    FtpWaits waits = ShortWaits();
    waits.connect = Ms(300);
    CFtpAgent agent(waits);
    agent.SetConnectionSetting({true, FtpEncryption::kIfOffered});
    const auto start = Clock::now();
    EXPECT_EQ(LogOn(agent, server), CFtpAgent::kLogOnTlsFailed);
    EXPECT_LT(std::chrono::duration_cast<Ms>(Clock::now() - start).count(), 1500);
    EXPECT_EQ(agent.TlsError(), "the handshake timed out");
    EXPECT_FALSE(server.ReceivedVerb("USER"));
}

}  // namespace
}  // namespace sg
