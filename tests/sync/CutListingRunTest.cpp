// A sync run after a listing cut short: a listing whose connection the server resets after its
// 226 leaves its folder out, so nothing in it is deleted; a last line cut in the middle of a name
// stands for no file, so the local file of that name is still sent. And a server whose reply
// goes on without end loses the connection with a message, while one long line within the bound
// shows cut in the pane and in the message. Played by the scripted site, in the
// upload-and-delete mode.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <memory>

#include "framework/LogArea.h"
#include "tests/sync/ScriptedSiteFixture.h"

namespace synctest {
namespace {

std::string FileLine(const std::string& name) {
    return "-rw-r--r--    1 ftp      ftp 1 Jan 01  2099 " + name + "\r\n";
}

class CutListingRun : public ScriptedSiteTest {
protected:
    // The listing of one remote folder, sent and then ended by end().
    void ListFolderAs(const std::string& folder, const std::string& text,
                      std::function<void()> end) {
        site->Intercept = [this, folder, text, end](const std::string& line) {
            if (line.rfind("CWD ", 0) == 0) cwd_ = line.substr(4);
            if (line != "LIST" || cwd_ != folder) return false;
            site->server.WaitForDataConnection(5000);
            // The client's end is up: what follows ends a connection it has.
            testsupport::WaitUntil([this] { return w->dataSocket.IsConnected(); }, 5000);
            site->server.Send("150 Here comes the listing\r\n");
            site->server.SendData(text);
            end();
            return true;
        };
    }

private:
    std::string cwd_;
};

TEST_F(CutListingRun, AListingResetAfterItsFinalReplyDeletesNothingInItsFolder) {
    MakeTree(localRoot, {{"keep.txt", "k"}, {"up.txt", "u"}, {"b", kFolder}});
    SetRemoteTree({{"keep.txt", "k"}, {"gone.txt", "g"}, {"b", kFolder}});
    // b holds "a.txt" and "mmm.txt": the reset cuts its listing inside the second name.
    ListFolderAs("/site/b", FileLine("a.txt") + "-rw-r--r--    1 ftp      ftp 1 Jan 01  2099 m",
                 [this] {
                     site->server.Send("226 Listing sent\r\n");
                     site->server.AbortData();
                 });
    w->PopupMenu1->SetListIndex(1);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_EQ(
        LogLines("一覧の途中で接続が切れたため"),
        std::vector<std::string>{"一覧の途中で接続が切れたため比較から除外しました: /site/b"});

    ExpectConfirmation("アップロード対象", {"up.txt"});
    ExpectConfirmation("削除対象", {"/site/gone.txt"});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Received({"STOR", "DELE", "RMD"}),
              (std::vector<std::string>{"STOR /site/up.txt", "DELE /site/gone.txt"}));
}

TEST_F(CutListingRun, ALastLineCutInsideANameHidesNoFileOfThatName) {
    // "index.html.bak" cut after "index.html", the connection closed in order.
    MakeTree(localRoot, {{"keep.txt", "k"}, {"index.html", "i"}});
    ListFolderAs("/site",
                 FileLine("keep.txt") + "-rw-r--r--    1 ftp      ftp 1 Jan 01  2099 index.html",
                 [this] {
                     site->server.CloseData();
                     site->server.Send("226 Listing sent\r\n");
                 });
    w->PopupMenu1->SetListIndex(1);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_EQ(LogLines("一覧の最後の行が途中で切れている"),
              std::vector<std::string>{
                  "一覧の最後の行が途中で切れているため、その行を比較から除外しました: /site"});

    ExpectConfirmation("アップロード対象", {"index.html"});
    ExpectConfirmation("削除対象", {});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Received({"STOR", "DELE", "RMD"}), std::vector<std::string>{"STOR /site/index.html"});
}

TEST_F(CutListingRun, AReplyWithoutEndLosesTheConnectionWithAMessage) {
    MakeTree(localRoot, {{"keep.txt", "k"}});
    auto left = std::make_shared<int64_t>(int64_t{64} << 20);  // far past the bound
    site->Intercept = [this, left](const std::string& line) {
        if (line != "PASV") return false;
        site->server.Send("227 ");
        site->server.Stream([left] {
            if (*left <= 0) return std::string();
            *left -= 64 * 1024;
            return std::string(64 * 1024, '7');
        });
        return true;
    };
    const std::string why = "サーバーの応答が長すぎるため、接続を切断しました。";
    ExpectMessage(why);
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript()) << LogText();
    EXPECT_EQ(LogLines(why), std::vector<std::string>{why});
    EXPECT_FALSE(w->commandSocket.IsConnected());
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagSync));
}

// A reply line of megabytes is within the bound: the log keeps it whole, and the pane and the
// message show its beginning, so that neither lays out megabytes (whole, 1 MiB took 41 s).
TEST_F(CutListingRun, AReplyLineOfMegabytesShowsCutWithoutStoppingTheWindow) {
    MakeTree(localRoot, {{"keep.txt", "k"}});
    const std::string reply = "500 " + std::string((size_t{4} << 20) - 8, 'x');
    site->Intercept = [this, reply](const std::string& line) {
        if (line != "PASV") return false;
        site->server.Send(reply + "\r\n");
        return true;
    };
    size_t shownBytes = 0;
    fw::ModalHost::ExpectStep([&shownBytes](const fw::ModalPrompt& p) {
        shownBytes = p.message.size() + p.explanation.size();
        return fw::ModalAnswer::Press("OK");
    });
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript()) << LogText().substr(0, 2000);
    EXPECT_NE(LogText().find(reply + "\n"), std::string::npos) << "the log keeps the line whole";
    EXPECT_GT(shownBytes, 0u);
    EXPECT_LT(shownBytes, size_t{16} << 10) << "the message shows the line cut";

    const size_t kept = fw::LogArea::kShownLineBytes;
    const std::string cut = "\n" + reply.substr(0, kept) + "…（" +
                            std::to_string(reply.size() - kept) + " バイト省略）\n";
    auto pane = [this] {
        return static_cast<QPlainTextEdit*>(w->EditField5->Widget())->toPlainText().toStdString();
    };
    EXPECT_TRUE(testsupport::WaitUntil([&] { return pane().find(cut) != std::string::npos; }))
        << "the pane shows the line cut: " << pane().size() << " bytes shown";
}

}  // namespace
}  // namespace synctest
