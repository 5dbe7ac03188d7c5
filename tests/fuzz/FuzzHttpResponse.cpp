// The HTTP client's reading of a response: the head, the content-type test, the body within its
// cap and the link scan over it, fed through a real loopback connection; then the readers of a
// Location and of a declared charset on the same bytes. The first byte picks a page or a head
// fetch and the body cap; the rest is what the server sends.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzPeer.h"
#include "analysis/crawl/AnswerLinks.h"
#include "html/PageCharset.h"
#include "html/TextUtil.h"
#include "net/CWebClient.h"
#include "platform/Ansi.h"

using namespace std::chrono_literals;

namespace {

// Whether a Location line of the head could lead the client's redirects off the peer (another
// host would be looked up, and only loopback may be asked): an address with a scheme or "//".
bool CouldLeaveThePeer(std::string_view response) {
    const std::size_t headEnd = response.find("\r\n\r\n");
    std::string_view head = response.substr(0, headEnd);
    for (std::size_t start = 0; start <= head.size();) {
        const std::size_t end = std::min(head.find("\r\n", start), head.size());
        std::string_view line = head.substr(start, end - start);
        start = end + 2;
        if (line.size() < 9 || !sg::EqualsNoCase(line.substr(0, 9), "Location:")) {
            continue;
        }
        const std::string_view value = sg::TrimBlanksView(line.substr(9));
        const std::size_t colon = value.find(':');
        if (value.starts_with("//") ||
            (colon != std::string_view::npos && colon < value.find('/'))) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const std::string_view response(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (CouldLeaveThePeer(response)) {
        return 0;
    }
    sg::fuzz::FuzzPeer& peer = sg::fuzz::FuzzPeer::Instance();
    peer.Serve(response, sg::fuzz::FuzzPeer::Mode::kAfterRequest);

    sg::CWebClient client;
    // The peer closes after its answer, so no wait is ever used up; these only bound a fault.
    client.SetConnectTimeout(1000ms);
    client.SetPieceTimeout(1000ms);
    client.SetAttemptDeadline(2000ms);
    // A small cap now and then, so that the cut of head and body is reached by small inputs.
    const std::size_t cap = (flags & 2) != 0 ? 64 + (flags >> 2) : sg::CWebClient::kDefaultBodyCap;
    client.SetBodyCap(cap);

    std::string address = peer.Address() + "/dir/page.html";
    const int result =
        (flags & 1) != 0 ? client.FetchHead(address.data()) : client.FetchPage(address.data());
    // A redirect the peer answers with itself again ends as a loop.
    SG_FUZZ_CHECK(result == 0 || result == 5 || (result == 1 && !client.Redirects().empty()));
    SG_FUZZ_CHECK(client.Redirects().size() <= sg::CWebClient::kMaxRedirects);

    const sg::Answer& fetched = client.Result();
    SG_FUZZ_CHECK(fetched.BodyBytes() <= cap);
    SG_FUZZ_CHECK(fetched.BodyBytes() <= response.size());
    std::size_t headBytes = 0;
    for (const std::string& line : fetched.headerLines) {
        headBytes += line.size();
    }
    SG_FUZZ_CHECK(headBytes <= cap);
    SG_FUZZ_CHECK(headBytes <= response.size());

    std::string joined;
    for (const std::string_view piece : sg::BodyPieces(fetched.BodyText())) {
        SG_FUZZ_CHECK(!piece.empty());
        joined += piece;
    }
    SG_FUZZ_CHECK(joined == fetched.BodyText());
    const sg::FoundLinks found = sg::ExtractAnswerLinks(fetched);
    for (const std::string& link : found.links) {
        SG_FUZZ_CHECK(!link.empty());
    }
    for (const std::string& frame : found.frames) {
        SG_FUZZ_CHECK(!frame.empty());
    }
    (void)client.HeaderText();

    // Any Location leads to an address in the crawl's form (never "http://"), or nowhere.
    const std::string target =
        sg::CWebClient::RedirectTarget(peer.Address() + "/dir/page.html", response.substr(0, 256));
    SG_FUZZ_CHECK(!sg::EqualsNoCase(std::string_view(target).substr(0, 7), "http://"));
    // Nothing of it can end a word or a line of the request, and it parses again to itself.
    for (char c : target) {
        const auto b = static_cast<unsigned char>(c);
        SG_FUZZ_CHECK(b > 0x20 && b < 0x7F);
    }
    if (!target.empty()) {
        const std::optional<sg::Url> again = sg::Url::Parse(target);
        SG_FUZZ_CHECK(again && again->Text() == target);
    }

    // Whatever a page declares, its character measures agree with each other.
    const std::string_view body = fetched.BodyText();
    const sg::PageCharset charset = sg::DeclaredCharset(client.ContentTypeLine(), body);
    const std::size_t characters = sg::CharacterCount(body, charset);
    SG_FUZZ_CHECK(characters <= body.size());
    SG_FUZZ_CHECK(sg::CharacterPrefix(body, characters, charset) == body);
    const std::string_view front = sg::CharacterPrefix(body, characters / 2, charset);
    SG_FUZZ_CHECK(sg::CharacterCount(front, charset) == characters / 2);
    SG_FUZZ_CHECK(body.substr(0, front.size()) == front);
    const std::string shown = sg::ReportCharsetText(body, charset);
    SG_FUZZ_CHECK(charset == sg::PageCharset::Utf8 || shown == body);

    // The same bytes as a path and as a caller's header line: whatever they hold, the request
    // is its three lines (request, the caller's, Host) and the blank line, or nothing is sent.
    const std::string_view tail = response.substr(0, 96);
    const std::size_t half = tail.size() / 2;
    std::string path(tail.substr(0, half));
    path.resize(std::strlen(path.c_str()));
    // A "://" inside would name another host, which would be looked up.
    std::replace(path.begin(), path.end(), ':', '_');
    path = peer.Address() + "/" + path;
    std::string extra(tail.substr(half));
    extra.resize(std::strlen(extra.c_str()));
    if (extra.find_first_not_of("\r\n") == std::string::npos) {
        extra = "X: y";  // a blank line of its own would end the head early
    }
    sg::CWebClient asking;
    asking.SetConnectTimeout(1000ms);
    asking.SetPieceTimeout(1000ms);
    asking.SetAttemptDeadline(2000ms);
    asking.AddRequestHeader(extra.c_str());
    peer.Serve("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\nx",
               sg::fuzz::FuzzPeer::Mode::kAfterRequest);
    const int asked = asking.FetchPage(path.data());
    if (asked != 3) {
        SG_FUZZ_CHECK(asked == 0);
        const std::string sent = peer.LastRequest();
        SG_FUZZ_CHECK(std::count(sent.begin(), sent.end(), '\n') == 4);
        SG_FUZZ_CHECK(std::count(sent.begin(), sent.end(), '\r') <= 4);
    }
    return 0;
}
