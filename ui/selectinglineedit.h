// A text box that reports when it gets the focus, and whose first mouse click (the one that
// gives it the focus) does not move the caret, so a selection made on focus survives it. Its
// focus ring shows whatever colours it carries. A result box may shrink its font so that no
// digit of a long value scrolls out of sight.
#pragma once

#include <QLineEdit>

namespace tickora {

class SelectingLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    // The inherited font where the whole text shows in it, else one just small enough.
    void fitFontToText();

signals:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int textRoom() const;

    bool focusedByMouse_ = false;
};

} // namespace tickora
