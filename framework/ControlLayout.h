#pragma once

// Moves and stretches controls by their locks when the widget that holds them changes size. Only
// the layer uses it.

class QWidget;

namespace fw {

class Control;

class ControlLayout {
public:
    // Marks widget as the platform side of control.
    static void Register(QWidget* widget, Control* control);
    static Control* ControlOf(const QWidget* widget);
    // Starts following holder's size (once per holder): from now on each change of its size moves
    // or stretches the controls directly inside it by the change, edge by locked edge.
    static void Watch(QWidget* holder);
};

}  // namespace fw
