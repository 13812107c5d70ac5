// The file-type table and "filetype.txt": one line per entry, the extension, a tab, the type.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/shell/ShellTestFixture.h"
#include "tests/support/TestFiles.h"

namespace {

using namespace shelltest;

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries CurrentTable() {
    Entries entries;
    for (const FileTypeEntry& e : gFileTypes) entries.emplace_back(e.ext, e.bin);
    return entries;
}

const Entries kBuiltIn = {
    {"html", "A"}, {"htm", "A"}, {"shtml", "A"}, {"php", "A"}, {"css", "A"},
    {"txt", "A"},  {"xml", "A"}, {"rdf", "A"},   {"exp", "A"}, {"js", "A"},
    {"jpg", "I"},  {"gif", "I"}, {"png", "I"},   {"sit", "I"}, {"bin", "I"},
    {"zip", "I"},  {"dmg", "I"}, {"lzh", "I"},   {"gz", "I"},
};

class FileTypeFileTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        NewApp();
    }
    // LoadFileType, and the built-in entries when it answers false, as start-up does.
    void Load() {
        gFileTypes.clear();
        if (!app().LoadFileType()) app().InitFileType();
    }
};

TEST_F(FileTypeFileTest, WithoutTheFileTheBuiltInTableIsUsedAndWrittenBack) {
    MakeFolder();
    EXPECT_FALSE(app().LoadFileType());
    EXPECT_TRUE(gFileTypes.empty());
    EXPECT_FALSE(Has("filetype.txt"));  // not created by the loader
    app().InitFileType();
    EXPECT_EQ(CurrentTable(), kBuiltIn);

    app().SaveFileType();
    std::string expected;
    for (const auto& [ext, bin] : kBuiltIn) expected += ext + "\t" + bin + "\n";
    EXPECT_EQ(Get("filetype.txt"), expected);
    EXPECT_EQ(Get("filetype.txt").substr(0, 7), "html\tA\n");
    EXPECT_EQ(ModeOf(PathOf("filetype.txt")), 0600u);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"filetype.txt"});

    // The next run reads the same entries back from the file.
    Put("filetype.txt", expected + "md\tA\n");
    Load();
    Entries withExtra = kBuiltIn;
    withExtra.emplace_back("md", "A");
    EXPECT_EQ(CurrentTable(), withExtra);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(FileTypeFileTest, MissingFolderIsCreatedAndTheBuiltInTableUsed) {
    EXPECT_FALSE(app().LoadFileType());
    EXPECT_TRUE(fs::is_directory(FolderPath()));
    EXPECT_EQ(ModeOf(FolderPath()), 0700u);
    EXPECT_TRUE(gFileTypes.empty());
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

// Every usable line gives an entry, as written: nothing is normalised but the case of the type
// letters "a" and "i". Whatever the file's line ends, it is written back with the writer's.
TEST_F(FileTypeFileTest, LinesReadAsWritten) {
    struct Case {
        const char* what;
        std::string file;
        Entries entries;
        std::string written;
    };
    const Case cases[] = {
        {"one line", "txt\tI\n", {{"txt", "I"}}, "txt\tI\n"},
        {"LF", "html\tA\njpg\tI\n", {{"html", "A"}, {"jpg", "I"}}, "html\tA\njpg\tI\n"},
        {"CR LF", "html\tA\r\njpg\tI\r\n", {{"html", "A"}, {"jpg", "I"}}, "html\tA\njpg\tI\n"},
        {"CR", "html\tA\rjpg\tI\r", {{"html", "A"}, {"jpg", "I"}}, "html\tA\njpg\tI\n"},
        {"no line end at the end",
         "html\tA\njpg\tI",
         {{"html", "A"}, {"jpg", "I"}},
         "html\tA\njpg\tI\n"},
        {"lower-case text type", "php\ta\n", {{"php", "A"}}, "php\tA\n"},
        {"lower-case binary type", "dat\ti\n", {{"dat", "I"}}, "dat\tI\n"},
        {"a second tab", "css\tA\tmore\n", {{"css", "A"}}, "css\tA\n"},
        {"repeated extension",
         "txt\tI\ntxt\tA\n",
         {{"txt", "I"}, {"txt", "A"}},
         "txt\tI\ntxt\tA\n"},
        {"case kept", "JPG\tI\n", {{"JPG", "I"}}, "JPG\tI\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("filetype.txt", c.file);
        gFileTypes.clear();
        EXPECT_TRUE(app().LoadFileType());
        EXPECT_EQ(CurrentTable(), c.entries);
        app().SaveFileType();
        EXPECT_EQ(Get("filetype.txt"), c.written);
    }
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    EXPECT_FALSE(Has("filetype.txt.bak"));
}

// A line without an extension would send every file without one as "TYPE ", and a type other than
// A or I is refused by the server too: such a line is dropped, the user told once, and the file as
// it was kept aside, since quit writes the table without it. A file with no usable line at all
// leaves the built-in table.
TEST_F(FileTypeFileTest, DamagedLinesAreDroppedToldOnceAndKeptAside) {
    const std::string randomBytes = testsupport::ScrambledBytes(4096, 12345);
    struct Case {
        const char* what;
        std::string file;
        Entries entries;
    };
    const Case cases[] = {
        {"empty file", "", kBuiltIn},
        {"random bytes", randomBytes, kBuiltIn},
        {"no tab", "md\nhtml\tA\n", {{"html", "A"}}},
        {"blank line", "html\tA\n\njpg\tI\n", {{"html", "A"}, {"jpg", "I"}}},
        {"blank line with CR LF", "html\tA\r\n\r\njpg\tI\r\n", {{"html", "A"}, {"jpg", "I"}}},
        {"blank line with CR", "html\tA\r\rjpg\tI\r", {{"html", "A"}, {"jpg", "I"}}},
        {"no extension", "\tA\njpg\tI\n", {{"jpg", "I"}}},
        {"another letter", "raw\tx\ntxt\tA\n", {{"txt", "A"}}},
        {"a word for a type", "raw\tImage\ntxt\tA\n", {{"txt", "A"}}},
        {"only damaged lines", "\t\nraw\tx\n", kBuiltIn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(FolderPath());
        Put("filetype.txt", c.file);
        fw::ModalHost::BeginScript();
        ExpectPress("OK");
        Load();
        EXPECT_EQ(CurrentTable(), c.entries);
        for (const FileTypeEntry& e : gFileTypes) {
            EXPECT_FALSE(e.ext.empty());
            EXPECT_TRUE(e.bin == "A" || e.bin == "I") << e.bin;
        }
        const auto boxes = Shown("msgbox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(fw::ModalHost::Shown().size(), 1u);
        // It says which table the run has: what could be read, or the built-in one.
        EXPECT_EQ(
            boxes[0].message,
            std::string("設定ファイル「filetype.txt」を正しく読み込めませんでした。") +
                (c.entries == kBuiltIn ? "使える行がないため、標準のファイルタイプで起動します。"
                                       : "読み込めた設定で起動します。") +
                "元のファイルは「filetype.txt.bak」として保存しました。");
        EXPECT_EQ(Get("filetype.txt.bak"), c.file);
        EXPECT_EQ(ModeOf(PathOf("filetype.txt.bak")), 0600u);

        // Quit writes what was kept; the copy stays as it was.
        app().SaveFileType();
        std::string written;
        for (const auto& [ext, bin] : c.entries) written += ext + "\t" + bin + "\n";
        EXPECT_EQ(Get("filetype.txt"), written);
        EXPECT_EQ(Get("filetype.txt.bak"), c.file);
    }
}

TEST_F(FileTypeFileTest, UnreadableFileIsReportedAndTheBuiltInTableUsed) {
    fs::create_directories(PathOf("filetype.txt"));
    ExpectPress("OK");
    Load();
    EXPECT_EQ(CurrentTable(), kBuiltIn);
    const auto boxes = Shown("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0].message,
        "設定ファイル「filetype.txt」を正しく読み込めませんでした。標準のファイルタイプで起動し"
        "ます。");
}

TEST_F(FileTypeFileTest, EmptyTableOrMissingFolderWritesNothing) {
    Put("filetype.txt", "keep\tI\n");
    gFileTypes.clear();
    app().SaveFileType();
    EXPECT_EQ(Get("filetype.txt"), "keep\tI\n");

    fs::remove_all(FolderPath());
    app().InitFileType();
    app().SaveFileType();
    EXPECT_FALSE(fs::exists(FolderPath()));
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(FileTypeFileTest, FailedSaveIsReported) {
    fs::create_directories(PathOf("filetype.txt"));
    app().InitFileType();
    ExpectPress("OK");
    app().SaveFileType();
    const auto boxes = Shown("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].message.find("filetype.txt"), std::string::npos);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"filetype.txt"});
}

// After an empty table no entry matches a file without an extension: its type is asked for, where
// the empty entry would have answered an empty type, sent as "TYPE " and refused by the server.
TEST_F(FileTypeFileTest, AFileWithoutExtensionIsAskedAboutAfterAnEmptyTable) {
    Put("pref2", PrefFile(50, DefaultPrefs()));
    Put("filetype.txt", "");
    ExpectPress("OK");  // the damaged table
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    fw::ModalHost::Expect(fw::ModalAnswer::Press("実行"));
    EXPECT_EQ(MainWindow()->ChkFileType("Makefile"), "A");
    ASSERT_EQ(fw::ModalHost::Shown().size(), 2u);
    EXPECT_EQ(fw::ModalHost::Shown()[1].kind, "window");
    EXPECT_EQ(fw::ModalHost::Shown()[1].title, "Makefile");
}

}  // namespace
