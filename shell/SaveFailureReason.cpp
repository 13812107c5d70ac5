#include "shell/SaveFailureReason.h"

#include <errno.h>
#include <string.h>

#include <optional>

#include "framework/Streams.h"

namespace {

// What a save and a lock have in common: the disk, the permissions, a link in the way.
std::optional<std::string> ReasonInJapanese(int error) {
    switch (error) {
        case ENOSPC:
            return "ディスクの空き容量が足りません";
        case EROFS:
            return "読み取り専用のファイルシステムです";
        case EACCES:
        case EPERM:
            return "書き込み権限がありません";
        case EDQUOT:
            return "ディスククォータの上限に達しています";
        case EIO:
            return "ディスクの入出力エラーが発生しました";
        case EISDIR:
            return "同じ名前のフォルダがあります";
        case ELOOP:  // a link that is not followed (the lock file), or a loop of links
            return "シンボリックリンクをたどれません";
        default:
            return std::nullopt;
    }
}

}  // namespace

std::string SaveFailureReason(int error) {
    if (std::optional<std::string> reason = ReasonInJapanese(error)) return *reason;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "保存先のフォルダがありません";
        default:
            return strerror(error);
    }
}

std::string SaveFailureReason(const fw::StreamError& failure) {
    // A failure the system did not report (a write beyond what the format holds) has only the
    // writer's own text.
    return failure.Error() != 0 ? SaveFailureReason(failure.Error()) : failure.what();
}

std::string LockFailureReason(int error) {
    if (std::optional<std::string> reason = ReasonInJapanese(error)) return *reason;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "フォルダが見つかりません";
        case ENOLCK:  // a file system without locks (a network one, say)
            return "このファイルシステムではロックを使えません";
        case EWOULDBLOCK:  // the lock file can't be opened without waiting: a lease on it
            return "ロックファイルを別のプログラムが使用中です";
        default:
            return "エラー番号 " + std::to_string(error) + " のシステムエラーが発生しました";
    }
}
