#include "workingwindow.h"

#include "focusring.h"
#include "layout.h"
#include "placement.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>

namespace tickora {

// A window of its own, as the tool windows are: it neither blocks nor stays above its owner.
WorkingWindow::WorkingWindow(QWidget* owner)
    : QDialog(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , workingText(layout::place(new QPlainTextEdit(this), "workingText", layout::working::text))
    , copyButton(layout::place(new FocusButton(QStringLiteral("复制(&C)"), this), "copyButton",
                               layout::working::copy))
    , closeButton(layout::place(new FocusButton(QStringLiteral("关闭(&X)"), this), "closeButton",
                                layout::working::close)) {
    setObjectName(QStringLiteral("WorkingWindow"));
    setWindowTitle(QStringLiteral("计算过程"));
    setFixedSize(layout::working::client);
    workingText->setReadOnly(true);
    workingText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    workingText->setAccessibleName(QStringLiteral("计算过程"));
    connect(copyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(workingText->toPlainText()); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void WorkingWindow::showText(const QString& text) {
    if (workingText->toPlainText() != text)
        workingText->setPlainText(text);
}

void WorkingWindow::open(const QString& text) {
    showText(text);
    if (!isVisible()) {
        const QWidget* owner = parentWidget();
        move(placeWindow(deskBeside(owner, this), framedSize(owner, this)));
    }
    show();
    raise();
    activateWindow();
}

} // namespace tickora
