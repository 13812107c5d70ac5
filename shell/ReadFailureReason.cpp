#include "shell/ReadFailureReason.h"

#include <errno.h>

#include "shell/SaveFailureReason.h"

std::string ReadFailureReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "読み取り権限がありません";
        case ENOENT:
        case ENOTDIR:
            return "フォルダがありません";
        default:
            return SaveFailureReason(error);
    }
}

std::string NoProcReason() {
    return "/procがマウントされていないため、フォルダの場所を確かめられません";
}
