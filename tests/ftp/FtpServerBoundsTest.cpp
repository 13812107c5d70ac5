// What a server sends is bounded: a reply line, a whole reply and a listing that go on without
// end are ended at their bound and reported, with the memory held and the reply parser's work
// growing with what came, not with its square. Played by a server the test controls, which
// streams as fast as the client reads.
#include <gtest/gtest.h>

#include <functional>

#include "ftp/FtpErrorCodes.h"
#include "tests/ftp/ReplyFloods.h"
#include "tests/ftp/ScriptedSession.h"
#include "tests/support/ProcessWatch.h"

namespace {

constexpr int64_t kMiB = 1024 * 1024;

class ReplyPastItsBound : public testing::TestWithParam<FloodCase> {};

TEST_P(ReplyPastItsBound, EndsTheConnectionWithTheMemoryHeldAndTheLoopFree) {
    const FloodCase& c = GetParam();
    ScriptedSession s;
    s.sendGreeting = false;
    s.server.OnConnected = [&] {
        s.server.Send(c.start);
        s.server.Stream(Endless(c.more, 256 * kMiB));
    };
    testsupport::PeakResidentWatch memory;
    s.Connect();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.commandErrors.empty(); }, 60000));
    EXPECT_EQ(s.client.commandErrors, std::vector<int>{FtpReplyTooLong});
    EXPECT_FALSE(s.client.command.IsConnected());
    EXPECT_TRUE(s.client.command.result.empty());
    // The whole reply is 16 MiB at most; what is reported of it is held by the test's recorder.
    EXPECT_LT(memory.GrowthBytes(), 96 * kMiB);
    // Each byte is looked at about once: a parser that cut every line off the front of its buffer
    // moved the rest of a read once per line, hundreds of times the flood, and held the window
    // for 5.3 s.
    const FtpCommandSocket& parser = s.client.command;
    EXPECT_GT(parser.BytesReceived(), int64_t{FtpCommandSocket::kMaxReplyLineBytes});
    EXPECT_LE(parser.BytesScanned(), 2 * parser.BytesReceived())
        << parser.BytesReceived() << " bytes came";
    EXPECT_EQ(s.client.loginCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Floods, ReplyPastItsBound, testing::ValuesIn(kReplyFloods),
                         [](const testing::TestParamInfo<FloodCase>& info) {
                             return std::string(info.param.what);
                         });

// The session's LIST, once its data connection is up and 150 said, answered by send().
void AnswerListing(ScriptedSession& s, std::function<void()> send) {
    s.OnCommand = [&s, send](const std::string& command) {
        if (command == "PASV") {
            s.AnswerPasvFrom();
            return true;
        }
        if (command != "LIST") return false;
        s.server.WaitForDataConnection(5000);
        s.server.Send("150 Here it comes\r\n");
        send();
        return true;
    };
}

TEST(ListingPastItsBound, IsEndedAndReportedWithTheMemoryHeld) {
    ScriptedSession s;
    const std::string line =
        "-rw-r--r--   1 user  group  100 Jun 15  2020 " + std::string(60, 'n') + "\r\n";
    std::string piece;
    while (piece.size() < 64 * 1024) piece += line;
    AnswerListing(s, [&] { s.server.StreamData(Endless([&] { return piece; }, 1024 * kMiB)); });
    ASSERT_TRUE(s.ConnectAndLogIn());
    testsupport::PeakResidentWatch memory;
    s.client.command.getList();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.dataErrors.empty(); }, 60000));
    EXPECT_EQ(s.client.dataErrors, std::vector<int>{FtpListingTooLong});
    EXPECT_TRUE(s.client.lists.empty());
    EXPECT_FALSE(s.client.data.TransferRunning());
    EXPECT_TRUE(s.client.data.listData.empty());
    // The server sees its data connection broken off.
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.server.DataConnected(); }));
    EXPECT_LT(memory.GrowthBytes(),
              static_cast<int64_t>(FtpDataSocket::kMaxListingBytes) + 64 * kMiB);
    EXPECT_LT(FtpDataSocket::kMaxListingBytes, size_t{1024} * kMiB);
}

// A listing that ends in a failure (here its connection reset part-way) keeps none of what came:
// its folder is left out, and an endless one must not leave its megabytes behind.
TEST(ListingPastItsBound, AListingThatFailedHoldsNoneOfItsText) {
    ScriptedSession s;
    const std::string text(8 * kMiB, 'n');
    AnswerListing(s, [&] {
        s.server.SendData(text);
        testsupport::WaitUntil([&] { return s.client.data.listData.size() == text.size(); }, 10000);
        s.server.AbortData();
    });
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.client.command.getList();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.dataErrors.empty(); }, 20000));
    EXPECT_TRUE(s.client.lists.empty());
    EXPECT_EQ(s.client.data.listData.capacity(), std::string().capacity());
}

}  // namespace
