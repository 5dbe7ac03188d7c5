// The HTTP client's reading of a response: the head, the content-type test, the body within its
// cap and the link scan over it, fed through a real loopback connection. The first byte picks a
// page or a head fetch and the body cap; the rest is what the server sends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzPeer.h"
#include "net/CWebClient.h"

using namespace std::chrono_literals;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const std::string_view response(reinterpret_cast<const char*>(data) + 1, size - 1);
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
    SG_FUZZ_CHECK(result == 0 || result == 5);

    const sg::FetchResult& fetched = client.Result();
    SG_FUZZ_CHECK(fetched.BodyBytes() <= cap);
    SG_FUZZ_CHECK(fetched.BodyBytes() <= response.size());
    std::size_t headBytes = 0;
    for (const std::string& line : fetched.headerLines) {
        headBytes += line.size();
    }
    SG_FUZZ_CHECK(headBytes <= cap);
    SG_FUZZ_CHECK(headBytes <= response.size());

    std::string joined;
    for (const std::string& piece : fetched.BodyPieces()) {
        SG_FUZZ_CHECK(!piece.empty());
        joined += piece;
    }
    SG_FUZZ_CHECK(joined == fetched.BodyText());
    SG_FUZZ_CHECK(client.BodyLine(client.BodyLineCount()) == nullptr);
    for (int i = 0; i < client.LinkCount(); ++i) {
        SG_FUZZ_CHECK(!client.LinkAt(i).empty());
    }
    for (int i = 0; i < client.FrameCount(); ++i) {
        SG_FUZZ_CHECK(!client.FrameAt(i).empty());
    }
    (void)client.ContentTypeLine();
    (void)client.HeaderText();
    return 0;
}
