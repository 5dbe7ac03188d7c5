#include "net/CFtpAgent.h"

#include <netdb.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "net/ConnectFailureText.h"
#include "net/FtpListParser.h"
#include "net/FtpPassiveReply.h"
#include "net/FtpTrustList.h"
#include "platform/Ansi.h"
#include "platform/FileSystem.h"
#include "platform/TickCount.h"

namespace sg {
namespace {

constexpr int kDefaultPort = 21;

// The decimal value of the leading digits of text; 0 when it does not start with one.
int LeadingDigits(std::string_view text) {
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool Is2xx(int code) {
    return code >= 200 && code <= 299;
}

// "host" or "host:port". False when a port is written but is not 1..65535.
bool SplitHostPort(std::string_view text, std::string& host, int& port) {
    port = kDefaultPort;
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        host.assign(text);
        return true;
    }
    const std::string_view digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    port = LeadingDigits(digits);
    host.assign(text.substr(0, colon));
    return port >= 1 && port <= 65535;
}

}  // namespace

CFtpAgent::CFtpAgent() : CFtpAgent(FtpWaits{}) {}

CFtpAgent::CFtpAgent(const FtpWaits& waits)
    : nextDataPort_(kFirstDataPort + static_cast<int>(TickCount() % kDataPortSpread)) {
    SetWaits(waits);
}

CFtpAgent::~CFtpAgent() {
    replyLines_.clear();
    entries_.clear();
    LogOff();
}

void CFtpAgent::SetWaits(const FtpWaits& waits) {
    waits_ = waits;
    control_.SetSendTimeout(static_cast<int>(waits_.connect.count()));
    data_.SetSendTimeout(static_cast<int>(waits_.data.count()));
}

// --- Replies ------------------------------------------------------------------------------

bool CFtpAgent::ReadCutLine(FtpSocket& connection, Clock::time_point deadline) {
    lineLength_ = 0;
    lineBuffer_[0] = '\0';
    const auto timeLeft = [&] {
        return std::chrono::ceil<FtpWaits::Milliseconds>(deadline - Clock::now());
    };
    auto left = timeLeft();
    if (left.count() <= 0) {
        return false;
    }
    int got = connection.ReadLine(lineBuffer_, kLineBufferSize, left, deadline);
    if (got <= 0) {
        return false;
    }
    // A full buffer without LF at its end is the first piece of a longer line.
    bool ended = lineBuffer_[got - 1] == '\n' || got < kLineBufferSize - 1;
    char rest[kLineBufferSize];
    while (!ended) {
        left = timeLeft();
        const int more =
            left.count() > 0 ? connection.ReadLine(rest, sizeof(rest), left, deadline) : 0;
        ended = more <= 0 || rest[more - 1] == '\n' || more < kLineBufferSize - 1;
    }
    FtpSocket::StripLineEnd(lineBuffer_);
    lineLength_ = static_cast<int>(std::strlen(lineBuffer_));
    return true;
}

void CFtpAgent::KeepReplyLine(std::string_view line) {
    if (replyLines_.size() >= kMaxReplyLines) {
        replyLines_.pop_front();
    }
    replyLines_.emplace_back(line);
}

int CFtpAgent::ReadReply(FtpSocket* connection, char* text, int textSize) {
    if (connection == nullptr) {
        return 0;
    }
    const Clock::time_point deadline = Clock::now() + waits_.reply;
    if (!ReadCutLine(*connection, deadline)) {
        return 0;
    }
    std::string_view line = LineBuffer();
    const int code = LeadingDigits(line.substr(0, 3));
    if (line.size() >= 4 && line[3] == '-') {
        const std::string digits(line.substr(0, 3));
        replyLines_.clear();
        for (;;) {
            KeepReplyLine(line);
            if (!ReadCutLine(*connection, deadline)) {
                if (Clock::now() >= deadline) {
                    // Still going when the wait ran out: no reply, rather than one whose end
                    // never came.
                    return 0;
                }
                // Closed: the last line that arrived stands for the final one.
                break;
            }
            line = LineBuffer();
            if (line.size() >= 4 && line.substr(0, 3) == digits && line[3] == ' ') {
                KeepReplyLine(line);
                break;
            }
        }
    } else {
        KeepReplyLine(line);
    }
    const std::string_view final = replyLines_.back();
    const size_t kept = std::min(final.size(), sizeof(lastReply_) - 1);
    final.copy(lastReply_, kept);
    lastReply_[kept] = '\0';
    if (text != nullptr && textSize > 0) {
        const std::string_view after = final.size() > 4 ? final.substr(4) : std::string_view();
        const size_t length = std::min(after.size(), static_cast<size_t>(textSize - 1));
        after.copy(text, length);
        text[length] = '\0';
    }
    return code;
}

bool CFtpAgent::SendCommand(std::string_view verb, const char* argument) {
    std::string command(verb);
    if (argument != nullptr) {
        command += ' ';
        command += argument;
    }
    command += "\r\n";
    return control_.SendText(command.data(), static_cast<int>(command.size())) ==
           static_cast<int>(command.size());
}

int CFtpAgent::Command(std::string_view verb, const char* argument) {
    if (!SendCommand(verb, argument)) {
        return 0;
    }
    return ReadReply(&control_, nullptr, 0);
}

// --- Session ------------------------------------------------------------------------------

int CFtpAgent::LogOn(const char* host, const char* user, const char* password,
                     const char* account) {
    const int result = LogOnSteps(host, user, password, account);
    logOnFailure_ = DescribeLogOnResult(result);
    return result;
}

std::string CFtpAgent::DescribeLogOnResult(int result) const {
    const std::string reply(lastReply_);
    switch (result) {
        case kOk:
            return {};
        case kLogOnBadHost:
            return lookupError_ != 0
                       ? LookupErrorText(lookupError_, logOnName_)
                       : "The port after the host name must be a number from 1 to 65535.";
        case kLogOnNoConnection:
            return ConnectErrorText(connectError_, server_);
        case kLogOnNoGreeting:
            return "The server " + server_ +
                   " sent no greeting: it closed the connection or stayed silent.";
        case kLogOnGreetingRefused:
            return "The server turned the connection away: " + reply;
        case kLogOnNoUserReply:
            return "The server did not answer the user name.";
        case kLogOnNoPasswordReply:
            return "The server did not answer the password.";
        case kLogOnNoAccountReply:
            return "The server did not answer the account.";
        case kLogOnUserRefused:
        case kLogOnPasswordRefused:
        case kLogOnAccountRefused:
            return "The server refused the log-on: " + reply;
        case kLogOnTlsRefused:
            return "The server does not offer TLS (it refused AUTH TLS).";
        default:
            return "TLS failed: " + tlsError_;
    }
}

int CFtpAgent::LogOnSteps(const char* host, const char* user, const char* password,
                          const char* account) {
    LogOff();
    replyLines_.clear();
    lastReply_[0] = '\0';
    lookupError_ = 0;
    connectError_ = 0;
    logOnName_.clear();

    std::string name;
    int port = kDefaultPort;
    if (host == nullptr || !SplitHostPort(host, name, port)) {
        return kLogOnBadHost;
    }
    logOnName_ = name;
    char address[256] = {};
    if (FtpSocket::IsDottedAddress(name.c_str()) != 0) {
        const size_t length = std::min(name.size(), sizeof(address) - 1);
        name.copy(address, length);
    } else if (FtpSocket::ResolveHost(name.c_str(), address, sizeof(address), &lookupError_) != 0) {
        // An answer too long for the buffer is no name this client can use either.
        lookupError_ = lookupError_ != 0 ? lookupError_ : EAI_NONAME;
        return kLogOnBadHost;
    }
    server_ = name + ":" + std::to_string(port);
    peer_ = {};
    tlsError_.clear();
    protectData_ = false;
    dataResumed_ = false;
    epsvRefused_ = false;
    if (control_.OpenConnection(port, address) != 0) {
        connectError_ = control_.ConnectError();
        return kLogOnNoConnection;
    }

    const int greeting = ReadReply(&control_, nullptr, 0);
    if (greeting == 0) {
        return kLogOnNoGreeting;
    }
    if (greeting < 200 || greeting > 399) {
        return kLogOnGreetingRefused;
    }
    if (const int secured = StartEncryption(name); secured != 0) {
        return secured;
    }

    const auto orEmpty = [](const char* text) { return text != nullptr ? text : ""; };
    bool loggedIn = false;
    const int userReply = Command("USER", orEmpty(user));
    if (userReply == 0) {
        return kLogOnNoUserReply;
    }
    if (userReply >= 200 && userReply <= 299) {
        loggedIn = true;
    } else if (userReply < 300 || userReply > 399) {
        return kLogOnUserRefused;
    }

    if (!loggedIn) {
        const int passReply = Command("PASS", orEmpty(password));
        if (passReply == 0) {
            return kLogOnNoPasswordReply;
        }
        // Only exactly 300 asks for the account; any other 3xx (332 included) counts as in.
        if (passReply == 300) {
            const int accountReply = Command("ACCT", orEmpty(account));
            if (accountReply == 0) {
                return kLogOnNoAccountReply;
            }
            if (accountReply < 200 || accountReply > 399) {
                return kLogOnAccountRefused;
            }
        } else if (passReply < 200 || passReply > 399) {
            return kLogOnPasswordRefused;
        }
    }

    if (control_.UsingTls()) {
        // Stream mode over TLS: no buffer size of our own, then every data connection private.
        const int size = Command("PBSZ", "0");
        if (!Is2xx(size) || !Is2xx(Command("PROT", "P"))) {
            tlsError_ = "the server refused to encrypt the data connections";
            return kLogOnDataProtectionRefused;
        }
        protectData_ = true;
    }

    SetTransferType(0);
    SetTransferMode(0);
    SetFileStructure(0);
    return 0;
}

void CFtpAgent::SetTrustedFingerprint(const std::string& fingerprint) {
    trustedFingerprint_ = NormalizeFingerprint(fingerprint);
}

int CFtpAgent::StartEncryption(const std::string& host) {
    if (setting_.encryption == FtpEncryption::kOff) {
        return 0;
    }
    const int auth = Command("AUTH", "TLS");
    if (auth == 0) {
        tlsError_ = "no reply to AUTH TLS";
        return kLogOnTlsFailed;
    }
    if (auth != 234) {
        if (setting_.encryption == FtpEncryption::kRequired) {
            tlsError_ = "the server does not offer TLS";
            LogOff();
            return kLogOnTlsRefused;
        }
        return 0;
    }
    // The check's result is looked at here, so that a certificate the user accepted can pass.
    TlsConnectOptions options;
    options.allowUnverified = true;
    tlsHost_ = host;
    if (control_.StartTls(host, waits_.connect, options) != 0) {
        tlsError_ = control_.TlsError();
        control_.Disconnect();
        return kLogOnTlsFailed;
    }
    peer_ = control_.Tls()->PeerCertificate();
    if (!control_.Tls()->Verified()) {
        tlsError_ = control_.Tls()->VerifyError();
        if (trustedFingerprint_.empty() || trustedFingerprint_ != peer_.sha256) {
            LogOff();
            return kLogOnCertificateNotTrusted;
        }
    }
    return 0;
}

std::string CFtpAgent::ServerOf(std::string_view host) {
    std::string name;
    int port = kDefaultPort;
    if (!SplitHostPort(host, name, port) || name.empty()) {
        return {};
    }
    return name + ":" + std::to_string(port);
}

int CFtpAgent::LogOff() {
    control_.SendText("Quit\r\n");
    control_.Disconnect();
    data_.Disconnect();
    return 0;
}

int CFtpAgent::CheckConnection() {
    const int code = Command("NOOP", nullptr);
    if (code == 0) {
        return 1;
    }
    return Is2xx(code) ? 0 : 2;
}

int CFtpAgent::SetParameter(std::string_view verb, std::string_view letters, int value,
                            int* field) {
    if (value < 0 || value >= static_cast<int>(letters.size())) {
        return 1;
    }
    if (field != nullptr) {
        *field = value;
    }
    const char letter[2] = {letters[static_cast<size_t>(value)], '\0'};
    const int code = Command(verb, letter);
    if (code == 0) {
        return 2;
    }
    return Is2xx(code) ? 0 : 3;
}

int CFtpAgent::SetTransferType(int type) {
    return SetParameter("TYPE", "AI", type, &transferType_);
}

int CFtpAgent::SetTransferMode(int mode) {
    return SetParameter("MODE", "SBC", mode, nullptr);
}

int CFtpAgent::SetFileStructure(int structure) {
    return SetParameter("STRU", "FRP", structure, nullptr);
}

int CFtpAgent::ChangeDirectory(const char* name) {
    const int code = Command("CWD", name != nullptr ? name : "");
    if (code == 0) {
        return 1;
    }
    return Is2xx(code) ? 0 : 2;
}

int CFtpAgent::ChangeToParent() {
    const int code = Command("CDUP", nullptr);
    if (code == 0) {
        return 1;
    }
    if (Is2xx(code)) {
        return 0;
    }
    return code >= 500 && code <= 599 ? 2 : 3;
}

int CFtpAgent::PrintWorkingDirectory(std::string& folder) {
    folder.clear();
    const int code = Command("PWD", nullptr);
    if (code == 0) {
        return 1;
    }
    const std::string_view reply(lastReply_);
    const std::size_t open = reply.find('"');
    if (code != 257 || open == std::string_view::npos) {
        return 2;
    }
    for (std::size_t i = open + 1; i < reply.size(); ++i) {
        if (reply[i] != '"') {
            folder += reply[i];
        } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
            folder += '"';
            ++i;
        } else {
            return 0;
        }
    }
    // No closing quote: no name to trust.
    folder.clear();
    return 2;
}

// --- Data connections ---------------------------------------------------------------------

void CFtpAgent::AdvanceDataPort() {
    ++nextDataPort_;
    if (nextDataPort_ > kLastDataPort || nextDataPort_ < 0) {
        nextDataPort_ = kFirstDataPort;
    }
}

int CFtpAgent::OpenDataConnection() {
    return setting_.passive ? OpenPassiveConnection() : OpenActiveConnection();
}

int CFtpAgent::OpenPassiveConnection() {
    data_.Disconnect();
    int port = 0;
    if (!epsvRefused_) {
        const int code = Command("EPSV", nullptr);
        if (code == 229) {
            port = ParseEpsvReply(LastReply());
        } else if (code != 0) {
            // Not asked again in this session.
            epsvRefused_ = true;
        }
    }
    if (port == 0) {
        FtpPasvTarget target;
        // The address the reply names is not followed: only the port is taken.
        if (Command("PASV", nullptr) != 227 || !ParsePasvReply(LastReply(), target)) {
            return 2;
        }
        port = target.port;
    }
    data_.SetSendTimeout(static_cast<int>(waits_.connect.count()));
    const int connected = data_.OpenConnection(port, control_.RemoteAddressText());
    data_.SetSendTimeout(static_cast<int>(waits_.data.count()));
    if (connected != 0) {
        data_.Disconnect();
        return kNoDataConnection;
    }
    return 0;
}

bool CFtpAgent::SecureDataConnection() {
    dataResumed_ = false;
    if (!protectData_) {
        return true;
    }
    TlsConnectOptions options;
    options.resume = control_.Tls();
    options.allowUnverified = true;
    if (options.resume == nullptr || data_.StartTls(tlsHost_, waits_.connect, options) != 0) {
        tlsError_ = data_.TlsError();
        return false;
    }
    const TlsSession* tls = data_.Tls();
    dataResumed_ = tls->Resumed();
    // An unverified certificate passes only as the one the control connection showed.
    if (!tls->Verified() && tls->PeerCertificate().sha256 != peer_.sha256) {
        tlsError_ = "the data connection showed another certificate";
        return false;
    }
    return true;
}

int CFtpAgent::OpenActiveConnection() {
    data_.Disconnect();
    // Only the address the server reaches this side at listens, not every interface.
    char address[32] = {};
    control_.LocalAddress(address, sizeof(address), 1);
    int port = -1;
    for (int tries = 0; tries < kDataPortTries; ++tries) {
        // A port that a socket cannot have (reachable only by setting the next port by hand)
        // counts as taken rather than letting the system pick one.
        if (nextDataPort_ >= 1 && nextDataPort_ <= 65535 &&
            data_.ListenOn(nextDataPort_, address) == 0) {
            port = nextDataPort_;
            break;
        }
        ++nextDataPort_;
    }
    if (port < 0) {
        return 1;
    }

    std::replace(address, address + std::strlen(address), '.', ',');
    const std::string argument = std::string(address) + ',' + std::to_string((port / 256) & 255) +
                                 ',' + std::to_string(port & 255);
    const int code = Command("PORT", argument.c_str());
    AdvanceDataPort();
    if (!Is2xx(code)) {
        data_.Disconnect();
        return 2;
    }
    return 0;
}

bool CFtpAgent::AcceptDataConnection(FtpWaits::Milliseconds wait) {
    // The port is predictable: a connection from anyone but the server is refused, and the
    // wait for the server's goes on.
    if (data_.AcceptIncomingFrom(control_.RemoteAddressText(), wait) != 0) {
        data_.Disconnect();
        control_.DrainInput();
        return false;
    }
    return true;
}

int CFtpAgent::ListDirectory() {
    const int opened = OpenDataConnection();
    if (opened == kNoDataConnection) {
        return 3;
    }
    if (opened != 0) {
        return opened;
    }
    int code = 0;
    if (setting_.passive) {
        // Passive: the reply says whether the listing comes; any 1xx is the preliminary one.
        code = Command("LIST", nullptr);
        if (code < 100 || code > 299) {
            data_.Disconnect();
            return 4;
        }
    } else {
        // The preliminary reply of LIST is read after the listing.
        SendCommand("LIST", nullptr);
        if (!AcceptDataConnection(waits_.listConnect)) {
            return 3;
        }
    }
    if (!SecureDataConnection()) {
        data_.Disconnect();
        if (code < 200) {
            ReadReply(&control_, nullptr, 0);
        }
        return 3;
    }

    entries_.clear();
    currentYear_ = CurrentLocalYear();
    bool totalSkipped = false;
    while (ReadCutLine(data_, Clock::now() + waits_.data)) {
        const std::string_view line = LineBuffer();
        if (!totalSkipped && line.size() >= 5 && EqualsNoCase(line.substr(0, 5), "total")) {
            totalSkipped = true;
            continue;
        }
        if (entries_.size() >= kMaxEntries) {
            // Closing the data connection early tells the server, whose reply then decides.
            break;
        }
        FtpDirEntry& entry = entries_.emplace_back();
        if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
            ParseDosListLine(&entry);
        } else {
            ParseUnixListLine(&entry);
        }
    }
    data_.Disconnect();

    if (setting_.passive && Is2xx(code)) {
        // The final reply came first.
        return 0;
    }
    code = ReadReply(&control_, nullptr, 0);
    if (code >= 100 && code <= 199) {
        code = ReadReply(&control_, nullptr, 0);
    }
    return Is2xx(code) ? 0 : 4;
}

int CFtpAgent::ParseUnixListLine(FtpDirEntry* entry) {
    sg::ParseUnixListLine(LineBuffer(), currentYear_, *entry);
    return 0;
}

int CFtpAgent::ParseDosListLine(FtpDirEntry* entry) {
    sg::ParseDosListLine(LineBuffer(), *entry);
    return 0;
}

int CFtpAgent::EntryAt(int index, FtpDirEntry* out) const {
    if (out == nullptr || index < 0 || index >= EntryCount()) {
        return 1;
    }
    *out = entries_[static_cast<size_t>(index)];
    return 0;
}

int CFtpAgent::DownloadFile(const char* remoteName, const char* localPath) {
    // The bytes go to a file beside the target, which replaces it only when the whole file came
    // and the server said so: a failed download leaves the user's file as it was.
    const std::string target = localPath != nullptr ? localPath : "";
    const std::string part = target.empty() ? std::string() : CreateFileBeside(target);
    const int result = TransferFile("RETR", remoteName, [this, &part] {
        long bytes = 0;
        localTransferResult_ = data_.ReadToFile(part.empty() ? nullptr : part.c_str(),
                                                FtpSocket::kTruncate, &bytes, waits_.data);
    });
    if (part.empty()) {
        return result;
    }
    if (result == kOk && localTransferResult_ == FtpSocket::kOk) {
        if (!ReplaceFile(part, target)) {
            localTransferResult_ = kLocalNotReplaced;
            RemoveFile(part);
        }
    } else {
        RemoveFile(part);
    }
    return result;
}

int CFtpAgent::UploadFile(const char* localPath, const char* remoteName) {
    return TransferFile("STOR", remoteName, [this, localPath] {
        long bytes = 0;
        localTransferResult_ = data_.SendFromFile(localPath, &bytes);
    });
}

// Both transfers: data connection, command, the server connecting back, the bytes, then
// closing the data connection (which ends an upload for the server) and the final reply.
// Only that reply decides the result, not the local file's transfer.
int CFtpAgent::TransferFile(const char* command, const char* remoteName,
                            const std::function<void()>& moveBytes) {
    localTransferResult_ = -1;
    const int opened = OpenDataConnection();
    if (opened == kNoDataConnection) {
        return 4;
    }
    if (opened != 0) {
        return opened;
    }
    const int code = Command(command, remoteName != nullptr ? remoteName : "");
    if (code < 100 || code > 299) {
        data_.Disconnect();
        return 3;
    }
    if (!setting_.passive && !AcceptDataConnection(waits_.transferConnect)) {
        return 4;
    }
    if (!SecureDataConnection()) {
        data_.Disconnect();
        if (code < 200) {
            ReadReply(&control_, nullptr, 0);
        }
        return 4;
    }
    moveBytes();
    if (data_.UsingTls()) {
        // The server reads an upload to its close notice; bytes of its own left unread (TLS
        // session tickets) would turn the close into a reset that loses the file's end.
        data_.FinishAndDisconnect(waits_.data);
    } else {
        data_.Disconnect();
    }
    if (setting_.passive && Is2xx(code)) {
        return 0;
    }
    return Is2xx(ReadReply(&control_, nullptr, 0)) ? 0 : 5;
}

}  // namespace sg
