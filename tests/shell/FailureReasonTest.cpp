// The reasons the messages give for a save or a lock that failed: a lock's reason is Japanese
// whatever the system answered, and a missing folder is worded for what each was doing.
#include <errno.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "shell/SaveFailureReason.h"

namespace {

TEST(FailureReason, EachIsWordedForASaveOrALock) {
    struct Case {
        int error;
        const char* save;  // nullptr: the system's own text
        std::string lock;
    };
    const Case cases[] = {
        {ENOENT, "保存先のフォルダがありません", "フォルダが見つかりません"},
        {ENOTDIR, "保存先のフォルダがありません", "フォルダが見つかりません"},
        {EACCES, "書き込み権限がありません", "書き込み権限がありません"},
        {EROFS, "読み取り専用のファイルシステムです", "読み取り専用のファイルシステムです"},
        {ELOOP, "シンボリックリンクをたどれません", "シンボリックリンクをたどれません"},
        {ENOLCK, nullptr, "このファイルシステムではロックを使えません"},
        {EWOULDBLOCK, nullptr, "ロックファイルを別のプログラムが使用中です"},
        {EMFILE, nullptr,
         "エラー番号 " + std::to_string(EMFILE) + " のシステムエラーが発生しました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        if (c.save) {
            EXPECT_EQ(SaveFailureReason(c.error), c.save);
        }
        EXPECT_EQ(LockFailureReason(c.error), c.lock);
    }
}

// Not one errno leaves a lock's reason in the system's words (English, in the C locale).
TEST(FailureReason, ALockNeverEndsInTheSystemsText) {
    for (int error = 1; error < 134; ++error) {
        const std::string reason = LockFailureReason(error);
        EXPECT_TRUE(
            std::none_of(reason.begin(), reason.end(),
                         [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }))
            << error << ": " << reason;
    }
}

}  // namespace
