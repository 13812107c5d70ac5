// The reasons the messages give for a save, a read or a lock that failed: each is Japanese
// whatever the system answered, and a missing folder or permission is worded for what each was
// doing.
#include <errno.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "framework/Streams.h"
#include "shell/ReadFailureReason.h"
#include "shell/SaveFailureReason.h"

namespace {

// The words for a reason that has none of its own.
std::string Numbered(int error) {
    return "エラー番号 " + std::to_string(error) + " のシステムエラーが発生しました";
}

TEST(FailureReason, EachIsWordedForASaveAReadOrALock) {
    struct Case {
        int error;
        std::string save;
        std::string read;
        std::string lock;
    };
    const Case cases[] = {
        {ENOENT, "保存先のフォルダがありません", "フォルダがありません",
         "フォルダが見つかりません"},
        {ENOTDIR, "保存先のフォルダがありません", "フォルダがありません",
         "フォルダが見つかりません"},
        {EACCES, "書き込み権限がありません", "読み取り権限がありません",
         "書き込み権限がありません"},
        {EROFS, "読み取り専用のファイルシステムです", "読み取り専用のファイルシステムです",
         "読み取り専用のファイルシステムです"},
        {ELOOP, "シンボリックリンクをたどれません", "シンボリックリンクをたどれません",
         "シンボリックリンクをたどれません"},
        {EISDIR, "同じ名前のフォルダがあります", "同じ名前のフォルダがあります",
         "同じ名前のフォルダがあります"},
        {ENOLCK, Numbered(ENOLCK), Numbered(ENOLCK), "このファイルシステムではロックを使えません"},
        {EWOULDBLOCK, Numbered(EWOULDBLOCK), Numbered(EWOULDBLOCK),
         "ロックファイルを別のプログラムが使用中です"},
        {EMFILE, "開いているファイルが多すぎます", "開いているファイルが多すぎます",
         Numbered(EMFILE)},
        {ENFILE, "開いているファイルが多すぎます", "開いているファイルが多すぎます",
         Numbered(ENFILE)},
        {ENAMETOOLONG, "名前またはパスが長すぎます", "名前またはパスが長すぎます",
         Numbered(ENAMETOOLONG)},
        {ENOMEM, "メモリが足りません", "メモリが足りません", Numbered(ENOMEM)},
        {EBUSY, "別のプログラムかシステムが使用中です", "別のプログラムかシステムが使用中です",
         Numbered(EBUSY)},
        {ETXTBSY, "実行中のプログラムのため書き換えられません",
         "実行中のプログラムのため書き換えられません", Numbered(ETXTBSY)},
        {EFBIG, "ファイルが大きすぎます", "ファイルが大きすぎます", Numbered(EFBIG)},
        // rename and rmdir answer either for a folder, with something in it, in the way
        {EEXIST, "同じ名前のファイルかフォルダが既にあります",
         "同じ名前のファイルかフォルダが既にあります", Numbered(EEXIST)},
        {ENOTEMPTY, "同じ名前のフォルダがあります", "同じ名前のフォルダがあります",
         Numbered(ENOTEMPTY)},
        {EPROTO, Numbered(EPROTO), Numbered(EPROTO), Numbered(EPROTO)},
        {ESTALE, Numbered(ESTALE), Numbered(ESTALE), Numbered(ESTALE)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(SaveFailureReason(c.error), c.save);
        EXPECT_EQ(ReadFailureReason(c.error), c.read);
        EXPECT_EQ(LockFailureReason(c.error), c.lock);
    }
}

// The writer's text carries the system's words: a failure with an errno is given by the number,
// and only one the system did not report keeps the writer's text.
TEST(FailureReason, AStreamErrorIsWordedByItsErrno) {
    struct Case {
        fw::StreamError failure;
        std::string reason;
    };
    const Case cases[] = {
        {fw::StreamError("can't write a.txt: No space left on device", ENOSPC),
         "ディスクの空き容量が足りません"},
        {fw::StreamError("can't create a.txt: Too many open files", EMFILE),
         "開いているファイルが多すぎます"},
        {fw::StreamError("can't write a.txt: Protocol error", EPROTO), Numbered(EPROTO)},
        {fw::StreamError("block too long"), "block too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure.what());
        EXPECT_EQ(SaveFailureReason(c.failure), c.reason);
    }
}

// Not one errno leaves a reason in the system's words (English, in the C locale).
TEST(FailureReason, NoneEndsInTheSystemsText) {
    const struct {
        const char* name;
        std::string (*reason)(int);
    } kinds[] = {
        {"save", static_cast<std::string (*)(int)>(SaveFailureReason)},
        {"read", ReadFailureReason},
        {"lock", LockFailureReason},
    };
    for (const auto& kind : kinds) {
        for (int error = 1; error < 134; ++error) {
            const std::string reason = kind.reason(error);
            EXPECT_TRUE(std::none_of(
                reason.begin(), reason.end(),
                [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }))
                << kind.name << " " << error << ": " << reason;
        }
    }
}

}  // namespace
