#include "appearance.h"
#include "buildinfo.h"
#include "commandline.h"
#include "console.h"
#include "form1.h"
#include "qtdialogservices.h"
#include "translation.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QString::fromLatin1(tickora::buildinfo::applicationName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(tickora::buildinfo::version));
    // The chip choice is kept in ~/.config/Tickora/Tickora.conf, not under "Unknown Organization".
    QCoreApplication::setOrganizationName(QString::fromLatin1(tickora::buildinfo::applicationName));
    // A sub-command needs no display, so no GUI application is made for it.
    if (tickora::cli::wanted(argc, argv)) {
        tickora::useParentConsole();
        const QCoreApplication app(argc, argv);
        return tickora::cli::run(QCoreApplication::arguments());
    }

    QApplication app(argc, argv);
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
