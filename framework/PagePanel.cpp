#include "PagePanel.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace fw {

namespace {

// The panel's platform widget: its pages lie on top of each other and fill it.
class PagePanelWidget : public QWidget {
public:
    std::vector<QWidget*> pages;  // owned as children

    // The platform tells a hidden widget of its new size only when it is shown; a page that is
    // not current is told at once, so that the controls on it follow their locks now.
    void FitPages() {
        for (QWidget* page : pages) {
            const QSize old = page->size();
            page->setGeometry(rect());
            if (page->isVisible() || page->size() == old) continue;
            QResizeEvent resized(page->size(), old);
            QCoreApplication::sendEvent(page, &resized);
            page->setAttribute(Qt::WA_PendingResizeEvent, false);
        }
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        FitPages();
    }
};

PagePanelWidget* Platform(const PagePanel& p) {
    return static_cast<PagePanelWidget*>(p.Widget());
}

}  // namespace

PagePanel::PagePanel(Window& window, std::string name)
    : Control(window, std::move(name), new PagePanelWidget) {}

void PagePanel::SetPanelCount(int32_t count) {
    PagePanelWidget* panel = Platform(*this);
    count = std::max(0, count);
    while (static_cast<int32_t>(panel->pages.size()) > count) {
        delete panel->pages.back();
        panel->pages.pop_back();
    }
    while (static_cast<int32_t>(panel->pages.size()) < count) {
        auto* page = new QWidget(panel);
        page->setObjectName(panel->objectName() +
                            QStringLiteral("_page%1").arg(panel->pages.size()));
        page->setGeometry(panel->rect());
        page->setVisible(static_cast<int32_t>(panel->pages.size()) == value_);
        panel->pages.push_back(page);
    }
    if (value_ >= count && count > 0) {  // the current page went: the last one is current
        value_ = count - 1;
        panel->pages[value_]->setVisible(true);
    }
}

int32_t PagePanel::PanelCount() const {
    return static_cast<int32_t>(Platform(*this)->pages.size());
}

void PagePanel::SetValue(int32_t page) {
    if (page == value_ || page < 0 || page >= PanelCount()) return;
    PagePanelWidget* panel = Platform(*this);
    QWidget* old = value_ >= 0 && value_ < PanelCount() ? panel->pages[value_] : nullptr;
    panel->pages[page]->setVisible(true);
    if (old) old->setVisible(false);
    value_ = page;
    Deliver([this] {
        if (Change) Change(*this);
    });
}

QWidget* PagePanel::ContentWidget(int32_t page) const {
    PagePanelWidget* panel = Platform(*this);
    if (page < 0 || page >= PanelCount()) return panel;
    // The page takes the panel's size before anything is placed on it: the panel may not have been
    // shown yet, and the controls' locks count from this size.
    panel->FitPages();
    return panel->pages[page];
}

}  // namespace fw
