// A group box drawn the classic way: the frame's top line runs through the middle of the title,
// so a control placed just below the title clears the line, as the fixed layout expects.
#pragma once

#include <QGroupBox>

namespace tickora {

class ClassicGroupBox : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

    // Where the title and the frame's top line are drawn, in the box's own coordinates.
    QRect titleRect() const;
    int frameTop() const { return fontMetrics().height() / 2; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tickora
