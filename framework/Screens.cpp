#include "Screens.h"

#include <QGuiApplication>
#include <QScreen>

namespace fw {

std::vector<ScreenArea> AvailableScreenAreas() {
    std::vector<ScreenArea> areas;
    QScreen* primary = QGuiApplication::primaryScreen();
    auto add = [&areas](QScreen* screen) {
        const QRect r = screen->availableGeometry();
        areas.push_back({r.x(), r.y(), r.width(), r.height()});
    };
    if (primary) add(primary);
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary) add(screen);
    return areas;
}

}  // namespace fw
