#include "shell/SaveFailureReason.h"

#include <errno.h>

#include <optional>

#include "framework/Streams.h"

namespace {

constexpr char kFolderInTheWay[] = "同じ名前のフォルダがあります";

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
            return kFolderInTheWay;
        case ELOOP:  // a link that is not followed (the lock file), or a loop of links
            return "シンボリックリンクをたどれません";
        default:
            return std::nullopt;
    }
}

// For a reason that has no words of its own: the number at least lets it be looked up.
std::string SystemErrorReason(int error) {
    return "エラー番号 " + std::to_string(error) + " のシステムエラーが発生しました";
}

}  // namespace

std::string SaveFailureReason(int error) {
    if (std::optional<std::string> reason = ReasonInJapanese(error)) return *reason;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "保存先のフォルダがありません";
        case ENOTEMPTY:  // a rename or a removal that finds a folder with something in it
            return kFolderInTheWay;
        case EEXIST:  // a file or a folder that may not be replaced
            return "同じ名前のファイルかフォルダが既にあります";
        case ENAMETOOLONG:
            return "名前またはパスが長すぎます";
        case EMFILE:  // the program's own limit
        case ENFILE:  // the system's
            return "開いているファイルが多すぎます";
        case ENOMEM:
            return "メモリが足りません";
        case EBUSY:  // a mount point, or a file the system holds
            return "別のプログラムかシステムが使用中です";
        case ETXTBSY:
            return "実行中のプログラムのため書き換えられません";
        case EFBIG:  // beyond what the file system (FAT, say) holds in one file
            return "ファイルが大きすぎます";
        default:
            return SystemErrorReason(error);
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
            return SystemErrorReason(error);
    }
}
