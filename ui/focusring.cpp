#include "focusring.h"

#include <QPainter>

namespace tickora {
namespace {
const QColor ringOnDark(0xFF, 0xD8, 0x00);  // gold: 6:1 against pure blue
const QColor ringOnLight(0x00, 0x50, 0xC8); // deep blue: 7:1 against white
} // namespace

void paintFocusRing(QWidget& widget, const QColor& behind) {
    QPainter painter(&widget);
    // Weighted as the eye weighs them: pure blue is dark, though halfway in HSL lightness.
    const double luminance =
        0.2126 * behind.redF() + 0.7152 * behind.greenF() + 0.0722 * behind.blueF();
    painter.setPen(QPen(luminance < 0.5 ? ringOnDark : ringOnLight, 2));
    painter.drawRect(QRectF(widget.rect()).adjusted(1, 1, -1, -1));
}

void FocusButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (hasFocus())
        paintFocusRing(*this, palette().color(QPalette::Button));
}

} // namespace tickora
