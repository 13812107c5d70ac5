#include "PainterGraphics.h"

#include <QApplication>
#include <QStyle>

#include "PlatformInternal.h"

namespace fw {

PainterGraphics::PainterGraphics(QPainter& painter, const QRect& area)
    : painter_(painter), area_(area) {
    painter_.save();
    painter_.setClipRect(area_, Qt::IntersectClip);
    painter_.translate(area_.topLeft());
}

PainterGraphics::~PainterGraphics() {
    painter_.restore();
}

void PainterGraphics::FillRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    painter_.fillRect(QRect(x, y, width, height), Pen());
}

void PainterGraphics::DrawRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    painter_.setPen(Pen());
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(x, y, width - 1, height - 1));
}

void PainterGraphics::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    painter_.setPen(Pen());
    painter_.drawLine(x1, y1, x2, y2);
}

void PainterGraphics::DrawString(const std::string& text, int32_t x, int32_t y) {
    painter_.setPen(Pen());
    painter_.drawText(x, y, ToQString(text));
}

void PainterGraphics::DrawCautionIcon(int32_t x, int32_t y, int32_t size) {
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // The style may have it smaller only: it is drawn at the size asked for all the same.
    const QPixmap pixmap = icon.pixmap(QSize(size, size))
                               .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter_.drawPixmap(x, y, pixmap);
}

}  // namespace fw
