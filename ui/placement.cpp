#include "placement.h"

#include <algorithm>
#include <tuple>

namespace tickora {
namespace {

constexpr int gap = 8; // between windows, so their borders do not merge

qint64 area(const QRect& rect) { return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height(); }

// Slid as far as it goes, a free place ends against a screen edge or another window in each
// direction: those edges, each side, are the only places worth trying.
QList<int> stops(int screenLow, int screenHigh, int extent, const QList<QRect>& windows,
                 bool horizontal) {
    QList<int> result{screenLow, screenHigh - extent + 1};
    for (const QRect& window : windows) {
        const int low = horizontal ? window.left() : window.top();
        const int high = horizontal ? window.right() : window.bottom();
        result << high + 1 + gap << low - gap - extent << low;
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

} // namespace

QPoint placeToolWindow(const Desk& desk, QSize frame) {
    const QList<QRect> windows = QList<QRect>{desk.main} + desk.others;
    const QRect& screen = desk.screen;
    // Between places equal in all else, the nearest to the right of the main window.
    const QPoint wanted(desk.main.right() + 1 + gap, desk.main.top());
    // Covering the input boxes is worst, then their labels, then another tool window, then the
    // rest of the main window. Of the places that cover nothing, the one that keeps the windows
    // closest together: it leaves the screen's open space in one piece for the next.
    const auto cost = [&](QPoint corner) {
        const QRect rect(corner, frame);
        qint64 overOthers = 0;
        QRect together = rect | desk.main;
        for (const QRect& other : desk.others) {
            overOthers += area(rect & other);
            together |= other;
        }
        return std::tuple(area(rect & desk.inputs), area(rect & desk.labelled), overOthers,
                          area(rect & desk.main), area(together),
                          (corner - wanted).manhattanLength());
    };
    QPoint best = ontoScreen(wanted, screen, frame);
    for (int x : stops(screen.left(), screen.right(), frame.width(), windows, true))
        for (int y : stops(screen.top(), screen.bottom(), frame.height(), windows, false))
            if (const QPoint corner = ontoScreen({x, y}, screen, frame); cost(corner) < cost(best))
                best = corner;
    return best;
}

} // namespace tickora
