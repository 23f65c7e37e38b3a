#include "selectinglineedit.h"

#include "focusring.h"

#include <QFocusEvent>
#include <QMouseEvent>

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

} // namespace tickora
