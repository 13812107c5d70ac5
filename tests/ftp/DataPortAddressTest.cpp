#include <gtest/gtest.h>

#include "ftp/DataPortAddress.h"

namespace {

struct PasvCase {
    const char* name;
    const char* reply;
    bool ok;
    const char* host;
    int port;
};

void PrintTo(const PasvCase& c, std::ostream* os) {
    *os << testing::PrintToString(std::string(c.reply));
}

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
        PasvCase{"InParentheses", "227 Entering Passive Mode (192,168,0,9,4,1)\r\n", true,
                 "192.168.0.9", 1025},
        PasvCase{"FollowedByADot", "227 Entering Passive Mode (10,0,0,7,195,80).\r\n", true,
                 "10.0.0.7", 50000},
        PasvCase{"AfterAnEqualsSign", "227 =127,0,0,1,4,0\r\n", true, "127.0.0.1", 1024},
        PasvCase{"WithoutParentheses", "227 Entering Passive Mode 127,0,0,1,0,21\r\n", true,
                 "127.0.0.1", 21},
        // A lone number before the address is not the address.
        PasvCase{"AfterALoneNumber", "227 Mode 2 ok (127,0,0,1,4,1)\r\n", true, "127.0.0.1", 1025},
        PasvCase{"FiveNumbers", "227 Entering Passive Mode (10,0,0,7,195)\r\n", false, "", 0},
        PasvCase{"ANumberAbove255", "227 Entering Passive Mode (10,0,0,7,300,1)\r\n", false, "", 0},
        PasvCase{"PortZero", "227 Entering Passive Mode (10,0,0,7,0,0)\r\n", false, "", 0},
        PasvCase{"NoNumbers", "227 Entering Passive Mode\r\n", false, "", 0},
        PasvCase{"Empty", "", false, "", 0},
        PasvCase{"Letters", "227 (a,b,c,d,e,f)\r\n", false, "", 0}),
    [](const testing::TestParamInfo<PasvCase>& info) { return std::string(info.param.name); });

TEST(PortArgument, IsTheDottedAddressAndThePortBytes) {
    EXPECT_EQ(PortArgument("10.0.1.2", 1090), "10,0,1,2,4,66");
    EXPECT_EQ(PortArgument("10.0.1.2", 1024), "10,0,1,2,4,0");
    EXPECT_EQ(PortArgument("127.0.0.1", 1123), "127,0,0,1,4,99");
}

}  // namespace
