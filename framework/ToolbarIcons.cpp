#include "ToolbarIcons.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>
#include <map>
#include <set>
#include <utility>

#include "PlatformInternal.h"

// The pictures live in a static library: their resource must be pulled in by name.
static void InitToolbarIconResource() {
    Q_INIT_RESOURCE(toolbar_icons);
}

namespace fw {

namespace {

QPixmap Render(QSvgRenderer& svg, int size, qreal ratio) {
    const int side = qRound(size * ratio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(0, 0, side, side));
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon Draw(const std::string& imageName, int size) {
    const QString path = QStringLiteral(":/toolbar/") + ToQString(imageName);
    if (!QFile::exists(path)) return {};
    QSvgRenderer svg(path);
    if (!svg.isValid()) return {};
    // Drawn at each pixel ratio in use, rather than scaled from one size afterwards.
    std::set<qreal> ratios{1.0, 2.0};
    for (QScreen* screen : QGuiApplication::screens()) ratios.insert(screen->devicePixelRatio());
    QIcon icon;
    for (qreal ratio : ratios) icon.addPixmap(Render(svg, size, ratio));
    return icon;
}

}  // namespace

QIcon ToolbarIcon(const std::string& imageName, int size) {
    static const bool initialised = (InitToolbarIconResource(), true);
    (void)initialised;
    if (imageName.empty()) return {};
    static std::map<std::pair<std::string, int>, QIcon> drawn;
    const auto key = std::make_pair(imageName, size);
    if (auto it = drawn.find(key); it != drawn.end()) return it->second;
    return drawn[key] = Draw(imageName, size);
}

}  // namespace fw
