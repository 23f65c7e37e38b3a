// A text box that reports when it gets the focus, and whose first mouse click (the one that
// gives it the focus) does not move the caret, so a selection made on focus survives it. Its
// focus ring shows whatever colours it carries.
#pragma once

#include <QLineEdit>

namespace tickora {

class SelectingLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool focusedByMouse_ = false;
};

} // namespace tickora
