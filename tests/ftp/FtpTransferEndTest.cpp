// When a transfer counts as done, and how its other ends are reported: played by a server the
// test controls, so that the final reply can come late, wrong or never.
#include <gtest/gtest.h>

#include <filesystem>

#include "framework/ModalHost.h"
#include "ftp/FtpErrorCodes.h"
#include "tests/ftp/ScriptedSession.h"

namespace {

class TransferEnd : public testing::Test {
protected:
    void SetUp() override {
        s.OnCommand = [this](const std::string& line) {
            if (line == "PASV") {
                s.AnswerPasvFrom(pasvHost);
                return true;
            }
            if (line.rfind("STOR", 0) == 0 || line.rfind("RETR", 0) == 0) {
                s.server.Send(preliminary);
                return true;
            }
            return false;
        };
        ASSERT_TRUE(s.ConnectAndLogIn(true));
        root = getenv("QUILLOMAR_TEST_ROOT");
    }
    std::string LocalFile(const std::string& name, const std::string& bytes) {
        testsupport::WriteFile(root + "/" + name, bytes);
        return root + "/" + name;
    }
    // Starts an upload and waits until the server has the whole file.
    void UploadUntilDataClosed(const std::string& bytes) {
        s.client.command.storFile(LocalFile("up.bin", bytes), "/up.bin", "I");
        ASSERT_TRUE(s.server.WaitForDataConnection());
        ASSERT_TRUE(s.client.WaitFor([&] { return s.server.DataClosedByClient(); }));
        EXPECT_EQ(s.server.DataReceived(), bytes);
    }

    ScriptedSession s;
    std::string pasvHost = "127,0,0,1";
    std::string preliminary = "150 Opening data connection\r\n";
    std::string root;
};

TEST_F(TransferEnd, AnUploadIsCompleteOnlyWithTheServersFinalReply) {
    preliminary = "125 Data connection already open\r\n";  // taken like 150
    UploadUntilDataClosed(std::string(5000, 'u'));
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.client.transfersComplete, 0);
    s.server.Send("226 Transfer complete\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.transfersComplete == 1; }));
    EXPECT_TRUE(s.client.dataErrors.empty());
    EXPECT_EQ(s.client.bytes, 5000);
}

TEST_F(TransferEnd, AFinalErrorReplyIsNeverASuccess) {
    UploadUntilDataClosed("some bytes");
    s.server.Send("451 Local error in processing\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.serverErrors.empty(); }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.client.transfersComplete, 0);
    EXPECT_EQ(s.client.serverErrorCodes[0], 451);
    EXPECT_FALSE(s.client.data.TransferRunning());
}

TEST_F(TransferEnd, TheDataConnectionGoesToTheControlConnectionsPeer) {
    pasvHost = "10,9,9,9";  // a reply naming another host is not followed there
    UploadUntilDataClosed("x");
    s.server.Send("226 Done\r\n");
    EXPECT_TRUE(s.client.WaitFor([&] { return s.client.transfersComplete == 1; }));
}

TEST_F(TransferEnd, AReplyToPasvWithoutAUsablePortSendsNoTransferCommand) {
    s.OnCommand = [this](const std::string& line) {
        if (line != "PASV") return false;
        s.server.Send("227 Entering Passive Mode (127,0,0,1,300,1)\r\n");
        return true;
    };
    s.client.command.getList();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.dataErrors.empty(); }));
    EXPECT_EQ(s.client.dataErrors[0], FtpBadPassiveReply);
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.server.CountLines("LIST"), 0);
    EXPECT_EQ(s.client.command.status, "");
}

TEST_F(TransferEnd, ALocalFileThatCantBeReadSendsNothing) {
    const std::string received = s.server.Received();
    EXPECT_EQ(s.client.command.storFile(root + "/not-there.txt", "/x.txt", "A"), std::nullopt);
    // A folder is no file to send.
    EXPECT_EQ(s.client.command.storFile(root, "/folder.txt", "A"), std::nullopt);
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.dataErrors.size() == 2; }));
    EXPECT_EQ(s.client.dataErrors[0], FtpLocalFileUnreadable);
    EXPECT_EQ(s.client.dataErrors[1], FtpLocalFileUnreadable);
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.server.Received(), received);
}

TEST_F(TransferEnd, ATransferWithoutProgressIsAbortedAndReported) {
    s.client.data.stallTimeoutMs = 300;
    UploadUntilDataClosed("the server never confirms this");
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.dataErrors.empty(); }, 5000));
    EXPECT_EQ(s.client.dataErrors[0], FtpTransferStalled);
    EXPECT_EQ(s.client.transfersComplete, 0);
    EXPECT_FALSE(s.client.data.TransferRunning());
}

TEST_F(TransferEnd, ATextDownloadTakesCRLFAndLoneLFAsOneLineEndEach) {
    const std::string target = LocalFile("text.txt", "previous");
    s.client.command.getFile("/text.txt", target, "A", "", "");
    ASSERT_TRUE(s.server.WaitForDataConnection());
    s.server.SendData("one\r");
    s.server.SendData("\ntwo\nthree\rfour\r\n");
    s.server.CloseData();
    fw::ProcessPendingEvents();
    EXPECT_EQ(testsupport::ReadFile(target), "previous");  // untouched until confirmed
    s.server.Send("226 Done\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.transfersComplete == 1; }));
    EXPECT_EQ(testsupport::ReadFile(target), "one\ntwo\nthree\rfour\n");
}

TEST_F(TransferEnd, ADownloadBrokenOffKeepsTheOldFile) {
    const std::string target = LocalFile("keep.bin", "previous");
    s.client.command.getFile("/keep.bin", target, "I", "", "");
    ASSERT_TRUE(s.server.WaitForDataConnection());
    s.server.SendData(std::string(40000, 'n'));
    s.server.AbortData();  // to the client a reset reads like an end: the reply tells them apart
    s.server.Send("426 Connection closed; transfer aborted\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.serverErrors.empty(); }));
    EXPECT_EQ(testsupport::ReadFile(target), "previous");
    EXPECT_EQ(s.client.transfersComplete, 0);
    for (const auto& e : std::filesystem::directory_iterator(root))
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
}

TEST_F(TransferEnd, ADownloadResetAfterItsFinalReplyKeepsTheOldFile) {
    const std::string target = LocalFile("cut.bin", "previous");
    s.client.command.getFile("/cut.bin", target, "I", "", "");
    ASSERT_TRUE(s.server.WaitForDataConnection());
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.dataConnects == 1; }));
    s.server.SendData(std::string(40000, 'n'));
    s.server.Send("226 Transfer complete\r\n");
    s.server.AbortData();  // the reply said complete; the reset says what came is cut short
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.dataErrors.empty(); }));
    EXPECT_EQ(s.client.dataErrors, std::vector<int>{fw::kSocketPeerReset});
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.client.transfersComplete, 0);
    EXPECT_EQ(testsupport::ReadFile(target), "previous");
}

}  // namespace

namespace {

TEST_F(TransferEnd, ADownloadWithoutATargetAsksWhereToSaveIt) {
    fw::ModalHost::BeginScript();
    fw::ModalHost::Expect(fw::ModalAnswer::Cancel());
    const std::string received = s.server.Received();
    s.client.command.getFile("/pub/docs/readme.txt", "", "A", "", "");
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    EXPECT_EQ(fw::ModalHost::Shown()[0].kind, "save");
    EXPECT_EQ(fw::ModalHost::Shown()[0].suggestedName, "readme.txt");
    EXPECT_EQ(s.client.cancelledSaves, 1);
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.server.Received(), received);  // nothing asked of the server

    const std::string chosen = root + "/saved.txt";
    fw::ModalHost::Expect(fw::ModalAnswer::Choose(chosen));
    s.client.command.getFile("/pub/docs/readme.txt", "", "A", "", "");
    ASSERT_TRUE(s.server.WaitForDataConnection());
    s.server.SendData("text\r\n");
    s.server.CloseData();
    s.server.Send("226 Done\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.transfersComplete == 1; }));
    EXPECT_EQ(testsupport::ReadFile(chosen), "text\n");
    EXPECT_TRUE(fw::ModalHost::Unexpected().empty());
    fw::ModalHost::EndScript();
}

TEST_F(TransferEnd, ADownloadIntoAFolderThatDoesNotExistIsRefusedBeforeAnythingIsSent) {
    fw::ModalHost::BeginScript();
    fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));
    const std::string received = s.server.Received();
    const std::string target = root + "/no/such/folder/file.txt";
    s.client.command.getFile("/file.txt", target, "A", "", "");
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    EXPECT_EQ(fw::ModalHost::Shown()[0].message,
              "File Error! Are you sure the path " + target + " is valid?");
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.server.Received(), received);
    fw::ModalHost::EndScript();
}

}  // namespace
