#pragma once

// The drawing context of the layer's paint events, over a platform painter. Only the layer uses
// it.

#include <QPainter>
#include <QRect>

#include "Graphics.h"

namespace fw {

class PainterGraphics : public Graphics {
public:
    // Draws into area of painter's device; the program's (0, 0) is area's top-left corner and
    // nothing is drawn outside area.
    PainterGraphics(QPainter& painter, const QRect& area);
    ~PainterGraphics() override;

    int32_t Width() const override { return area_.width(); }
    int32_t Height() const override { return area_.height(); }
    void FillRect(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void DrawRect(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void DrawString(const std::string& text, int32_t x, int32_t y) override;
    void DrawCautionIcon(int32_t x, int32_t y, int32_t size) override;

private:
    QColor Pen() const { return QColor(ForeColor.r, ForeColor.g, ForeColor.b); }
    QPainter& painter_;
    QRect area_;
};

}  // namespace fw
