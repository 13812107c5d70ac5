// A local tree past the bounds the remote walk keeps to, against real servers on 127.0.0.1:21: a
// folder more than 64 levels down, and a file or folder whose path on the server would pass 4,096
// bytes, are named in the log and left out, nothing below them is sent, and every other file goes
// up in a run that ends as done. A server refuses a longer command line (vsftpd ends the session),
// which stopped the whole run.
#include <gtest/gtest.h>

#include "compare/TreeBounds.h"
#include "tests/support/DeepTree.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

class LocalTreeBounds : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        // pyftpdlib refuses command lines of more than 2,048 bytes, so that no folder between that
        // and the bound could be made there: it is given vsftpd's 4,096.
        SiteServerOptions options;
        options.pyftpdlibCommandLineBytes = 4096;
        StartServer(GetParam(), options);
    }
    // A file or folder of the local tree, and whether the run is to send it.
    void Add(const std::string& relative, const std::string& bytes, bool sent) {
        const bool folder = bytes == kFolder;
        ASSERT_TRUE(testsupport::MakeDeep(localRoot, folder ? relative + "/" : relative,
                                          folder ? "" : bytes))
            << relative.size();
        if (sent) expected[relative] = bytes;
    }

    Tree expected;  // the server's tree after the run
};

TEST_P(LocalTreeBounds, WhatLiesPastThemIsLeftOutAndTheRestGoesUp) {
    Add("top.txt", "top", true);
    // 66 nested folders, a file in each.
    std::string deep;
    for (int level = 1; level <= 66; ++level) {
        deep += level == 1 ? "d" : "/d";
        Add(deep, kFolder, level <= kMaxTreeDepth);
        Add(deep + "/f.txt", "deep " + std::to_string(level), level <= kMaxTreeDepth);
    }
    const std::string at65 = deep.substr(0, 65 * 2 - 1);
    // 250-byte names, a file in each folder, down to a folder whose path on the server lies just
    // within what a server takes on a command line; in it a file whose path would be 4,097 bytes
    // long and a folder past that. The remote folder's path is the longer by far, so that the
    // local files stay within PATH_MAX: the run can open them to send them.
    const std::string remoteRoot = server->RemoteRoot() + "/" + std::string(200, 'r');
    server->PutDir(std::string(200, 'r'));
    ASSERT_LT(localRoot.size() + 100, remoteRoot.size());
    std::string folder;
    for (char c = 'a'; remoteRoot.size() + folder.size() + 251 <= 4040; ++c) {
        folder += (folder.empty() ? "" : "/") + std::string(250, c);
        Add(folder, kFolder, true);
        Add(folder + "/f.txt", "long " + std::string(1, c), true);
    }
    const size_t folderBytes = remoteRoot.size() + 1 + folder.size();
    ASSERT_GE(folderBytes, kMaxRemotePathBytes - 255);
    const std::string fileOver =
        folder + "/" + std::string(kMaxRemotePathBytes - folderBytes - 4, 'p') + ".txt";
    const std::string folderOver = folder + "/" + std::string(250, 'z');
    Add(fileOver, "over", false);
    Add(folderOver, kFolder, false);
    Add(folderOver + "/f.txt", "over", false);

    FillEditPage(server->User(), server->Password(), remoteRoot, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_EQ(LogLines("階層が深すぎるため"),
              std::vector<std::string>{TooDeepText(localRoot + at65 + "/")});
    EXPECT_EQ(LogLines("パスが長すぎるため"),
              (std::vector<std::string>{TooLongText(localRoot + fileOver),
                                        TooLongText(localRoot + folderOver + "/")}));

    std::vector<std::string> confirmed;
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt&) {
        if (SyncListDlg* dialog = fw::Window::FindOpen<SyncListDlg>())
            for (int32_t r = 0; r < dialog->Listbox1->ListCount(); ++r)
                confirmed.push_back(dialog->Listbox1->Cell(r, 0));
        return fw::ModalAnswer::Press("実行");
    });
    std::string ending;
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
        ending = p.message;
        return fw::ModalAnswer::Press("OK");
    });
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(120000)) << LogText();
    EXPECT_EQ(ending.rfind("同期が終了しました。", 0), 0u) << ending << "\n" << LogText();
    std::vector<std::string> sent;
    for (const auto& [path, bytes] : expected) sent.push_back(path);
    EXPECT_EQ(confirmed, sent);
    EXPECT_TRUE(testsupport::ReadDeep(server->LocalRoot() + "/" + std::string(200, 'r'), kFolder) ==
                expected)
        << LogText();
}

INSTANTIATE_TEST_SUITE_P(Servers, LocalTreeBounds,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

}  // namespace
}  // namespace synctest
