#include "mainwindow/Window1.h"

// The commands of a connection and a sync run, as the toolbar and the menus reach them.

void Window1::makeConnection() {}
void Window1::CloseConnection() {}
void Window1::SyncUpload() {
    if (CompareRunning()) return;  // the comparison is still making the trees and their marks
}
void Window1::ClearLog() {
    if (CompareRunning()) return;  // the comparison is still making the trees and their lists
}
void Window1::SaveLog() {}
void Window1::SaveSyncList() {}
