// Where a tool window opens: beside the main window, clear of it and of the other tool windows
// while the screen has room, and always on the screen.
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
    QList<QRect> others; // the frames of the tool windows already shown
};

// The top left corner of a frame of the given size.
QPoint placeToolWindow(const Desk& desk, QSize frame);

} // namespace tickora
