// Stands in for the comparison's two entry points that connecting and clearing call, until the
// comparison itself is merged; it goes then.
#include "mainwindow/Window1.h"
void Window1::GetCompareList() {}
void Window1::ClearVal() {
    localListBox->DeleteAllRows();
    remoteListBox->DeleteAllRows();
    pGroupL = -1;
    pGroupR = -1;
    pUpload = UploadNone;
    pRemove = false;
    getList = false;
    expanding = false;
    expandingL = false;
}
