// A server that confirms an upload (226) right after accepting it (150), before its data has
// come, and then reads the data to its end and stores it: the upload still sends every byte,
// closes its data connection as the end of the file, and completes as any other, in passive and
// active mode.
#include <gtest/gtest.h>

#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

class EarlyFinalReply : public SyncWindowTest, public testing::WithParamInterface<bool> {};

TEST_P(EarlyFinalReply, StillSendsTheWholeFileAndTheRunGoesOn) {
    StartServer(ServerKind::Pyftpdlib, {.earlyFinalReply = true});
    std::string bytes(3000000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    MakeTree(localRoot, {{"big.bin", bytes}, {"z.bin", "last"}});
    FillEditPage(*server, GetParam());
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    ExpectConfirmation("アップロード対象", {"big.bin", "z.bin"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait(60000)) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    // The server stores what it read once the client has closed the data connection.
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            return testsupport::ReadFile(server->LocalRoot() + "/big.bin").size() == bytes.size();
        },
        20000))
        << testsupport::ReadFile(server->LocalRoot() + "/big.bin").size() << " bytes stored";
    EXPECT_TRUE(testsupport::ReadFile(server->LocalRoot() + "/big.bin") == bytes);
    EXPECT_EQ(testsupport::ReadFile(server->LocalRoot() + "/z.bin"), "last");
    EXPECT_FALSE(Has("uploading.txt")) << Get("uploading.txt");
}

INSTANTIATE_TEST_SUITE_P(Modes, EarlyFinalReply, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Passive" : "Active");
                         });

}  // namespace
}  // namespace synctest
