#pragma once

class QCoreApplication;

namespace fw {

// Windows repaint at most once a frame (60 times a second). A busy transfer changes the log and
// the progress display for every reply and every file, and painting the window for each change
// costs more than the transfer itself; what changes within a frame is painted together at its
// end. Only the layer uses it, once, as the platform application is made.
void InstallRepaintPacing(QCoreApplication* app);

}  // namespace fw
