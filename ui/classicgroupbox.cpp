#include "classicgroupbox.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace tickora {
namespace {
constexpr int titleIndent = 6;  // from the left edge, where the line gives way to the title
constexpr int titlePadding = 2; // the gap in the line on each side of the title
} // namespace

QRect ClassicGroupBox::titleRect() const {
    return {titleIndent, 0, fontMetrics().horizontalAdvance(title()) + 2 * titlePadding,
            fontMetrics().height()};
}

void ClassicGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // An etched line, as classic group boxes have; the style's own frame would start below the
    // title instead.
    qDrawShadeRect(&painter, rect().adjusted(0, frameTop(), 0, 0), palette(), true, 1);
    painter.fillRect(titleRect(), palette().window());
    style()->drawItemText(&painter, titleRect(), Qt::AlignCenter, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}

} // namespace tickora
