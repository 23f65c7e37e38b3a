// A focus ring that shows on any background: the result boxes carry their own colours (white on
// blue for the initial value), on which the style's blue focus frame vanishes.
#pragma once

#include <QPushButton>

namespace tickora {

// Two pixels inside the widget's edge, in a colour far from the one behind them.
void paintFocusRing(QWidget& widget, const QColor& behind);

// A push button that draws the focus ring over the style's faint one.
class FocusButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tickora
