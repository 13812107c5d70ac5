#include "mainwindow/Window1.h"

// The comparison lists' events and the reset of the comparison.

bool Window1::localListBox_CellBackgroundPaint(fw::ListBox&, fw::Graphics&, int32_t, int32_t) {
    return false;
}
void Window1::localListBox_ExpandRow(fw::ListBox&, int32_t) {}
bool Window1::localListBox_CellClick(fw::ListBox&, int32_t, int32_t, int32_t, int32_t) {
    return false;
}
void Window1::localListBox_CollapseRow(fw::ListBox&, int32_t) {}
void Window1::localListBox_Open(fw::ListBox&) {}
void Window1::remoteListBox_ExpandRow(fw::ListBox&, int32_t) {}
bool Window1::remoteListBox_CellBackgroundPaint(fw::ListBox&, fw::Graphics&, int32_t, int32_t) {
    return false;
}
bool Window1::remoteListBox_CellClick(fw::ListBox&, int32_t, int32_t, int32_t, int32_t) {
    return false;
}
void Window1::remoteListBox_CollapseRow(fw::ListBox&, int32_t) {}
void Window1::remoteListBox_Open(fw::ListBox&) {}
void Window1::Timer1_Action(fw::Timer&) {}
void Window1::Timer2_Action(fw::Timer&) {}
