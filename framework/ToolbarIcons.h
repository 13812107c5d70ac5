#pragma once

// The pictures of the toolbar's buttons: the project's own drawings, compiled into the layer.

#include <QIcon>
#include <string>

namespace fw {

// The side of a toolbar picture, in logical pixels.
inline constexpr int kToolbarIconSize = 24;

// The picture for an image name, drawn for every screen's pixel ratio so that it stays crisp; a
// null icon for a name that has no picture.
QIcon ToolbarIcon(const std::string& imageName, int size = kToolbarIconSize);

}  // namespace fw
