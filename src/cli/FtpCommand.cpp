#include "cli/FtpCommand.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliArgs.h"
#include "cli/ExitCode.h"
#include "cli/TerminalText.h"
#include "net/CFtpAgent.h"
#include "net/FtpConnectionSetting.h"
#include "net/FtpTransferType.h"
#include "net/FtpTrustList.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "ftp --host H[:PORT] --user U --password P [OPTIONS] [--cd DIR] ls\n"
    "ftp --host H[:PORT] --user U --password P [OPTIONS] [--cd DIR] get REMOTE LOCAL\n"
    "ftp --host H[:PORT] --user U --password P [OPTIONS] [--cd DIR] put LOCAL [REMOTE]\n"
    "                 log on to an FTP server (port 21 unless given), optionally change folder,\n"
    "                 then list it (d or -, size, date, name), download or upload one file;\n"
    "                 text or image type by the file's extension\n"
    "  --active       the server connects back for each listing and transfer (PORT); without\n"
    "                 it the data connections are passive (EPSV, or PASV)\n"
    "  --tls auto|require|off\n"
    "                 auto (the default): TLS when the server offers it (AUTH TLS), else plain;\n"
    "                 require: fail, sending no password, when it does not; off: plain FTP\n"
    "  --trust SHA256 accept the server's certificate with this SHA-256 fingerprint although it\n"
    "                 does not verify (the failure message shows the fingerprint)";

// Why the log-on's TLS failed, in words, with what a person needs to decide.
std::string TlsFailure(const CFtpAgent& agent, int result) {
    switch (result) {
        case CFtpAgent::kLogOnTlsRefused:
            return "the server does not offer TLS (AUTH TLS refused); no password was sent";
        case CFtpAgent::kLogOnCertificateNotTrusted:
            return "the certificate of " + TerminalText(agent.Server()) + " does not verify (" +
                   TerminalText(agent.TlsError()) +
                   "); subject: " + TerminalText(agent.PeerCertificate().subject) +
                   "; SHA-256 fingerprint: " + agent.PeerCertificate().sha256 +
                   "; no password was sent. To connect anyway: --trust " +
                   agent.PeerCertificate().sha256;
        case CFtpAgent::kLogOnTlsFailed:
            return "TLS failed: " + TerminalText(agent.TlsError());
        case CFtpAgent::kLogOnDataProtectionRefused:
            return TerminalText(agent.TlsError());
        default:
            return {};
    }
}

// What failed, the agent's result code and the server's last reply.
int Failure(CliContext& context, const CFtpAgent& agent, std::string_view step, int result) {
    std::string message =
        std::string("ftp ") + std::string(step) + ": result " + std::to_string(result);
    if (agent.LastReply()[0] != '\0') {
        message += ", last reply: " + TerminalText(agent.LastReply());
    }
    if (step == "log on") {
        if (const std::string why = TlsFailure(agent, result); !why.empty()) {
            message += ": " + why;
        } else if (!agent.LogOnFailure().empty()) {
            // Refused, timed out, name not found: the cause a person can act on.
            message += ": " + TerminalText(agent.LogOnFailure());
        }
    }
    CliError(context, message);
    return kExitFailed;
}

// The name after the last "/".
std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void PrintEntry(CliContext& context, const FtpDirEntry& entry) {
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d %02d:%02d", entry.year, entry.month,
                  entry.day, entry.hour, entry.minute);
    context.out << (entry.isFolder != 0 ? 'd' : '-') << ' ' << entry.size << ' ' << stamp << ' '
                << TerminalText(entry.name) << '\n';
}

bool CanRead(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

// Without creating it: a download the server refuses must leave no empty file behind.
bool CanWrite(const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return !std::filesystem::is_directory(path, error) && ::access(path.c_str(), W_OK) == 0;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const std::string where = folder.empty() ? std::string(".") : folder.string();
    return ::access(where.c_str(), W_OK | X_OK) == 0;
}

// What the local side of a transfer that the server accepted went through; empty when it went
// well. The results are those of FtpSocket::ReadToFile and SendFromFile.
std::string LocalFailure(bool download, int local) {
    if (local == FtpSocket::kOk) {
        return {};
    }
    if (download) {
        switch (local) {
            case FtpSocket::kReadOpenFailed:
                return "the local file could not be opened";
            case FtpSocket::kReadTimedOut:
                return "the data connection stalled";
            case FtpSocket::kReadReceiveFailed:
                return "the data connection failed";
            case FtpSocket::kReadShortWrite:
                return "the local file could not be written whole";
            case CFtpAgent::kLocalNotReplaced:
                return "the local file could not be replaced";
            default:
                return "the data did not arrive";
        }
    }
    switch (local) {
        case FtpSocket::kSendOpenFailed:
            return "the local file could not be opened";
        case FtpSocket::kSendFailed:
            return "the server stopped taking the data";
        case FtpSocket::kSendReadFailed:
            return "the local file could not be read whole";
        default:
            return "the data was not sent";
    }
}

int Run(CliContext& context) {
    CliArgs args(context.args);
    std::string host;
    std::string user;
    std::string password;
    std::string folder;
    bool haveHost = false;
    bool haveUser = false;
    bool havePassword = false;
    bool haveFolder = false;
    FtpConnectionSetting setting;
    std::string tls;
    std::string trust;
    std::vector<std::string> words;
    std::string value;
    while (!args.AtEnd() && !args.Failed()) {
        if (args.TakeFlag("--active")) {
            setting.passive = false;
        } else if (args.TakeValue("--tls", tls)) {
            if (!ParseFtpEncryptionWord(tls, setting.encryption)) {
                args.Fail("--tls takes auto, require or off");
            }
        } else if (args.TakeValue("--trust", trust)) {
            if (NormalizeFingerprint(trust).empty()) {
                args.Fail(
                    "--trust takes a SHA-256 fingerprint (64 hex digits, \":\" between "
                    "pairs allowed)");
            }
        } else if (args.TakeValue("--host", host)) {
            haveHost = true;
        } else if (args.TakeValue("--user", user)) {
            haveUser = true;
        } else if (args.TakeValue("--password", password)) {
            havePassword = true;
        } else if (args.TakeValue("--cd", folder)) {
            haveFolder = true;
        } else if (args.TakePositional(value)) {
            words.push_back(value);
        } else {
            args.Fail("unknown option " + args.Current());
        }
    }
    if (args.Failed()) {
        return CliUsageError(context, "ftp", args.Error());
    }
    if (!haveHost || !haveUser || !havePassword) {
        return CliUsageError(context, "ftp", "--host, --user and --password are required");
    }
    if (words.empty()) {
        return CliUsageError(context, "ftp", "expected ls, get or put");
    }
    const std::string& action = words[0];
    const size_t operands = words.size() - 1;
    if (action == "ls") {
        if (operands != 0) {
            return CliUsageError(context, "ftp", "ls takes no arguments");
        }
    } else if (action == "get") {
        if (operands != 2) {
            return CliUsageError(context, "ftp", "get needs REMOTE and LOCAL");
        }
        // Checked first: the transfer's own result is the server's word only.
        if (!CanWrite(words[2])) {
            CliError(context, "ftp get: cannot write " + words[2]);
            return kExitFailed;
        }
    } else if (action == "put") {
        if (operands < 1 || operands > 2) {
            return CliUsageError(context, "ftp", "put needs LOCAL and at most one REMOTE");
        }
        if (!CanRead(words[1])) {
            CliError(context, "ftp put: cannot read " + words[1]);
            return kExitUsage;
        }
    } else {
        return CliUsageError(context, "ftp",
                             "unknown action " + action + " (expected ls, get or put)");
    }

    // The server's text is Windows-1252; local paths stay as the terminal gave them.
    CFtpAgent agent;
    agent.SetConnectionSetting(setting);
    agent.SetTrustedFingerprint(trust);
    int result = agent.LogOn(Utf8ToAnsi(host).c_str(), Utf8ToAnsi(user).c_str(),
                             Utf8ToAnsi(password).c_str(), "");
    if (result != CFtpAgent::kOk) {
        return Failure(context, agent, "log on", result);
    }
    if (haveFolder &&
        (result = agent.ChangeDirectory(Utf8ToAnsi(folder).c_str())) != CFtpAgent::kOk) {
        return Failure(context, agent, "cd", result);
    }

    if (action == "ls") {
        if ((result = agent.ListDirectory()) != CFtpAgent::kOk) {
            return Failure(context, agent, "ls", result);
        }
        FtpDirEntry entry;
        for (int i = 0; agent.EntryAt(i, &entry) == CFtpAgent::kOk; ++i) {
            PrintEntry(context, entry);
        }
    } else if (action == "get") {
        const std::string& local = words[2];
        if ((result = agent.SetTransferType(DownloadTransferType(BaseName(local)))) !=
            CFtpAgent::kOk) {
            return Failure(context, agent, "type", result);
        }
        // The agent writes the file only when it came whole: a failure leaves what was there.
        result = agent.DownloadFile(Utf8ToAnsi(words[1]).c_str(), local.c_str());
        const std::string failure = LocalFailure(true, agent.LocalTransferResult());
        if (result != CFtpAgent::kOk || !failure.empty()) {
            if (result != CFtpAgent::kOk) {
                return Failure(context, agent, "get", result);
            }
            CliError(context, "ftp get: " + failure + ": " + local);
            return kExitFailed;
        }
    } else {
        const std::string& local = words[1];
        const std::string remote = Utf8ToAnsi(operands == 2 ? words[2] : BaseName(local));
        if ((result = agent.SetTransferType(UploadTransferType(BaseName(local)))) !=
            CFtpAgent::kOk) {
            return Failure(context, agent, "type", result);
        }
        if ((result = agent.UploadFile(local.c_str(), remote.c_str())) != CFtpAgent::kOk) {
            return Failure(context, agent, "put", result);
        }
        if (const std::string failure = LocalFailure(false, agent.LocalTransferResult());
            !failure.empty()) {
            CliError(context, "ftp put: " + failure + ": " + local);
            return kExitFailed;
        }
    }
    agent.LogOff();
    return kExitOk;
}

}  // namespace

CliCommand FtpCommand() {
    return CliCommand{
        "ftp", kUsage, &Run,
        "0    the listing or the transfer is done\n"
        "1    log-on, folder change, listing or transfer failed (the step, its result\n"
        "     code and the server's last reply are printed; for TLS also why, and the\n"
        "     fingerprint of a certificate that does not verify), or the local side of a\n"
        "     transfer failed (get then leaves the local file as it was, or makes none)\n"
        "2    bad usage, or a local file to upload that cannot be read"};
}

}  // namespace sg
