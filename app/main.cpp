#include "appearance.h"
#include "buildinfo.h"
#include "form1.h"
#include "qtdialogservices.h"
#include "translation.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(tickora::buildinfo::applicationName));
    QApplication::setApplicationVersion(QString::fromLatin1(tickora::buildinfo::version));
    // Lets the desktop match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(tickora::buildinfo::appId));
    tickora::installChineseQtTranslation(app);
    tickora::applyInterfaceFont(app);
    tickora::applyApplicationIcon(app);

    tickora::QtDialogServices dialogs;
    tickora::Form1 window(dialogs, tickora::NumberText(QLocale()));
    window.show();
    return QApplication::exec();
}
