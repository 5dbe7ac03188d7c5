#pragma once
// The replies that open a passive data connection: 229 to EPSV names a port, 227 to PASV an
// address and a port. Pure text readers; the agent connects to the control connection's peer
// whatever address a 227 names.

#include <string>
#include <string_view>

namespace sg {

// The lowest port a passive reply may name. Below it lie the server's own services (25 is its
// mail server): a hostile server would have an upload's bytes sent there.
inline constexpr int kFirstPassivePort = 1024;

// The port of "229 Entering Extended Passive Mode (|||6446|)": the text between the first "("
// and the next ")", three equal delimiters (any printable byte but a digit), the decimal port
// and the same delimiter. kFirstPassivePort..65535, or 0 when the reply holds no such text or
// names a port below it.
int ParseEpsvReply(std::string_view reply);

struct FtpPasvTarget {
    // Dotted text of the four address numbers.
    std::string address;
    int port = 0;
};

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the first six comma-separated numbers after
// the code, each 0..255, with or without the parentheses; the port is p1 * 256 + p2 and must
// be kFirstPassivePort or above. False (and `out` emptied) when the reply holds no such numbers.
bool ParsePasvReply(std::string_view reply, FtpPasvTarget& out);

}  // namespace sg
