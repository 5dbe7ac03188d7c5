#include "support/FakeFtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "net/TlsSession.h"

namespace sg::test {
namespace {

constexpr LoopbackConnection::Milliseconds kCommandWait{10000};

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// "h1,h2,h3,h4,p1,p2" into a dotted address and a port.
void ParsePort(const std::string& argument, std::string& address, int& port) {
    std::vector<int> numbers;
    size_t pos = 0;
    while (pos <= argument.size()) {
        const size_t comma = argument.find(',', pos);
        const std::string part =
            argument.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        numbers.push_back(std::atoi(part.c_str()));
        if (comma == std::string::npos) {
            break;
        }
        pos = comma + 1;
    }
    if (numbers.size() != 6) {
        address.clear();
        port = 0;
        return;
    }
    address = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
              std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
    port = numbers[4] * 256 + numbers[5];
}

}  // namespace

FakeFtpServer::Session::~Session() {
    if (passiveFd >= 0) {
        ::close(passiveFd);
    }
}

int FakeFtpServer::Session::ListenPassive() {
    if (passiveFd >= 0) {
        ::close(passiveFd);
    }
    passiveFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(local);
    if (passiveFd < 0 || ::bind(passiveFd, reinterpret_cast<sockaddr*>(&local), length) != 0 ||
        ::listen(passiveFd, 1) != 0 ||
        ::getsockname(passiveFd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

LoopbackConnection FakeFtpServer::Session::ConnectData() {
    LoopbackConnection data =
        passiveFd >= 0 ? control.AcceptOn(passiveFd) : control.ConnectTo(dataPort);
    if (passiveFd >= 0) {
        ::close(passiveFd);
        passiveFd = -1;
    }
    if (data.IsOpen() && dataTls != nullptr) {
        if (!data.AcceptTls(*dataTls)) {
            return LoopbackConnection(-1);
        }
        server->tlsData_.fetch_add(1);
        if (data.Tls()->Resumed()) {
            server->resumedData_.fetch_add(1);
        }
    }
    return data;
}

FakeFtpServer::FakeFtpServer(std::string greeting)
    : greeting_(std::move(greeting)),
      server_([this](LoopbackConnection& connection) { Serve(connection); }) {}

void FakeFtpServer::OnReply(const std::string& verb, std::string reply) {
    On(verb,
       [reply = std::move(reply)](Session& session, const std::string&) { session.Reply(reply); });
}

void FakeFtpServer::ServeListing(std::string listing) {
    On("LIST", [listing = std::move(listing)](Session& session, const std::string&) {
        session.Reply("150 Here comes the listing.\r\n");
        LoopbackConnection data = session.ConnectData();
        data.Send(listing, LoopbackConnection::Milliseconds(60000));
        data.Close();
        session.Reply("226 Directory send OK.\r\n");
    });
}

std::vector<std::string> FakeFtpServer::Commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

bool FakeFtpServer::Received(const std::string& line) const {
    for (const std::string& command : Commands()) {
        if (command == line) {
            return true;
        }
    }
    return false;
}

bool FakeFtpServer::ReceivedVerb(const std::string& verb) const {
    for (const std::string& command : Commands()) {
        if (UpperAscii(command.substr(0, command.find(' '))) == verb) {
            return true;
        }
    }
    return false;
}

void FakeFtpServer::Serve(LoopbackConnection& connection) {
    Session session{connection, {}, 0, -1, nullptr, this};
    const TlsServerContext* const tls = tls_.load();
    if (!greeting_.empty()) {
        session.Reply(greeting_);
    }
    while (connection.IsOpen() && !connection.Stopping()) {
        std::string line = connection.ReadLine(kCommandWait);
        if (line.empty() || line.back() != '\n') {
            return;
        }
        line.erase(line.find_last_not_of("\r\n") + 1);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            commands_.push_back(line);
        }
        const size_t blank = line.find(' ');
        const std::string verb = UpperAscii(line.substr(0, blank));
        const std::string argument = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (verb == "PORT") {
            ParsePort(argument, session.dataAddress, session.dataPort);
            if (session.passiveFd >= 0) {
                ::close(session.passiveFd);
                session.passiveFd = -1;
            }
        }
        const auto handler = handlers_.find(verb);
        if (handler != handlers_.end()) {
            handler->second(session, argument);
        } else if (verb == "USER") {
            session.Reply("331 Please specify the password.\r\n");
        } else if (verb == "PASS") {
            session.Reply("230 Login successful.\r\n");
        } else if (verb == "EPSV") {
            const int port = session.ListenPassive();
            session.Reply("229 Entering Extended Passive Mode (|||" + std::to_string(port) +
                          "|)\r\n");
        } else if (verb == "PASV") {
            const int port = session.ListenPassive();
            session.Reply("227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) +
                          "," + std::to_string(port % 256) + ").\r\n");
        } else if (verb == "AUTH" && tls != nullptr && UpperAscii(argument) == "TLS" &&
                   connection.Tls() == nullptr) {
            session.Reply("234 Proceed with negotiation.\r\n");
            if (!connection.AcceptTls(*tls)) {
                return;
            }
        } else if (verb == "PBSZ" && connection.Tls() != nullptr) {
            session.Reply("200 PBSZ set to 0.\r\n");
        } else if (verb == "PROT" && connection.Tls() != nullptr) {
            session.dataTls = UpperAscii(argument) == "P" ? tls : nullptr;
            session.Reply("200 PROT now " + std::string(session.dataTls ? "Private" : "Clear") +
                          ".\r\n");
        } else if (verb == "QUIT") {
            session.Reply("221 Goodbye.\r\n");
            return;
        } else if (verb == "PORT" || verb == "TYPE" || verb == "MODE" || verb == "STRU" ||
                   verb == "NOOP" || verb == "CWD" || verb == "CDUP") {
            session.Reply("200 OK.\r\n");
        } else {
            session.Reply("502 Not implemented.\r\n");
        }
    }
}

}  // namespace sg::test
