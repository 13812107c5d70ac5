#include "PagePanel.h"

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

    void FitPages() {
        for (QWidget* page : pages) page->setGeometry(rect());
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
