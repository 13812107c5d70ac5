#include "mainwindow/Window1.h"

// A comparison is under way while the remote walk collects listings from a connected server and
// while the comparison pass runs; a walk whose connection has gone will not go on.
bool Window1::CompareRunning() const {
    return pComparePass || (pSyncRFlg && commandSocket.IsConnected());
}
