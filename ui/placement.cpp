#include "placement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <tuple>

namespace tickora {
namespace {

constexpr int gap = 8; // between windows, so their borders do not merge

qint64 area(const QRect& rect) { return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height(); }

qint64 areaOver(const QRect& rect, const QList<QRect>& under) {
    qint64 total = 0;
    for (const QRect& each : under)
        total += area(rect & each);
    return total;
}

// Slid as far as it goes, a free place ends against a screen edge, another window or something
// kept in sight in each direction: those edges, each side, are the only places worth trying.
QList<int> stops(int screenLow, int screenHigh, int extent, const QList<QRect>& edges,
                 bool horizontal) {
    QList<int> result{screenLow, screenHigh - extent + 1};
    for (const QRect& rect : edges) {
        const int low = horizontal ? rect.left() : rect.top();
        const int high = horizontal ? rect.right() : rect.bottom();
        result << high + 1 + gap << low - gap - extent << low << high + 1 << low - extent;
    }
    return result;
}

// Moved onto the screen, its top left corner (where the title is) at least.
QPoint ontoScreen(QPoint corner, const QRect& screen, QSize frame) {
    const int right = std::max(screen.left(), screen.right() + 1 - frame.width());
    const int bottom = std::max(screen.top(), screen.bottom() + 1 - frame.height());
    return {std::clamp(corner.x(), screen.left(), right),
            std::clamp(corner.y(), screen.top(), bottom)};
}

// Inputs and buttons, and the menu bar, the only way to some windows.
bool keptInSight(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QMenuBar*>(widget);
}

} // namespace

QPoint placeWindow(const Desk& desk, QSize frame) {
    const QList<QRect> windows = QList<QRect>{desk.owner} + desk.others;
    const QRect& screen = desk.screen;
    // Between places equal in all else, the nearest to the right of its owner.
    const QPoint wanted(desk.owner.right() + 1 + gap, desk.owner.top());
    // Covering what must stay in sight is worst, then the other windows. Of the places that
    // cover nothing, the one that keeps the windows closest together: it leaves the screen's
    // open space in one piece for the next.
    const auto cost = [&](QPoint corner) {
        const QRect rect(corner, frame);
        QRect together = rect;
        for (const QRect& other : windows) {
            together |= other;
        }
        return std::tuple(areaOver(rect, desk.kept), areaOver(rect, windows), area(together),
                          (corner - wanted).manhattanLength());
    };
    const QList<QRect> edges = windows + desk.kept;
    QPoint best = ontoScreen(wanted, screen, frame);
    auto lowest = cost(best);
    for (int x : stops(screen.left(), screen.right(), frame.width(), edges, true))
        for (int y : stops(screen.top(), screen.bottom(), frame.height(), edges, false))
            if (const QPoint corner = ontoScreen({x, y}, screen, frame); cost(corner) < lowest) {
                best = corner;
                lowest = cost(corner);
            }
    return best;
}

Desk deskBeside(const QWidget* owner, const QWidget* placed) {
    Desk desk{owner->screen()->availableGeometry(), owner->frameGeometry(), {}, {}};
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window == placed || !window->isVisible() || window->inherits("QMenu") ||
            window->inherits("QTipLabel"))
            continue;
        const QRect frame = window->frameGeometry();
        if (window != owner)
            desk.others << frame;
        // Its title bar too, by which it is moved out of the way.
        desk.kept << QRect(frame.topLeft(),
                           QSize(frame.width(), window->geometry().y() - frame.y()));
        for (const QWidget* widget : window->findChildren<QWidget*>())
            if (widget->isVisible() && widget->window() == window && keptInSight(widget))
                desk.kept << QRect(widget->mapToGlobal(QPoint()), widget->size());
    }
    return desk;
}

QSize framedSize(const QWidget* owner, const QWidget* placed) {
    return placed->size() + owner->frameGeometry().size() - owner->size();
}

} // namespace tickora
