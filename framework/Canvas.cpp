#include "Canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "PainterGraphics.h"

namespace fw {

namespace {

class CanvasWidget : public QWidget {
public:
    explicit CanvasWidget(Canvas& model) : model_(model) {}

protected:
    // Painting cannot wait: the handler draws now, into this paint event's painter.
    void paintEvent(QPaintEvent*) override {
        if (!model_.Paint) return;
        QPainter painter(this);
        PainterGraphics g(painter, rect());
        RunGuarded([&] { model_.Paint(model_, g); });
    }

    // The canvas takes its clicks; they do not reach the window below.
    void mousePressEvent(QMouseEvent* e) override {
        e->accept();
        if (e->button() != Qt::LeftButton) return;
        const QPoint at = e->position().toPoint();
        model_.Deliver([m = &model_, at] {
            if (m->MouseDown) m->MouseDown(*m, at.x(), at.y());
        });
    }

private:
    Canvas& model_;
};

}  // namespace

Canvas::Canvas(Window& window, std::string name)
    : Control(window, std::move(name), new CanvasWidget(*this)) {
    Widget()->setFocusPolicy(Qt::NoFocus);
}

}  // namespace fw
