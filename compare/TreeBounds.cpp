#include "compare/TreeBounds.h"

std::string TooDeepText(const std::string& path) {
    return "階層が深すぎるため比較から除外しました: " + path;
}

std::string TooLongText(const std::string& path) {
    return "パスが長すぎるため比較から除外しました: " + path;
}
