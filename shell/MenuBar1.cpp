#include "shell/MenuBar1.h"

namespace {

std::unique_ptr<MenuBar1>& Holder() {
    static std::unique_ptr<MenuBar1> bar;
    return bar;
}

}  // namespace

MenuBar1* MenuBar1::Instance() {
    if (!Holder()) Holder().reset(new MenuBar1);
    return Holder().get();
}

void MenuBar1::Release() {
    Holder().reset();
}

void MenuBar1::Constructor() {
    Untitled0();
    Untitled1();
}

// A menu (menuName empty) goes on the bar; every other item into the menu of that name. A null
// shortcut is a separator's: no shortcut is set at all.
void MenuBar1::AddItem(const std::string& menuName, std::unique_ptr<fw::MenuItem> item,
                       const std::string& name, const std::string& text, const char* shortcut) {
    item->Name = name;
    item->AutoEnable = true;
    item->Text = text;
    item->Visible = true;
    if (shortcut) item->KeyboardShortcut = shortcut;
    if (menuName.empty())
        Append(std::move(item));
    else
        Child(menuName)->Append(std::move(item));
}

void MenuBar1::Untitled0() {
    auto item = [] { return std::make_unique<fw::MenuItem>(); };
    AddItem("", item(), "FileMenu", "ファイル", "");
    AddItem("FileMenu", item(), "FileSaveLog", "ログを保存…", "Cmd+S");
    AddItem("FileMenu", item(), "FileSaveSyncList", "同期リストを保存…", "Cmd+Shift+S");
    AddItem("FileMenu", std::make_unique<fw::QuitMenuItem>(), "FileQuit", "終了", "Cmd+Q");
}

void MenuBar1::Untitled1() {
    auto item = [] { return std::make_unique<fw::MenuItem>(); };
    AddItem("", item(), "EditMenu", "編集", "");
    AddItem("EditMenu", item(), "EditUndo", "取り消す", "Cmd+Z");
    AddItem("EditMenu", item(), "EditRedo", "やり直す", "Cmd+Shift+Z");
    AddItem("EditMenu", item(), "UntitledMenu1", "-", nullptr);
    AddItem("EditMenu", item(), "EditCut", "カット", "Cmd+X");
    AddItem("EditMenu", item(), "EditCopy", "コピー", "Cmd+C");
    AddItem("EditMenu", item(), "EditPaste", "貼り付け", "Cmd+V");
    AddItem("EditMenu", item(), "EditClear", "削除", "");
    AddItem("EditMenu", item(), "UntitledMenu0", "-", nullptr);
    AddItem("EditMenu", item(), "EditSelectAll", "すべてを選択", "Cmd+A");
    AddItem("EditMenu", item(), "UntitledSeparator", "-", nullptr);
    AddItem("EditMenu", std::make_unique<fw::PrefsMenuItem>(), "EditPreferences", "環境設定...",
            "");
    AddItem("EditMenu", std::make_unique<fw::AppleMenuItem>(), "AppleAbout", "Quillomarについて",
            "");
}
