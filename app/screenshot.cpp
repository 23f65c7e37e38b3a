// Renders the main window, as a user sees it after choosing mode 1, to a PNG file; optionally
// a second picture after choosing mode 0 with the register tooltip open over the initial value,
// a third on an STC8 at 1T with the chip menu open, a fourth of the baud-rate window, a fifth
// of the plan window and a sixth of the delay window.
// Runs headless: scripts/screenshot.sh starts it on the offscreen platform.
#include "appearance.h"
#include "dialogservices.h"
#include "form1.h"
#include "translation.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QToolTip>

#include <cstdio>

namespace {

// The screenshot shows a successful pass; any message would be a fault worth hearing of.
class ReportingDialogs : public tickora::DialogServices {
public:
    void showMessage(const QString& text) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
    }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
};

void choose(tickora::Form1& window, const char* option) {
    window.findChild<QRadioButton*>(QString::fromLatin1(option))->click();
    QApplication::processEvents();
}

QWidget* openToolTip() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            return widget;
    return nullptr;
}

// The window with a popup (tooltip or menu) painted where it stands on the screen.
QImage windowWithPopup(tickora::Form1& window, QWidget* popup) {
    const QPixmap windowPicture = window.grab();
    if (popup == nullptr)
        return {};
    const QPoint popupOffset = popup->pos() - window.mapToGlobal(QPoint(0, 0));
    const QRect canvas =
        QRect(QPoint(0, 0), windowPicture.size()).united(QRect(popupOffset, popup->size()));
    QImage picture(canvas.size(), QImage::Format_ARGB32);
    picture.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter painter(&picture);
    painter.drawPixmap(-canvas.topLeft(), windowPicture);
    painter.drawPixmap(popupOffset - canvas.topLeft(), popup->grab());
    return picture;
}

QImage withRegisterToolTip(tickora::Form1& window) {
    choose(window, "Option1");
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("Text4"));
    QToolTip::showText(box->mapToGlobal(QPoint(box->width() / 2, box->height())), box->toolTip(),
                       box);
    QApplication::processEvents();
    return windowWithPopup(window, openToolTip());
}

QImage withChipMenu(tickora::Form1& window) {
    window.findChild<QAction*>(QStringLiteral("chip_stc8_1T"))->trigger();
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("1000"));
    window.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("11.0592"));
    choose(window, "Option2");
    auto* menu = window.findChild<QMenu*>(QStringLiteral("chipMenu"));
    window.menuBar()->setActiveAction(menu->menuAction());
    QApplication::processEvents();
    return windowWithPopup(window, menu);
}

// The baud-rate window as opened from the menu, the 9600 row chosen.
QPixmap baudWindow(tickora::Form1& window) {
    window.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("11.0592"));
    window.findChild<QAction*>(QStringLiteral("chip_classic_12T"))->trigger();
    window.findChild<QAction*>(QStringLiteral("VbMenuBaud"))->trigger();
    auto* baud = window.findChild<QDialog*>(QStringLiteral("BaudWindow"));
    baud->findChild<QTableWidget*>(QStringLiteral("rateTable"))->selectRow(3);
    QApplication::processEvents();
    return baud->grab();
}

// The plan window as opened from the menu: 1 s at 12 MHz on the classic 8051, the first plan
// chosen.
QPixmap planWindow(tickora::Form1& window) {
    window.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("12"));
    window.findChild<QAction*>(QStringLiteral("planMenuItem"))->trigger();
    auto* plan = window.findChild<QDialog*>(QStringLiteral("PlanWindow"));
    plan->findChild<QTableWidget*>(QStringLiteral("planTable"))->selectRow(0);
    QApplication::processEvents();
    return plan->grab();
}

// The delay window as opened from the menu: 10 ms at 12 MHz on the classic 8051, by argument.
QPixmap delayWindow(tickora::Form1& window) {
    window.findChild<QAction*>(QStringLiteral("chip_classic_12T"))->trigger();
    window.findChild<QAction*>(QStringLiteral("delayMenuItem"))->trigger();
    auto* delay = window.findChild<QDialog*>(QStringLiteral("DelayWindow"));
    delay->findChild<QComboBox*>(QStringLiteral("kindBox"))->setCurrentIndex(1);
    QApplication::processEvents();
    return delay->grab();
}

// The main window's working: 1000 µs at 11.0592 MHz, mode 1, on an STC89 at 12T, worked exactly.
QPixmap workingWindow(tickora::Form1& window) {
    window.findChild<QAction*>(QStringLiteral("chip_stc89_12T"))->trigger();
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("1000"));
    window.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("11.0592"));
    choose(window, "Option2");
    window.findChild<QAction*>(QStringLiteral("workingMenuItem"))->trigger();
    QApplication::processEvents();
    return window.findChild<QDialog*>(QStringLiteral("WorkingWindow"))->grab();
}

// The square-wave window: 38 kHz for an infrared LED on an STC8 at 24 MHz, 1T.
QPixmap waveWindow(tickora::Form1& window) {
    window.findChild<QDialog*>(QStringLiteral("DelayWindow"))->close(); // it held timer 0
    window.findChild<QAction*>(QStringLiteral("chip_stc8_1T"))->trigger();
    window.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("24"));
    window.findChild<QAction*>(QStringLiteral("waveMenuItem"))->trigger();
    auto* wave = window.findChild<QDialog*>(QStringLiteral("WaveWindow"));
    wave->findChild<QLineEdit*>(QStringLiteral("frequencyBox"))->setText(QStringLiteral("38"));
    QApplication::processEvents();
    return wave->grab();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The pictures' chip choices are not the user's, nor in the registry on Windows.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    QSettings().clear(); // each run from a first start: the last run's chip is not kept
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: %s OUTPUT.png [TOOLTIP.png [CHIPMENU.png [BAUD.png [PLAN.png [DELAY.png "
            "[WORKING.png [WAVE.png]]]]]]]\n",
            argv[0]);
        return 2;
    }
    tickora::installChineseQtTranslation(app);
    tickora::applyInterfaceFont(app);
    tickora::applyApplicationIcon(app);

    ReportingDialogs dialogs;
    tickora::Form1 window(dialogs, tickora::NumberText(QLocale(QLocale::Chinese, QLocale::China)));
    window.show();
    choose(window, "Option2");
    if (!window.grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc > 2 && !withRegisterToolTip(window).save(QString::fromLocal8Bit(argv[2])))
        return 1;
    if (argc > 3 && !withChipMenu(window).save(QString::fromLocal8Bit(argv[3])))
        return 1;
    if (argc > 4 && !baudWindow(window).save(QString::fromLocal8Bit(argv[4])))
        return 1;
    if (argc > 5 && !planWindow(window).save(QString::fromLocal8Bit(argv[5])))
        return 1;
    if (argc > 6 && !delayWindow(window).save(QString::fromLocal8Bit(argv[6])))
        return 1;
    if (argc > 7 && !workingWindow(window).save(QString::fromLocal8Bit(argv[7])))
        return 1;
    if (argc > 8 && !waveWindow(window).save(QString::fromLocal8Bit(argv[8])))
        return 1;
    return 0;
}
