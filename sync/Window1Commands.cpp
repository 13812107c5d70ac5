#include "mainwindow/Window1.h"

// The commands of a connection and a sync run, as the toolbar and the menus reach them.

void Window1::makeConnection() {}
void Window1::CloseConnection() {}
void Window1::SyncUpload() {}
void Window1::ClearLog() {}
void Window1::SaveLog() {}
void Window1::SaveSyncList() {}
