#include "qtdialogservices.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tickora {

void QtDialogServices::showMessage(const QString& text) {
    // The active window is the parent, so the box centres on it and blocks it.
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(applicationTitle), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

QString QtDialogServices::askText(const QString& prompt, const QString& caption,
                                  const QString& defaultText) {
    bool accepted = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                                 QLineEdit::Normal, defaultText, &accepted);
    return accepted ? answer : QString();
}

} // namespace tickora
