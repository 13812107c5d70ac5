#pragma once

// Pieces of the layer that only the layer itself calls.

#include <string>
#include <string_view>

class QString;

namespace fw {

void InstallCancelKeyFilter();
QString ToQString(std::string_view utf8);
std::string FromQString(const QString& s);

}  // namespace fw

class QMenuBar;
class QWidget;

namespace fw {

class MenuBar;

// Builds the platform menu bar for a window from the program's menu model.
QMenuBar* BuildPlatformMenuBar(MenuBar* model, QWidget* parent);

}  // namespace fw
