#include "mainwindow/Window1.h"

// The profile list and the profile panel, and the dialogs the window opens.

void Window1::BevelButton3_Action(fw::BevelButton&) {}
void Window1::BevelButton4_Action(fw::BevelButton&) {}
void Window1::BevelButton5_Action(fw::BevelButton&) {}
void Window1::CheckBox4_Action(fw::CheckBox&) {}
void Window1::BevelButton2_Action(fw::BevelButton&) {}
void Window1::BevelButton1_Action(fw::BevelButton&) {}
void Window1::ListBox1_Change(fw::ListBox&) {}
bool Window1::ListBox1_CellBackgroundPaint(fw::ListBox&, fw::Graphics&, int32_t, int32_t) {
    return false;
}
void Window1::ListBox1_DoubleClick(fw::ListBox&, int32_t) {}
void Window1::ListBox1_Open(fw::ListBox&) {}
void Window1::InitSetlist() {}
void Window1::ShowMapDlg() {}
void Window1::ShowPrefDlg() {}
