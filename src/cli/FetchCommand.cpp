#include "cli/FetchCommand.h"

#include "analysis/crawl/AnswerLinks.h"
#include "cli/CliArgs.h"
#include "cli/ExitCode.h"
#include "cli/TerminalText.h"
#include "net/ApplyProxySettings.h"
#include "net/CWebClient.h"
#include "platform/Ansi.h"

namespace sg {
namespace {

constexpr std::string_view kUsage =
    "fetch [--head] URL\n"
    "                 fetch a page (or only its head) as every analysis does, through the\n"
    "                 proxy settings, following redirects; print one redirect: line per\n"
    "                 redirect followed (\"(leaves https)\" after one from an https address\n"
    "                 to a plain http one), the result code, the header lines, the links, the\n"
    "                 frames, the references not asked for (a file: address, one over 8 KiB),\n"
    "                 the links past the per-page limit (10000) and the body size";

constexpr int kAttempts = 3;

int Run(CliContext& context) {
    CliArgs args(context.args);
    bool head = false;
    std::string url;
    while (!args.AtEnd()) {
        if (args.TakeFlag("--head")) {
            head = true;
        } else if (!url.empty() || !args.TakePositional(url)) {
            return CliUsageError(context, "fetch", "unexpected argument " + args.Current());
        }
    }
    if (url.empty()) {
        return CliUsageError(context, "fetch", "no URL given");
    }

    CWebClient client;
    ApplyProxySettings(client);
    const std::string address = Utf8ToAnsi(url);
    const int result = head ? client.FetchHeadRetrying(address, kAttempts)
                            : client.FetchPageRetrying(address, kAttempts);

    std::ostream& out = context.out;
    for (std::size_t hop = 0; hop < client.Redirects().size(); ++hop) {
        out << "redirect: " << TerminalText(client.Redirects()[hop])
            << (client.HopLeavesHttps(hop) ? " (leaves https)" : "") << '\n';
    }
    if (!client.TlsError().empty()) {
        out << "tls-error: " << TerminalText(client.TlsError()) << '\n';
        CliError(context, "fetch: TLS: " + TerminalText(client.TlsError()));
    }
    out << "result: " << result << '\n';
    for (const std::string& line : client.Result().headerLines) {
        out << "header: " << TerminalText(line) << '\n';
    }
    const FoundLinks found = ExtractAnswerLinks(client.Result());
    for (const std::string& link : found.links) {
        out << "link: " << TerminalText(link) << '\n';
    }
    for (const std::string& frame : found.frames) {
        out << "frame: " << TerminalText(frame) << '\n';
    }
    for (const UnaskedReference& reference : found.unasked) {
        out << "not-asked: " << TerminalUtf8Text(reference.value) << " ("
            << (reference.why == UnaskedReference::Why::TooLong ? "address too long"
                                                                : "not on the web")
            << ")\n";
    }
    if (found.beyondLimit > 0) {
        out << "links-not-read: " << found.beyondLimit << '\n';
    }
    out << "body-bytes: " << client.Result().BodyBytes() << '\n';
    return result == CWebClient::kFetchOk ? kExitOk : kExitFailed;
}

}  // namespace

CliCommand FetchCommand() {
    return CliCommand{"fetch", kUsage, &Run,
                      "0    the page (or head) was fetched\n"
                      "1    the fetch failed (its result code is printed)\n"
                      "2    bad usage"};
}

}  // namespace sg
