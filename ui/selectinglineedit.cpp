#include "selectinglineedit.h"

#include "focusring.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QStyleOptionFrame>

namespace tickora {

void SelectingLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    focusedByMouse_ = event->reason() == Qt::MouseFocusReason;
    emit gotFocus();
}

void SelectingLineEdit::focusOutEvent(QFocusEvent* event) {
    focusedByMouse_ = false;
    QLineEdit::focusOutEvent(event);
}

void SelectingLineEdit::mousePressEvent(QMouseEvent* event) {
    // The press that brought the focus would place the caret and undo the selection.
    if (focusedByMouse_ && event->button() == Qt::LeftButton) {
        focusedByMouse_ = false;
        event->accept();
        return;
    }
    focusedByMouse_ = false;
    QLineEdit::mousePressEvent(event);
}

void SelectingLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (hasFocus())
        paintFocusRing(*this, palette().color(QPalette::Base));
}

// The width QLineEdit draws text in: inside the frame and the text margins, two pixels off each
// side.
int SelectingLineEdit::textRoom() const {
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    return contents.marginsRemoved(textMargins()).width() - 2 * 2;
}

void SelectingLineEdit::fitFontToText() {
    setFont(QFont()); // inherited again: a short text after a long one shows at full size
    QFont font = this->font();
    // A pixel for the caret, which QLineEdit keeps in view at the end of the text.
    const auto width = [this](const QFont& font) {
        return QFontMetrics(font, this).horizontalAdvance(text()) + 1;
    };
    while (width(font) > textRoom() && font.pointSizeF() > 1)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    if (font != this->font())
        setFont(font);
}

} // namespace tickora
