#include <gtest/gtest.h>

#include "ftp/DataPortAddress.h"

namespace {

struct PasvCase {
    const char* reply;
    bool ok;
    const char* host;
    int port;
};

class PasvReplyTest : public testing::TestWithParam<PasvCase> {};

TEST_P(PasvReplyTest, NamesHostAndPortOrNothing) {
    const PasvCase& c = GetParam();
    std::optional<PassivePort> p = ParsePasvReply(c.reply);
    ASSERT_EQ(p.has_value(), c.ok) << c.reply;
    if (!c.ok) return;
    EXPECT_EQ(p->host, c.host);
    EXPECT_EQ(p->port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PasvReplyTest,
    testing::Values(
        PasvCase{"227 Entering Passive Mode (192,168,0,9,4,1)\r\n", true, "192.168.0.9", 1025},
        PasvCase{"227 Entering Passive Mode (10,0,0,7,195,80).\r\n", true, "10.0.0.7", 50000},
        PasvCase{"227 =127,0,0,1,4,0\r\n", true, "127.0.0.1", 1024},  // no parentheses
        PasvCase{"227 Entering Passive Mode 127,0,0,1,0,21\r\n", true, "127.0.0.1", 21},
        // A lone number before the address is not the address.
        PasvCase{"227 Mode 2 ok (127,0,0,1,4,1)\r\n", true, "127.0.0.1", 1025},
        PasvCase{"227 Entering Passive Mode (10,0,0,7,195)\r\n", false, "", 0},    // five
        PasvCase{"227 Entering Passive Mode (10,0,0,7,300,1)\r\n", false, "", 0},  // > 255
        PasvCase{"227 Entering Passive Mode (10,0,0,7,0,0)\r\n", false, "", 0},    // port 0
        PasvCase{"227 Entering Passive Mode\r\n", false, "", 0}, PasvCase{"", false, "", 0},
        PasvCase{"227 (a,b,c,d,e,f)\r\n", false, "", 0}));

TEST(PortArgument, IsTheDottedAddressAndThePortBytes) {
    EXPECT_EQ(PortArgument("10.0.1.2", 1090), "10,0,1,2,4,66");
    EXPECT_EQ(PortArgument("10.0.1.2", 1024), "10,0,1,2,4,0");
    EXPECT_EQ(PortArgument("127.0.0.1", 1123), "127,0,0,1,4,99");
}

}  // namespace
