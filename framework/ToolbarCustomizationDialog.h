#pragma once

class QWidget;

namespace fw {

class Toolbar;

// The toolbar's customisation dialog, run through the modal host: the items the user may place
// (asked of the delegate) beside the items on the bar, with buttons to add, remove and move them.
// Every change goes to the bar at once; "完了" closes the dialog.
void RunToolbarCustomizationDialog(Toolbar& toolbar, QWidget* parent);

}  // namespace fw
