#include "appearance.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace tickora {

namespace {
constexpr qreal interfacePointSize = 9.0;
}

void applyInterfaceFont(QApplication& app) {
    QFont font = QApplication::font();
    if (font.pointSizeF() > interfacePointSize || font.pointSizeF() <= 0) {
        font.setPointSizeF(interfacePointSize);
        app.setFont(font);
    }
}

void applyApplicationIcon(QApplication& app) {
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/tickora.svg")));
}

} // namespace tickora
