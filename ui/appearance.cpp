#include "appearance.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>

#include <algorithm>

namespace tickora {

namespace {
constexpr qreal interfacePointSize = 9.0;
#ifdef Q_OS_WIN
// Latin from Tahoma, Chinese from SimSun (宋体): the faces of classic Chinese Windows dialogs,
// near the Ming face the fixed layout is measured in.
const QStringList interfaceFamilies{QStringLiteral("Tahoma"), QStringLiteral("SimSun")};
#else
// Latin from DejaVu Sans, Chinese from a Ming face like the classic 9 pt Song of Chinese
// desktops: its short line height lets the Help and About texts fit their fixed labels,
// which a taller CJK face overflows.
const QStringList interfaceFamilies{QStringLiteral("DejaVu Sans"),
                                    QStringLiteral("AR PL UMing CN")};
#endif
} // namespace

void applyInterfaceFont(QApplication& app) {
    QFont font = QApplication::font();
    if (std::all_of(interfaceFamilies.begin(), interfaceFamilies.end(), &QFontDatabase::hasFamily))
        font.setFamilies(interfaceFamilies);
    if (font.pointSizeF() > interfacePointSize || font.pointSizeF() <= 0)
        font.setPointSizeF(interfacePointSize);
    app.setFont(font);
}

void applyApplicationIcon(QApplication& app) {
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/tickora.svg")));
}

} // namespace tickora
