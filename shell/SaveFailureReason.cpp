#include "shell/SaveFailureReason.h"

#include <errno.h>
#include <string.h>

#include "framework/Streams.h"

std::string SaveFailureReason(int error) {
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
        case ENOENT:
        case ENOTDIR:
            return "保存先のフォルダがありません";
        case EISDIR:
            return "同じ名前のフォルダがあります";
        case ELOOP:  // a link that is not followed (the lock file), or a loop of links
            return "シンボリックリンクをたどれません";
        default:
            return strerror(error);
    }
}

std::string SaveFailureReason(const fw::StreamError& failure) {
    // A failure the system did not report (a write beyond what the format holds) has only the
    // writer's own text.
    return failure.Error() != 0 ? SaveFailureReason(failure.Error()) : failure.what();
}
