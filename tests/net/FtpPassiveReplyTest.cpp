#include "net/FtpPassiveReply.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

TEST(FtpPassiveReply, EpsvPorts) {
    const struct {
        const char* reply;
        int port;
    } rows[] = {
        {"229 Entering Extended Passive Mode (|||6446|)", 6446},
        {"229 (!!!65535!)", 65535},
        {"229 ok (|||1024|).", 1024},
        // The server's own services: an upload must not reach its mail server.
        {"229 Entering Extended Passive Mode (|||25|)", 0},
        {"229 ok (|||1023|).", 0},
        {"229 ok (|||1|).", 0},
        {"229 Entering Extended Passive Mode (|||65536|)", 0},
        {"229 Entering Extended Passive Mode (|||0|)", 0},
        {"229 Entering Extended Passive Mode (||6446|)", 0},
        {"229 Entering Extended Passive Mode (|||6446!)", 0},
        {"229 Entering Extended Passive Mode (111644611)", 0},
        {"229 Entering Extended Passive Mode (|||644600|)", 0},
        {"229 Entering Extended Passive Mode (|||6446|", 0},
        {"229 Entering Extended Passive Mode (|||-5|)", 0},
        {"229 Entering Extended Passive Mode (|||  |)", 0},
        {"229 ", 0},
        {"", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ParseEpsvReply(row.reply), row.port) << row.reply;
    }
}

TEST(FtpPassiveReply, PasvAddressesAndPorts) {
    const struct {
        const char* reply;
        bool ok;
        const char* address;
        int port;
    } rows[] = {
        {"227 Entering Passive Mode (127,0,0,1,39,16).", true, "127.0.0.1", 39 * 256 + 16},
        {"227 Entering Passive Mode 10,1,2,3,255,255", true, "10.1.2.3", 65535},
        {"227 =192,0,2,7,4,0", true, "192.0.2.7", 1024},
        {"227 =192,0,2,7,0,21", false, "", 0},
        {"227 Entering Passive Mode (127,0,0,1,3,255)", false, "", 0},
        {"227 Entering Passive Mode (127,0,0,1,0,0)", false, "", 0},
        {"227 Entering Passive Mode (127,0,0,256,1,1)", false, "", 0},
        {"227 Entering Passive Mode (127,0,0,1,1)", false, "", 0},
        {"227 Entering Passive Mode (127,0,0,1,1,1,1)", false, "", 0},
        {"227 Entering Passive Mode (127,0,0,1,1,1000)", false, "", 0},
        {"227 Entering Passive Mode (127,,0,1,1,1)", false, "", 0},
        {"227 Entering Passive Mode", false, "", 0},
        {"227", false, "", 0},
    };
    for (const auto& row : rows) {
        FtpPasvTarget target;
        target.port = 9;
        EXPECT_EQ(ParsePasvReply(row.reply, target), row.ok) << row.reply;
        EXPECT_EQ(target.address, row.address) << row.reply;
        EXPECT_EQ(target.port, row.port) << row.reply;
    }
}

}  // namespace
}  // namespace sg
