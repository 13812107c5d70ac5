#include "Window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "Application.h"
#include "ModalHost.h"
#include "PlatformInternal.h"
#include "PushButton.h"

namespace fw {

namespace {

std::vector<Window*>& Registry() {
    static std::vector<Window*> open;
    return open;
}

// Hands the platform window's events to the program's window.
template <class Base>
class ForwardingWidget : public Base {
public:
    explicit ForwardingWidget(Window* owner) : owner_(owner) {}

protected:
    void moveEvent(QMoveEvent* e) override {
        Base::moveEvent(e);
        if (owner_->IsOpen()) owner_->Deliver([o = owner_] { o->Event_Moved(); });
    }
    void resizeEvent(QResizeEvent* e) override {
        Base::resizeEvent(e);
        if (!owner_->IsOpen()) return;
        owner_->Deliver([o = owner_] {
            o->Event_Resizing();
            o->Event_Resized();
        });
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();  // the program's window decides, and closes itself
        owner_->Deliver([o = owner_] { o->RequestClose(); });
    }
    void mousePressEvent(QMouseEvent* e) override {
        // The program's coordinates are the content's, below the menu bar.
        QPoint p = owner_->Widget()->mapFrom(this, e->position().toPoint());
        if (owner_->IsOpen())
            owner_->Deliver([o = owner_, p] { o->Event_MouseDown(p.x(), p.y()); });
        Base::mousePressEvent(e);
    }

protected:
    Window* owner_;
};

// The push button of a dialog marked as its default (Return) or cancel (Escape) button, among
// those the user can see.
PushButton* MarkedButton(const Window& window, bool cancel) {
    for (const auto& c : window.Controls())
        if (auto* b = dynamic_cast<PushButton*>(c.get()))
            if ((cancel ? b->Cancel() : b->Default()) && b->Shown()) return b;
    return nullptr;
}

class DocumentWidget : public ForwardingWidget<QMainWindow> {
public:
    using ForwardingWidget::ForwardingWidget;
};

// In a dialog, Return presses the default button and Escape the cancel button, and no other
// button answers either key. A close by the window manager counts as the cancel button; a modal
// dialog without one stays open, a modeless one closes as a window does.
class DialogWidget : public ForwardingWidget<QDialog> {
public:
    using ForwardingWidget::ForwardingWidget;

    // What the platform (and the modal host's cancel) ends a dialog with.
    void reject() override {
        if (PushButton* cancel = MarkedButton(*owner_, true)) cancel->Push();
        if (isVisible()) QDialog::reject();  // nothing hid it: the dialog must not stay up
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        const bool confirm = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
        const bool cancel = e->key() == Qt::Key_Escape;
        if (mods != Qt::NoModifier || (!confirm && !cancel)) {
            e->ignore();
            return;
        }
        if (PushButton* b = MarkedButton(*owner_, cancel)) b->Push();
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (PushButton* cancel = MarkedButton(*owner_, true)) {
            cancel->Push();
            return;
        }
        if (owner_->InModal()) return;
        owner_->Deliver([o = owner_] { o->RequestClose(); });
    }
};

}  // namespace

struct Window::Impl {
    QWidget* top = nullptr;      // the platform window
    QWidget* content = nullptr;  // where the controls go
    int sheets = 0;              // windows shown modally within this one now

    // Height of what the platform window has above and below the content (menu bar, toolbars).
    int Chrome() const {
        if (top == content) return 0;
        if (QLayout* layout = top->layout()) {
            // A hidden window's layout is not redone when the window is resized: redo it now.
            layout->invalidate();
            layout->activate();
        }
        return std::max(0, top->height() - content->height());
    }
};

Window::Window(Kind kind) : d(std::make_unique<Impl>()), kind_(kind) {
    if (kind == Kind::Document) {
        auto* w = new DocumentWidget(this);
        auto* central = new QWidget(w);
        w->setCentralWidget(central);
        d->top = w;
        d->content = central;
    } else {
        auto* w = new DialogWidget(this);
        w->setModal(kind == Kind::ModalDialog);
        d->top = w;
        d->content = w;
    }
}

Window::~Window() {
    auto& open = Registry();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    controls_.clear();  // while their widgets still exist
    delete d->top;
}

void Window::Build() {
    if (built_) return;
    built_ = true;
    Registry().push_back(this);  // counts as open while it is still being built
    Layout();
    d->Chrome();  // the content area takes its size now, before controls are placed in it
    CreateControls();
    ApplyTabOrder();
    AddMenuHandlers();
    opened_ = true;  // window events reach the program from here on
    for (const auto& c : controls_) c->RaiseOpen();
    Event_Open();
    if (visibleOnOpen_ && !closed_) Show();
}

std::vector<Window*> Window::OpenWindows() {
    return Registry();
}

Window* Window::Frontmost() {
    QWidget* active = QApplication::activeWindow();
    for (Window* w : Registry())
        if (active && w->d->top == active) return w;
    for (auto it = Registry().rbegin(); it != Registry().rend(); ++it)
        if ((*it)->Visible()) return *it;
    return Registry().empty() ? nullptr : Registry().back();
}

int32_t Window::Left() const {
    return d->top->geometry().x();
}
int32_t Window::Top() const {
    return d->top->geometry().y();
}
int32_t Window::Width() const {
    return d->top->width();
}
int32_t Window::Height() const {
    return d->top->height() - d->Chrome();
}

void Window::SetLeft(int32_t v) {
    QRect g = d->top->geometry();
    g.moveLeft(v);
    d->top->setGeometry(g);
}
void Window::SetTop(int32_t v) {
    QRect g = d->top->geometry();
    g.moveTop(v);
    d->top->setGeometry(g);
}
void Window::SetWidth(int32_t v) {
    d->top->resize(v, d->top->height());
}
void Window::SetHeight(int32_t v) {
    d->top->resize(d->top->width(), v + d->Chrome());
}

void Window::SetMinimumSize(int32_t w, int32_t h) {
    d->content->setMinimumSize(w, h);
}
void Window::SetMaximumSize(int32_t w, int32_t h) {
    d->content->setMaximumSize(w, h);
}

void Window::SetResizable(bool r) {
    if (r) return;
    d->top->setFixedSize(d->top->size());
}

void Window::SetTitle(const std::string& title) {
    d->top->setWindowTitle(ToQString(title));
}
std::string Window::Title() const {
    return FromQString(d->top->windowTitle());
}

void Window::CenterOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->availableGeometry();
    QRect g = d->top->frameGeometry();
    g.moveCenter(area.center());
    d->top->move(g.topLeft());
}

void Window::Show() {
    if (closed_) return;
    d->top->show();
    d->top->raise();
    d->top->activateWindow();
}

void Window::Hide() {
    d->top->hide();
}
bool Window::Visible() const {
    return d->top->isVisible();
}

void Window::Close() {
    if (closed_) return;
    closed_ = true;
    auto& open = Registry();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    RunGuarded([this] { Event_Close(); });
    d->top->hide();
    DeleteWhenIdle();
}

// Deleted once the event that closed it has been handled, and not while one of its own handlers
// or its controls' is still running further down the stack (one that gives way, say), nor while
// it or a sheet on it is modal: whoever showed it reads its answer after the modal call returns.
// Nor while any modal thing is up: a dialog made by the layer may have this window's platform
// window as its parent, and would go with it in the middle of its own loop.
void Window::DeleteWhenIdle(int delayMs) {
    QTimer::singleShot(delayMs, qApp, [this] {
        if (HandlerRunning())
            DeleteWhenIdle(10);
        else
            delete this;
    });
}

bool Window::HandlerRunning() const {
    if (Busy() || modalRuns_ > 0 || d->sheets > 0 || ModalHost::Active()) return true;
    for (const auto& c : controls_)
        if (c->Busy()) return true;
    return false;
}

void Window::RequestClose() {
    if (closed_) return;
    if (closingQuitsApp_ && Application::Instance()) {
        Application::Instance()->Quit();
        return;
    }
    if (!Event_CancelClose(false)) Close();
}

void Window::ShowModal() {
    RunModal(nullptr);
}

void Window::ShowModalWithin(Window* parent) {
    RunModal(parent);
}

void Window::RunModal(Window* parent) {
    if (closed_ || modalRuns_ > 0) return;
    if (kind_ == Kind::Document) {
        Show();
        return;
    }
    auto* dialog = static_cast<QDialog*>(d->top);
    if (parent && (parent == this || parent->IsClosed())) parent = nullptr;
    const Qt::WindowFlags flags = dialog->windowFlags();
    dialog->hide();  // a window's modality takes effect as it is shown
    if (parent) dialog->setParent(parent->d->top, flags);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);

    ModalPrompt prompt;
    prompt.kind = "window";
    prompt.title = Title();
    for (const auto& c : controls_)
        if (auto* b = dynamic_cast<PushButton*>(c.get()); b && b->Shown())
            prompt.buttons.push_back(b->Caption());

    QPointer<QDialog> alive = dialog;
    ++modalRuns_;
    if (parent) ++parent->d->sheets;
    ModalHost::Run(dialog, prompt);
    if (parent) --parent->d->sheets;
    if (!alive) return;  // destroyed from outside while it ran
    --modalRuns_;
    // A sheet leaves its parent again: a window lives exactly as long as its own object.
    if (parent) dialog->setParent(nullptr, flags);
    dialog->setWindowModality(kind_ == Kind::ModalDialog ? Qt::ApplicationModal : Qt::NonModal);
}

void Window::SetMenuBar(MenuBar* bar) {
    menuBar_ = bar;
    if (kind_ != Kind::Document || !bar) return;
    auto* main = static_cast<QMainWindow*>(d->top);
    main->setMenuBar(BuildPlatformMenuBar(bar, main));
}

void Window::AddMenuHandler(const std::string& itemName, std::function<bool()> handler) {
    menuHandlers_[itemName] = std::move(handler);
}

bool Window::HandleMenu(const std::string& itemName) {
    auto it = menuHandlers_.find(itemName);
    return it != menuHandlers_.end() && it->second && it->second();
}

QWidget* Window::Widget() const {
    return d->content;
}

Control* Window::ControlNamed(const std::string& name) const {
    for (const auto& c : controls_)
        if (c->Name() == name) return c.get();
    return nullptr;
}

namespace {

// A control's place among its siblings: its own tab position, or for a container without one,
// the first tab position inside it.
int TabKey(const Control* c) {
    if (c->TabIndex() >= 0) return c->TabIndex();
    int key = INT_MAX;
    for (const Control* inner : c->Contained()) key = std::min(key, TabKey(inner));
    return key;
}

void AppendInTabOrder(std::vector<Control*> siblings, std::vector<QWidget*>& chain) {
    std::stable_sort(siblings.begin(), siblings.end(),
                     [](const Control* a, const Control* b) { return TabKey(a) < TabKey(b); });
    for (Control* c : siblings) {
        if (c->TabIndex() >= 0 && c->TakesFocus()) chain.push_back(c->Widget());
        AppendInTabOrder(c->Contained(), chain);
    }
}

}  // namespace

// Focus moves through the controls by their tab positions among their siblings, a container's
// controls in its place.
void Window::ApplyTabOrder() {
    std::vector<Control*> top;
    for (const auto& c : controls_)
        if (!c->Container()) top.push_back(c.get());
    std::vector<QWidget*> chain;
    AppendInTabOrder(top, chain);
    for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace fw
