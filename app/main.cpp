#include "appearance.h"
#include "form1.h"
#include "qtdialogservices.h"
#include "translation.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tickora"));
    tickora::installChineseQtTranslation(app);
    tickora::applyInterfaceFont(app);
    tickora::applyApplicationIcon(app);

    tickora::QtDialogServices dialogs;
    tickora::Form1 window(dialogs, tickora::NumberText(QLocale()));
    window.show();
    return QApplication::exec();
}
