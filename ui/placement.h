// Where a new window opens: beside the window it belongs to, clear of every other window shown
// while the screen has room, and always on the screen. Where there is no such room it covers
// as little as it can of what must stay in sight (every shown window's input boxes, lists and
// buttons, the main window's results among them), then of the other windows.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tickora {

struct Desk {
    QRect screen;        // the screen's available area
    QRect owner;         // the frame of the window the new one belongs to
    QList<QRect> others; // the frames of the other windows shown, the owner's not among them
    QList<QRect> kept;   // what must stay in sight, in every window shown
};

// The top left corner of a frame of the given size.
QPoint placeWindow(const Desk& desk, QSize frame);

// The desk as it is now: the windows shown but the one being placed, and what of them must stay
// in sight (their line edits, combo boxes and buttons).
Desk deskBeside(const QWidget* owner, const QWidget* placed);
// The new window's frame: its size with a frame like the owner's, as it has none before shown.
QSize framedSize(const QWidget* owner, const QWidget* placed);

} // namespace tickora
