#include "PopupMenu.h"

#include <QComboBox>

#include "PlatformInternal.h"

namespace fw {

namespace {

QComboBox* Platform(const PopupMenu& p) {
    return static_cast<QComboBox*>(p.Widget());
}

}  // namespace

PopupMenu::PopupMenu(Window& window, std::string name)
    : Control(window, std::move(name), new QComboBox) {
    SetTextFont(12);
    QObject::connect(Platform(*this), &QComboBox::currentIndexChanged, Platform(*this),
                     [this](int index) {
                         if (index == index_) return;
                         index_ = index;
                         Deliver([this] {
                             if (Change) Change(*this);
                         });
                     });
}

void PopupMenu::AddRow(const std::string& text) {
    QComboBox* box = Platform(*this);
    // The platform selects the first row added to an empty menu; the program selects rows itself.
    QSignalBlocker quiet(box);
    box->addItem(ToQString(text));
    box->setCurrentIndex(index_);
}

void PopupMenu::DeleteAllRows() {
    Platform(*this)->clear();  // a selected row goes: the selection changes to none
}

int32_t PopupMenu::ListCount() const {
    return Platform(*this)->count();
}

std::string PopupMenu::List(int32_t row) const {
    if (row < 0 || row >= ListCount()) return "";
    return FromQString(Platform(*this)->itemText(row));
}

int32_t PopupMenu::ListIndex() const {
    return index_;
}

void PopupMenu::SetListIndex(int32_t row) {
    if (row < -1 || row >= ListCount()) return;
    Platform(*this)->setCurrentIndex(row);
}

std::string PopupMenu::Text() const {
    return List(index_);
}

}  // namespace fw
