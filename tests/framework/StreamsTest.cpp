#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/FolderItem.h"
#include "framework/Streams.h"
#include "tests/support/CaseNames.h"
#include "tests/support/SmallDisk.h"

namespace {

namespace fs = std::filesystem;

// A folder of the test's own, with helpers to see exactly what is on disk.
class StreamsTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/streams";
        fs::create_directories(dir_);
    }

    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
    fw::FolderItem Item(const std::string& name) const { return fw::FolderItem(PathOf(name)); }

    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    mode_t ModeOf(const std::string& name) const {
        struct stat st {};
        stat(PathOf(name).c_str(), &st);
        return st.st_mode & 0777;
    }

    std::string dir_;
};

std::string Int32Bytes(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// ---- Binary streams

TEST_F(StreamsTest, BinaryRoundTripIsBigEndian) {
    auto out = Item("data.bin").CreateBinaryFile();
    ASSERT_TRUE(out);
    out->WriteInt32(-2);
    out->WriteInt32(0x01020304);
    out->WritePString("name");
    out->WriteBlock(std::string("a\0b", 3));
    out->WriteBlock("");
    out->Write("tail");
    out->Close();

    const std::string expected = "\xFF\xFF\xFF\xFE\x01\x02\x03\x04\x04name" + Int32Bytes(3) +
                                 std::string("a\0b", 3) + Int32Bytes(0) + "tail";
    EXPECT_EQ(Get("data.bin"), expected);

    auto in = Item("data.bin").OpenAsBinaryFile();
    ASSERT_TRUE(in);
    EXPECT_EQ(in->Length(), static_cast<int64_t>(expected.size()));
    EXPECT_EQ(in->ReadInt32(), -2);
    EXPECT_EQ(in->ReadInt32(), 0x01020304);
    EXPECT_EQ(in->ReadPString(), "name");
    EXPECT_EQ(in->ReadBlock(), std::string("a\0b", 3));
    EXPECT_EQ(in->ReadBlock(), "");
    EXPECT_EQ(in->BytesLeft(), 4);
    EXPECT_EQ(in->Read(4), "tail");
    EXPECT_TRUE(in->AtEnd());
}

// Each kind of read, on data that is one byte short of what it needs: it raises and leaves the
// stream where it was, so nothing is invented or skipped.
TEST_F(StreamsTest, EveryReadRaisesOnShortDataWithoutMoving) {
    struct Case {
        const char* what;
        std::string content;
        std::function<void(fw::BinaryStream&)> read;
    };
    const Case cases[] = {
        {"ReadInt32", "xyz", [](fw::BinaryStream& s) { s.ReadInt32(); }},
        {"ReadInt32 empty", "", [](fw::BinaryStream& s) { s.ReadInt32(); }},
        {"Read", "abc", [](fw::BinaryStream& s) { s.Read(4); }},
        {"Read negative", "abc", [](fw::BinaryStream& s) { s.Read(-1); }},
        {"ReadPString no length", "", [](fw::BinaryStream& s) { s.ReadPString(); }},
        {"ReadPString short", std::string(1, 5) + "abcd",
         [](fw::BinaryStream& s) { s.ReadPString(); }},
        {"ReadBlock no length", std::string("\0\0\0", 3),
         [](fw::BinaryStream& s) { s.ReadBlock(); }},
        {"ReadBlock short", Int32Bytes(5) + "abcd", [](fw::BinaryStream& s) { s.ReadBlock(); }},
        {"ReadBlock negative", Int32Bytes(0xFFFFFFFF) + "abcd",
         [](fw::BinaryStream& s) { s.ReadBlock(); }},
    };
    for (const Case& c : cases) {
        // A leading byte read first, so "did not move" means more than "still at 0".
        Put("short.bin", "!" + c.content);
        auto in = Item("short.bin").OpenAsBinaryFile();
        ASSERT_TRUE(in) << c.what;
        EXPECT_EQ(in->Read(1), "!");
        EXPECT_THROW(c.read(*in), fw::StreamError) << c.what;
        EXPECT_EQ(in->Position(), 1) << c.what;
        EXPECT_EQ(in->ReadUpTo(1000), c.content) << c.what;
    }
}

TEST_F(StreamsTest, ReadUpToGivesWhatIsLeft) {
    Put("f", "abcdef");
    auto in = Item("f").OpenAsBinaryFile();
    ASSERT_TRUE(in);
    EXPECT_EQ(in->ReadUpTo(4), "abcd");
    EXPECT_EQ(in->ReadUpTo(4), "ef");
    EXPECT_TRUE(in->AtEnd());
    EXPECT_EQ(in->ReadUpTo(4), "");
    EXPECT_EQ(in->Read(0), "");
}

TEST_F(StreamsTest, ClosedBinaryStreamRaises) {
    Put("f", "abcdef");
    auto in = Item("f").OpenAsBinaryFile();
    ASSERT_TRUE(in);
    in->Close();
    EXPECT_THROW(in->Read(1), fw::StreamError);
    in->Close();  // twice is harmless
}

// What happens to a file while a stream reads it, half-way through: whether the stream then
// takes it as changed. The change time is the only trace of a rewrite whose date was put back,
// whatever happens to the file's names meanwhile; a name lost moves it too, and can't be told from
// a rewrite before it, so a file removed or saved over counts as changed.
struct ChangeWhileReadCase {
    const char* name;
    std::function<void(const std::string& path)> change;
    bool changed;
};

void PrintTo(const ChangeWhileReadCase& c, std::ostream* os) {
    *os << c.name;
}

// The same number of bytes written over the file in place, its modification time put back.
void RewriteKeepingTheDate(const std::string& path) {
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    std::fstream(path, std::ios::binary | std::ios::in | std::ios::out)
        << std::string(static_cast<size_t>(before.st_size), 'b');
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// The clock that file times are taken from, past the given time.
void WaitForTheClockToPass(const struct timespec& time) {
    for (struct timespec now{};
         clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 &&
         (now.tv_sec < time.tv_sec || (now.tv_sec == time.tv_sec && now.tv_nsec <= time.tv_nsec));)
        sched_yield();
}

// Another file of the same size renamed over the file, with the file's own date.
void SaveOver(const std::string& path) {
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    const std::string other = path + ".new";
    std::ofstream(other, std::ios::binary) << std::string(static_cast<size_t>(before.st_size), 'n');
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    ASSERT_EQ(rename(other.c_str(), path.c_str()), 0);
}

void Link(const std::string& path, const std::string& name) {
    ASSERT_EQ(link(path.c_str(), name.c_str()), 0) << strerror(errno);
}

class ChangeWhileReadTest : public StreamsTest,
                            public testing::WithParamInterface<ChangeWhileReadCase> {};

TEST_P(ChangeWhileReadTest, TheStreamTellsWhetherTheFileItReadChanged) {
    const std::string bytes(256 * 1024, 'a');
    Put("page.html", bytes);
    // A change time moves by the clock's ticks: from the next on, a change shows.
    struct stat made {};
    ASSERT_EQ(stat(PathOf("page.html").c_str(), &made), 0);
    WaitForTheClockToPass(made.st_ctim);
    auto in = Item("page.html").OpenAsBinaryFile();
    ASSERT_TRUE(in);
    std::string read = in->ReadUpTo(64 * 1024);
    GetParam().change(PathOf("page.html"));
    for (std::string piece; !(piece = in->ReadUpTo(64 * 1024)).empty();) read += piece;
    EXPECT_EQ(in->ChangedSinceOpened(), GetParam().changed);
    if (!GetParam().changed) {
        EXPECT_TRUE(read == bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangeWhileReadTest,
    testing::Values(
        ChangeWhileReadCase{"left alone", [](const std::string&) {}, false},
        ChangeWhileReadCase{
            "appended to",
            [](const std::string& path) { std::ofstream(path, std::ios::app) << "more"; }, true},
        ChangeWhileReadCase{"rewritten in place keeping its date", RewriteKeepingTheDate, true},
        // A hard-link snapshot (cp -al) or a deploy's "ln f f.bak" taken during the rewrite.
        ChangeWhileReadCase{"rewritten in place keeping its date while it gains a name",
                            [](const std::string& path) {
                                RewriteKeepingTheDate(path);
                                Link(path, path + ".bak");
                            },
                            true},
        ChangeWhileReadCase{"rewritten in place keeping its date, a name made and removed",
                            [](const std::string& path) {
                                RewriteKeepingTheDate(path);
                                Link(path, path + ".bak");
                                ASSERT_EQ(unlink((path + ".bak").c_str()), 0);
                            },
                            true},
        // An editor's save: the new file renamed over the one being read, which has no name left.
        ChangeWhileReadCase{"saved over by another file", SaveOver, true},
        ChangeWhileReadCase{
            "removed", [](const std::string& path) { ASSERT_EQ(unlink(path.c_str()), 0); }, true},
        // The bytes read are the old ones up to the rewrite and the new ones after it.
        ChangeWhileReadCase{"rewritten in place keeping its date, then removed",
                            [](const std::string& path) {
                                RewriteKeepingTheDate(path);
                                ASSERT_EQ(unlink(path.c_str()), 0);
                            },
                            true},
        ChangeWhileReadCase{"rewritten in place keeping its date, then saved over",
                            [](const std::string& path) {
                                RewriteKeepingTheDate(path);
                                SaveOver(path);
                            },
                            true}),
    [](const testing::TestParamInfo<ChangeWhileReadCase>& info) {
        return testsupport::CaseName(info.param.name);
    });

TEST_F(StreamsTest, WritePStringCutsAtACharacterBoundary) {
    std::string text = "a";
    for (int i = 0; i < 90; ++i) text += "\xE6\x97\xA5";  // 日
    auto out = Item("p.bin").CreateBinaryFile();
    ASSERT_TRUE(out);
    out->WritePString(text);
    out->Close();
    auto in = Item("p.bin").OpenAsBinaryFile();
    ASSERT_TRUE(in);
    std::string read = in->ReadPString();
    EXPECT_EQ(read, text.substr(0, 1 + 84 * 3));
    EXPECT_TRUE(in->AtEnd());
}

TEST_F(StreamsTest, BinaryOutputStreamRaisesAfterClose) {
    auto out = Item("c.bin").CreateBinaryFile();
    ASSERT_TRUE(out);
    out->Write("x");
    out->Close();
    EXPECT_THROW(out->Write("y"), fw::StreamError);
    EXPECT_THROW(out->WriteInt32(1), fw::StreamError);
    EXPECT_THROW(out->Close(), fw::StreamError);
    EXPECT_EQ(Get("c.bin"), "x");
}

// ---- The atomic writer

TEST_F(StreamsTest, AbandonedWritesLeaveTheOldContent) {
    Put("keep", "old");
    {
        fw::AtomicFileWriter writer(PathOf("keep"), false);
        ASSERT_TRUE(writer.Ok()) << writer.ErrorText();
        writer.Write("new");
        writer.Discard();
    }
    { fw::AtomicFileWriter(PathOf("keep"), false).Write("new"); }
    {
        auto out = Item("keep").CreateBinaryFile();
        ASSERT_TRUE(out);
        out->Write("new");
    }
    {
        auto out = Item("keep").CreateTextFile();
        ASSERT_TRUE(out);
        out->WriteLine("new");
    }
    {
        auto out = Item("keep").CreateTextFile();
        ASSERT_TRUE(out);
        out->WriteLine("new");
        out->Discard();
        EXPECT_FALSE(out->IsOpen());
        EXPECT_THROW(out->Write("more"), fw::StreamError);
    }
    EXPECT_EQ(Get("keep"), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"keep"});
}

TEST_F(StreamsTest, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
    Put("t", "old content that is longer");
    fw::AtomicFileWriter writer(PathOf("t"), false);
    ASSERT_TRUE(writer.Ok());
    writer.Write("new");
    EXPECT_EQ(Get("t"), "old content that is longer");
    writer.Commit();
    EXPECT_TRUE(writer.Committed());
    EXPECT_EQ(Get("t"), "new");
    EXPECT_EQ(Names(), std::vector<std::string>{"t"});
    EXPECT_THROW(writer.Write("more"), fw::StreamError);
}

TEST_F(StreamsTest, FileModeFollowsTheAccess) {
    const mode_t saved = umask(022);
    {
        fw::AtomicFileWriter priv(PathOf("private"), true);
        fw::AtomicFileWriter normal(PathOf("normal"), false);
        priv.Commit();
        normal.Commit();
    }
    // A private file replaces a readable one without ever being readable itself.
    Put("was-public", "x");
    chmod(PathOf("was-public").c_str(), 0644);
    auto out = Item("was-public").CreateTextFile(fw::FileAccess::Private);
    ASSERT_TRUE(out);
    out->Close();
    umask(saved);

    EXPECT_EQ(ModeOf("private"), 0600u);
    EXPECT_EQ(ModeOf("normal"), 0644u);
    EXPECT_EQ(ModeOf("was-public"), 0600u);
}

TEST_F(StreamsTest, WriterInAMissingFolderIsNotOk) {
    fw::AtomicFileWriter writer(PathOf("no-such-folder/file"), false);
    EXPECT_FALSE(writer.Ok());
    EXPECT_FALSE(writer.ErrorText().empty());
    EXPECT_THROW(writer.Write("x"), fw::StreamError);
    EXPECT_THROW(writer.Commit(), fw::StreamError);
    EXPECT_FALSE(Item("no-such-folder/file").CreateBinaryFile());
    EXPECT_FALSE(Item("no-such-folder/file").CreateTextFile());
}

// A folder where the file goes: standing there from the start, the file can't be created; put
// there while the file is written, the commit raises. Either way nothing else is left behind.
TEST_F(StreamsTest, AFolderWhereTheFileGoesFailsTheWriteAndLeavesNothing) {
    fs::create_directory(PathOf("target"));
    EXPECT_FALSE(Item("target").CreateTextFile());
    EXPECT_FALSE(Item("target").CreateBinaryFile());
    EXPECT_FALSE(fw::AtomicFileWriter(PathOf("target"), false).Ok());
    EXPECT_EQ(Names(), std::vector<std::string>{"target"});
    EXPECT_TRUE(fs::is_directory(PathOf("target")));

    for (const std::string& name : {std::string("late-new"), std::string("late-replaced")}) {
        SCOPED_TRACE(name);
        if (name == "late-replaced") Put(name, "old");
        auto out = Item(name).CreateTextFile();
        ASSERT_TRUE(out);
        out->Write("x");
        fs::remove(PathOf(name));
        fs::create_directory(PathOf(name));
        EXPECT_THROW(out->Close(), fw::StreamError);
        EXPECT_FALSE(out->IsOpen());
        EXPECT_TRUE(fs::is_directory(PathOf(name)));
        fs::remove(PathOf(name));
        EXPECT_EQ(Names(), std::vector<std::string>{"target"});
    }
}

// Written over a symbolic link, the file the link names is replaced and the link stays; a link
// that leads nowhere makes the file it names.
TEST_F(StreamsTest, WritingOverALinkReplacesTheFileItNames) {
    Put("real", "old");
    fs::create_symlink("real", PathOf("link"));
    fs::create_symlink("missing", PathOf("dangling"));
    // A loop of links names no file: the link written over is replaced itself.
    fs::create_symlink("loop-b", PathOf("loop-a"));
    fs::create_symlink("loop-a", PathOf("loop-b"));
    for (const char* name : {"link", "dangling", "loop-a"}) {
        fw::AtomicFileWriter writer(PathOf(name), true);
        ASSERT_TRUE(writer.Ok()) << writer.ErrorText();
        writer.Write(std::string("new via ") + name);
        writer.Commit();
    }
    EXPECT_TRUE(fs::is_symlink(PathOf("link")));
    EXPECT_EQ(Get("real"), "new via link");
    EXPECT_EQ(Get("missing"), "new via dangling");
    EXPECT_EQ(ModeOf("missing"), 0600u);
    EXPECT_FALSE(fs::is_symlink(PathOf("loop-a")));
    EXPECT_EQ(Get("loop-a"), "new via loop-a");
    EXPECT_EQ(Names(), (std::vector<std::string>{"dangling", "link", "loop-a", "loop-b", "missing",
                                                 "real"}));
}

// ---- On a full disk

// One way of writing a file, as the program's writers do it: many small pieces (the settings
// files, the journal), or the whole text in one write (a saved log).
struct FullDiskCase {
    const char* name;
    int64_t freePages;  // left on the disk before the write
    std::function<void(fw::FolderItem&, const std::string&)> write;
};

void PrintTo(const FullDiskCase& c, std::ostream* os) {
    *os << c.name;
}

// A write that runs out of space part-way is found before the old file is replaced: whichever
// call finds it raises, the old file stays whole, nothing is left beside it and the disk has its
// space back. The new content is under what a buffering writer keeps back until it is closed.
class FullDiskTest : public StreamsTest, public testing::WithParamInterface<FullDiskCase> {};

TEST_P(FullDiskTest, TheOldFileStaysWholeAndTheFailureIsRaised) {
    testsupport::SmallDisk disk(PathOf("disk"), 64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const int64_t page = testsupport::SmallDisk::PageSize();
    const std::string old = "the old content\n";
    const std::string target = "disk/file";
    Put(target, old);
    fw::FolderItem file = Item(target);
    ASSERT_TRUE(disk.LeaveFree(GetParam().freePages));

    std::string error;
    try {
        std::string lines;  // two pages and a half
        while (static_cast<int64_t>(lines.size()) < page * 5 / 2)
            lines += std::string(39, 'n') + "\n";
        GetParam().write(file, lines);
    } catch (const fw::StreamError& e) {
        error = e.what();
    }
    EXPECT_NE(error.find(strerror(ENOSPC)), std::string::npos) << "raised: " << error;
    EXPECT_TRUE(Get(target) == old) << "the file now holds " << Get(target).size() << " bytes";
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(PathOf("disk")))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".filler", "file"}));
    EXPECT_EQ(disk.FreeBytes(), GetParam().freePages * page);

    // With room again, the same file is written whole.
    disk.Empty();
    GetParam().write(file, "new\n");
    EXPECT_EQ(Get(target), "new\n");
}

void WriteInt32Pieces(fw::FolderItem& file, const std::string& content) {
    auto out = file.CreateBinaryFile(fw::FileAccess::Private);
    if (!out) throw fw::StreamError("not created");
    size_t i = 0;
    for (; i + 4 <= content.size(); i += 4) {
        uint32_t v = 0;
        for (size_t k = i; k < i + 4; ++k) v = v << 8 | static_cast<unsigned char>(content[k]);
        out->WriteInt32(static_cast<int32_t>(v));
    }
    out->Write(content.substr(i));
    out->Close();
}

void WriteLines(fw::FolderItem& file, const std::string& content) {
    auto out = file.CreateTextFile(fw::FileAccess::Private);
    if (!out) throw fw::StreamError("not created");
    for (size_t start = 0, end; (end = content.find('\n', start)) != std::string::npos;
         start = end + 1)
        out->WriteLine(content.substr(start, end - start));
    out->Close();
}

void WriteAtOnce(fw::FolderItem& file, const std::string& content) {
    auto out = file.CreateTextFile();
    if (!out) throw fw::StreamError("not created");
    out->Write(content);
    out->Close();
}

void WriteThroughTheWriter(fw::FolderItem& file, const std::string& content) {
    fw::AtomicFileWriter writer(file.Path(), false);
    if (!writer.Ok()) throw fw::StreamError(writer.ErrorText());
    // A caller that goes on after a failed write can't commit what was lost.
    try {
        for (size_t i = 0; i < content.size(); i += 100) writer.Write(content.substr(i, 100));
    } catch (const fw::StreamError&) {
    }
    writer.Commit();
}

INSTANTIATE_TEST_SUITE_P(
    Writes, FullDiskTest,
    testing::Values(FullDiskCase{"Int32sOnAPageLeft", 1, WriteInt32Pieces},
                    FullDiskCase{"LinesOnAPageLeft", 1, WriteLines},
                    FullDiskCase{"OneWriteOnAPageLeft", 1, WriteAtOnce},
                    FullDiskCase{"CommitAfterAFailedWrite", 1, WriteThroughTheWriter},
                    FullDiskCase{"Int32sOnAFullDisk", 0, WriteInt32Pieces},
                    FullDiskCase{"LinesOnAFullDisk", 0, WriteLines}),
    [](const testing::TestParamInfo<FullDiskCase>& info) { return std::string(info.param.name); });

// A local name that is not UTF-8 (an old archive's, say) is written under its own bytes, in a
// folder whose name is not UTF-8 either.
TEST_F(StreamsTest, NamesThatAreNotUtf8AreWrittenAsTheyAre) {
    const std::string folder = "\x83\x74\x83\x48\x83\x8B\x83\x5F";  // フォルダ in Shift JIS
    fs::create_directory(PathOf(folder));
    const mode_t saved = umask(022);
    for (const std::string& name : {std::string("plain.txt"), std::string("\x95\x5C.txt")}) {
        for (bool privateAccess : {false, true}) {
            const std::string path = folder + "/" + name;
            SCOPED_TRACE(path);
            Put(path, "old");
            fw::AtomicFileWriter writer(PathOf(path), privateAccess);
            ASSERT_TRUE(writer.Ok()) << writer.ErrorText();
            writer.Write("new");
            EXPECT_EQ(Get(path), "old");
            writer.Commit();
            EXPECT_EQ(Get(path), "new");
            EXPECT_EQ(ModeOf(path), privateAccess ? 0600u : 0644u);
        }
        std::vector<std::string> inFolder;
        for (const auto& e : fs::directory_iterator(PathOf(folder)))
            inFolder.push_back(e.path().filename());
        EXPECT_EQ(inFolder.size(), name == "plain.txt" ? 1u : 2u) << "a stand-in file is left";
    }
    umask(saved);

    // Abandoned, it leaves the old content and nothing beside it.
    {
        fw::AtomicFileWriter writer(PathOf(folder + "/\x95\x5C.txt"), false);
        ASSERT_TRUE(writer.Ok());
        writer.Write("abandoned");
    }
    EXPECT_EQ(Get(folder + "/\x95\x5C.txt"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(PathOf(folder)), fs::directory_iterator()), 2);
}

// ---- Text streams

TEST(TextInputStreamTest, LinesEndAtLfCrLfOrCr) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"no line end", "abc", {"abc"}},
        {"lf", "a\nb\nc", {"a", "b", "c"}},
        {"cr lf", "a\r\nb", {"a", "b"}},
        {"lone cr", "a\rb\r", {"a", "b"}},
        {"final lf adds no line", "a\n", {"a"}},
        {"final cr lf adds no line", "a\r\n", {"a"}},
        {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"lf cr is two line ends", "a\n\rb", {"a", "", "b"}},
        {"empty lines", "\n\r\n\r", {"", "", ""}},
        {"utf-8 kept", "\xE6\x97\xA5\r\n\xE6\x9C\xAC", {"\xE6\x97\xA5", "\xE6\x9C\xAC"}},
    };
    for (const Case& c : cases) {
        fw::TextInputStream in(c.content);
        std::vector<std::string> lines;
        while (!in.AtEnd() && lines.size() < 10) lines.push_back(in.ReadLine());
        EXPECT_EQ(lines, c.lines) << c.what;
        EXPECT_EQ(in.ReadLine(), "") << c.what;
    }
}

TEST(TextInputStreamTest, ReadAllGivesTheRest) {
    fw::TextInputStream in("first\r\nsecond\rthird\n");
    EXPECT_EQ(in.ReadLine(), "first");
    EXPECT_EQ(in.ReadAll(), "second\rthird\n");
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(in.ReadAll(), "");
}

TEST_F(StreamsTest, TextFilesRoundTripBytesUnchanged) {
    auto out = Item("t.txt").CreateTextFile();
    ASSERT_TRUE(out);
    out->WriteLine("\xE6\x97\xA5\xE6\x9C\xAC");
    out->Write("a\r\nb");
    out->WriteLine("");
    out->Close();
    EXPECT_FALSE(out->IsOpen());
    EXPECT_THROW(out->WriteLine("late"), fw::StreamError);
    EXPECT_EQ(Get("t.txt"), "\xE6\x97\xA5\xE6\x9C\xAC\na\r\nb\n");

    auto in = Item("t.txt").OpenAsTextFile();
    ASSERT_TRUE(in);
    EXPECT_EQ(in->ReadLine(), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(in->ReadLine(), "a");
    EXPECT_EQ(in->ReadLine(), "b");
    EXPECT_TRUE(in->AtEnd());
}

}  // namespace
