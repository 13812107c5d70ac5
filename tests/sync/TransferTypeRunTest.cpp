// The representation type in a sync run: a text lands with the profile's line ends on servers
// that follow RFC 959 in ASCII mode too, and a run sends TYPE once a connection, not once a file.
#include <gtest/gtest.h>

#include "shell/CommonModule.h"
#include "tests/sync/ScriptedSiteFixture.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

// A server that converts text in ASCII mode: pyftpdlib does by itself; vsftpd when told to.
struct TextSetting {
    ServerKind kind;
    int32_t lineEnds;
};

std::string TextSettingName(const testing::TestParamInfo<TextSetting>& info) {
    static const char* ends[] = {"LF", "CRLF", "CR"};
    return KindName(info.param.kind) + ends[info.param.lineEnds];
}

void PrintTo(const TextSetting& s, std::ostream* os) {
    *os << TextSettingName({s, 0});
}

class TextLineEndsInARun : public SyncWindowTest,
                           public testing::WithParamInterface<TextSetting> {};

TEST_P(TextLineEndsInARun, AreStoredByteForByte) {
    SiteServerOptions options;
    options.vsftpdConfig = {"ascii_upload_enable=YES", "ascii_download_enable=YES"};
    StartServer(GetParam().kind, options);
    const std::string page = "<p>\r\none\rtwo\nthree</p>\r\n";
    const std::string bytes = "\x89PNG\r\n\x1a\n\r";
    MakeTree(
        localRoot,
        {{"index.html", page}, {"css", kFolder}, {"css/site.css", "a{}\r"}, {"logo.png", bytes}});
    FillEditPage(*server, true, 0, GetParam().lineEnds);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectConfirmation("アップロード対象", {"css", "css/site.css", "index.html", "logo.png"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText() << server->Log();
    const int32_t ends = GetParam().lineEnds;
    EXPECT_EQ(TreeOf(server->LocalRoot()), (Tree{{"index.html", WithLineEnds(page, ends)},
                                                 {"css", kFolder},
                                                 {"css/site.css", WithLineEnds("a{}\r", ends)},
                                                 {"logo.png", bytes}}))
        << server->Log();
}

INSTANTIATE_TEST_SUITE_P(Servers, TextLineEndsInARun,
                         testing::Values(TextSetting{ServerKind::Pyftpdlib, LineEndCRLF},
                                         TextSetting{ServerKind::Pyftpdlib, LineEndCR},
                                         TextSetting{ServerKind::Pyftpdlib, LineEndLF},
                                         TextSetting{ServerKind::Vsftpd, LineEndCRLF},
                                         TextSetting{ServerKind::Vsftpd, LineEndCR}),
                         TextSettingName);

// How many TYPE commands reach a real server: one for a run of files of both kinds, and one more
// for a run on a new connection.
class TypeCommandsInARun : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {};

TEST_P(TypeCommandsInARun, OneOnEachConnection) {
    StartServer(GetParam());
    MakeTree(
        localRoot,
        {{"a.html", "a\n"}, {"b.jpg", "b"}, {"d", kFolder}, {"d/c.css", "c\n"}, {"d/e.gif", "e"}});
    FillEditPage(*server, true, 0, LineEndCRLF);
    gPref[PrefConfirmSync] = 0;
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText() << server->Log();
    EXPECT_EQ(server->Received("STOR "), 4) << server->Log();
    EXPECT_EQ(server->Received("TYPE "), 1) << server->Log();
    EXPECT_EQ(server->Received("TYPE I"), 1) << server->Log();

    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !w->commandSocket.IsConnected(); }));
    ASSERT_TRUE(testsupport::WriteFile(localRoot + "new.txt", "new\n"));
    ASSERT_TRUE(testsupport::WriteFile(localRoot + "new.bin", "new"));
    ExpectPress("実行");  // the results of the earlier connection are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText() << server->Log();
    EXPECT_EQ(server->Received("STOR "), 6) << server->Log();
    EXPECT_EQ(server->Received("TYPE I"), 2) << server->Log();
    EXPECT_EQ(testsupport::ReadFile(server->LocalRoot() + "/new.txt"), "new\r\n");
}

INSTANTIATE_TEST_SUITE_P(Servers, TypeCommandsInARun,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

// The commands of a run, in order, on a site the test plays.
class TypeCommandsOnTheWire : public ScriptedSiteTest {
protected:
    // The commands with these verbs that the site received from the n-th line on.
    std::vector<std::string> ReceivedFrom(size_t from, const std::vector<std::string>& verbs) {
        const std::vector<std::string> lines = site->server.ReceivedLines();
        std::vector<std::string> found;
        for (size_t i = from; i < lines.size(); ++i)
            for (const std::string& verb : verbs)
                if (lines[i].rfind(verb + " ", 0) == 0 || lines[i] == verb)
                    found.push_back(lines[i]);
        return found;
    }
};

TEST_F(TypeCommandsOnTheWire, TypeGoesBeforeTheFirstFileOfAConnectionOnly) {
    MakeTree(localRoot, {{"a.txt", "a"}, {"b", kFolder}, {"b/c.png", "c"}, {"b/d.css", "d"}});
    gPref[PrefConfirmSync] = 0;
    for (int connection = 0; connection < 2; ++connection) {
        SCOPED_TRACE(connection);
        if (connection == 1) {
            ASSERT_TRUE(Click(TagDiscon));
            ASSERT_TRUE(testsupport::WaitUntil([&] { return !w->commandSocket.IsConnected(); }));
            ExpectPress("実行");  // the results of the earlier connection are cleared
        }
        ASSERT_TRUE(ConnectAndCompare()) << LogText();
        const size_t from = site->server.ReceivedLines().size();
        ExpectMessage("同期が終了しました。 [dat]");
        ASSERT_TRUE(SyncAndWait()) << LogText();
        EXPECT_EQ(
            ReceivedFrom(from, {"TYPE", "PASV", "STOR", "MKD"}),
            (std::vector<std::string>{"TYPE I", "PASV", "STOR /site/a.txt", "MKD /site/b", "PASV",
                                      "STOR /site/b/c.png", "PASV", "STOR /site/b/d.css"}));
    }
}

// A file whose first command is its data port, TYPE being known: that command's refusal is the
// step's, and stops the run at that file.
TEST_F(TypeCommandsOnTheWire, ARefusedDataPortOfALaterFileStopsTheRunAtThatFile) {
    MakeTree(localRoot, {{"a.bin", "a"}, {"b.bin", "b"}, {"c.bin", "c"}});
    gPref[PrefConfirmSync] = 0;
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    int stors = 0;
    site->Intercept = [&](const std::string& line) {
        if (line.rfind("STOR", 0) == 0) ++stors;
        if (line != "PASV" || stors != 1) return false;
        site->server.Send("425 No data connection now\r\n");
        return true;
    };
    ExpectStopped("An error occurred: 425 ");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(LogLines("失敗した処理: "),
              std::vector<std::string>{"失敗した処理: STOR /site/b.bin"})
        << LogText();
    EXPECT_EQ(Received({"STOR"}), std::vector<std::string>{"STOR /site/a.bin"});
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中断しました。"});
}

}  // namespace
}  // namespace synctest
