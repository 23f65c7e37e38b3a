// Where a tool window opens: beside the main window, clear of it and of the other tool windows
// while the screen has room, and always on the screen. Where there is no such room it covers,
// in this order of preference, the main window, another tool window, the input boxes' labels,
// the input boxes.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tickora {

struct Desk {
    QRect screen;        // the screen's available area
    QRect main;          // the main window's frame
    QRect inputs;        // the main window's input boxes, covered last of all
    QRect labelled;      // the input boxes with their labels, covered next to last
    QList<QRect> others; // the frames of the tool windows already shown
};

// The top left corner of a frame of the given size.
QPoint placeToolWindow(const Desk& desk, QSize frame);

} // namespace tickora
