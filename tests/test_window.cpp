// The program as a user meets it: the main window driven by mouse and keys, its menus, and the
// real modal dialogs and windows, inspected from inside their modal loops.
#include "classicgroupbox.h"
#include "fixture.h"
#include "qtdialogservices.h"

using namespace tickora;

namespace {

const QString badCrystal = QStringLiteral("晶体频率设置不当，请重新设置");
const QString outOfRange = QStringLiteral("超出定时范围，请重新输入定时时间或晶体频率");
const QString fault = QStringLiteral("你输入的值中含有字符，请修正，重新输入数字");

// Where a control shows itself: a label no further than its text is inked.
QRect shownRect(const QWidget* control) {
    auto* label = qobject_cast<const QLabel*>(control);
    QRect shown = control->geometry();
    if (label && !label->wordWrap())
        shown.setWidth(label->fontMetrics().boundingRect(label->text()).right());
    return shown;
}

// Whether taking the focus rings the widget's edge with a colour a keyboard user sees against
// the one behind: the pixels it changes there to a contrast of 3:1 or more would go round once.
bool focusRingShows(QWidget* widget, const QColor& behind) {
    widget->clearFocus();
    const QImage before = widget->grab().toImage();
    widget->setFocus();
    const QImage after = widget->grab().toImage();
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) +
               0.0722 * linear(c.blueF()) + 0.05;
    };
    int ringed = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            const double a = luminance(after.pixelColor(x, y)), b = luminance(behind);
            ringed += std::min({x, y, after.width() - 1 - x, after.height() - 1 - y}) < 2 &&
                      before.pixel(x, y) != after.pixel(x, y) &&
                      std::max(a, b) >= 3 * std::min(a, b);
        }
    return ringed >= 2 * (after.width() + after.height());
}

// Every control lies inside its container, covers no other, and shows its whole text.
void checkControlsFit(const QWidget* container) {
    const auto controls = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* control : controls) {
        const QByteArray name = control->objectName().toLatin1();
        QVERIFY2(container->rect().contains(control->geometry()), name);
        for (const QWidget* other : controls)
            QVERIFY2(other == control || !shownRect(other).intersects(shownRect(control)), name);
        auto* label = qobject_cast<const QLabel*>(control);
        auto* frame = qobject_cast<const ClassicGroupBox*>(control);
        QVERIFY2(label && label->wordWrap()
                     ? label->heightForWidth(label->width()) <= label->height()
                 : frame ? frame->rect().contains(frame->titleRect())
                         : control->minimumSizeHint().width() <= control->width(),
                 name);
        if (frame)
            checkControlsFit(frame);
    }
}

// A dialog's caption, text and buttons as the user reads them; a word-wrapped text only up to
// where its first line breaks.
QString shownDialog(const QWidget* dialog, const QLabel* text) {
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(text->font());
    document.setPlainText(text->text());
    document.setTextWidth(text->wordWrap() ? text->contentsRect().width() : 1e6);
    document.documentLayout()->documentSize();
    const QTextLine firstLine = document.begin().layout()->lineAt(0);
    QStringList shown{dialog->windowTitle(), text->text().left(firstLine.textLength()).trimmed()};
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        shown << button->text();
    return shown.join('|');
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
    test::MainWindow fx;

private slots:
    void initTestCase() { test::prepareApplication(); }
    void init() { fx.open(); }
    void cleanup() { fx.window.reset(); }

    void startsEmptyThenEachModeCalculates() {
        QCOMPARE(fx.box("Text1")->text() + ' ' + fx.box("Text2")->text(), QStringLiteral("100 12"));
        for (const QRadioButton* option : fx.window->findChildren<QRadioButton*>())
            QVERIFY(!option->isChecked());
        fx.click("Command1");
        QCOMPARE(fx.dialogs.messages.join(' ') + fx.results(), outOfRange + "   ");

        // Each mode, with the register bytes behind the initial value in its tooltip.
        fx.click("Option2");
        QCOMPARE(fx.results() + fx.box("Text4")->toolTip(),
                 "65536 FF9C 1.000 0.000TH0/TH1 = 0xFF，TL0/TL1 = 0x9C\n方式 1：16 位，12T");
        fx.click("Option1");
        QCOMPARE(
            fx.results() + fx.box("Text4")->toolTip(),
            "8192 1F9C 1.000 0.000TH0/TH1 = 0xFC，TL0/TL1 = 0x1C\n方式 0：TL 只用低 5 位，12T");
        fx.click("Option3");
        const QString shown = fx.results() + fx.box("Text4")->toolTip();
        QCOMPARE(shown,
                 "256 9C 1.000 0.000TH0/TH1 = 0x9C，TL0/TL1 = 0x9C\n方式 2,3：TH 为重装值，12T");

        // A failing pass keeps what is shown, and the mode it ran for stays chosen.
        fx.box("Text1")->setText(QStringLiteral("50"));
        fx.box("Text2")->setText(QStringLiteral("12MHz"));
        fx.click("Option2");
        QCOMPARE(fx.dialogs.messages.last() + fx.results() + fx.box("Text4")->toolTip(),
                 fault + shown);
        QVERIFY(fx.child<QRadioButton>("Option2")->isChecked());
        QCOMPARE(fx.window->state().timeUs, 50.f); // stored before the crystal failed
        fx.box("Text2")->setText(QStringLiteral("12"));
        fx.click("Option2"); // the chosen mode calculates again
        QCOMPARE(fx.results() + ' ' + QString::number(fx.dialogs.messages.size()),
                 QStringLiteral("65536 FFCE 1.000 0.000 2"));
    }

    void controlsFitAndLookAsDesigned() {
        checkControlsFit(fx.window->centralWidget());
        // The mode group's top line clears every button's indicator.
        auto* frame = fx.child<ClassicGroupBox>("Frame1");
        for (const QRadioButton* option : frame->findChildren<QRadioButton*>()) {
            QStyleOptionButton button;
            button.initFrom(option);
            const QRect indicator =
                option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &button, option);
            QVERIFY(indicator.translated(option->pos()).top() > frame->frameTop());
        }
        // Focus shows on the result boxes' own colours and on the calculate button.
        fx.click("Option2");
        QVERIFY(focusRingShows(fx.box("Text4"), QColor(0x0000FF)));
        QVERIFY(
            focusRingShows(fx.child("Command1"), fx.child("Command1")->palette().button().color()));
        QCOMPARE(fx.window->windowTitle(), QStringLiteral("Quillet 工具(Tickora) --Tickora Team"));
        QCOMPARE(fx.window->windowFlags() &
                     (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
                 Qt::WindowMinimizeButtonHint);
        QVERIFY(fx.child<QPushButton>("Command1")->isDefault());
        // Each result box's text and background colours, whether the window is active or not.
        for (const QString colours : {"Text3 #ff00ff #ffffff", "Text4 #ffffff #0000ff",
                                      "Text5 #ff00ff #ffffff", "Text6 #ff0000 #ffffff"})
            for (const auto group : {QPalette::Active, QPalette::Inactive}) {
                const QPalette palette = fx.box(colours.section(' ', 0, 0))->palette();
                QCOMPARE(palette.color(group, QPalette::Text).name() + ' ' +
                             palette.color(group, QPalette::Base).name(),
                         colours.section(' ', 1));
            }
        // Each box is named by its label, for screen readers too.
        for (const QString pair : {"Label1 Text3", "Label2 Text1", "Label3 Text2", "Label4 Text4",
                                   "Label5 Text5", "Label6 Text6"})
            QCOMPARE(QAccessible::queryAccessibleInterface(fx.box(pair.section(' ', 1)))
                         ->text(QAccessible::Name),
                     fx.child<QLabel>(pair.section(' ', 0, 0))->text());
    }

    void timerClockRecalculatesAndShowsItself() {
        QVERIFY(fx.child<QAction>("VbMenuClock12T")->isChecked());
        fx.child<QAction>("VbMenuClock1T")->trigger(); // no mode yet: only recorded
        QCOMPARE(fx.dialogs.messages.join(' ') + fx.results(), QStringLiteral("   "));
        QCOMPARE(fx.child<QGroupBox>("Frame1")->title(), QStringLiteral("定时器方式 (1T)"));
        checkControlsFit(fx.window->centralWidget());
        fx.box("Text1")->setText(QStringLiteral("1000"));
        fx.box("Text2")->setText(QStringLiteral("11.0592"));
        fx.click("Option2");
        QCOMPARE(fx.results() + fx.box("Text4")->toolTip() + fx.box("Text6")->toolTip(),
                 "5926 D4CD 0.090 0.018TH0/TH1 = 0xD4，TL0/TL1 = 0xCD\n方式 1：16 位，1T"
                 "实际定时 999.982 uS，误差 -0.002%");
        fx.child<QAction>("VbMenuClock12T")->trigger();
        QCOMPARE(fx.results() + fx.child<QGroupBox>("Frame1")->title() + fx.box("Text6")->toolTip(),
                 "71111 FC66 1.085 -0.434定时器方式实际定时 1000.434 uS，误差 +0.043%");
        QVERIFY(!fx.child<QAction>("VbMenuClock1T")->isChecked());
    }

    void baudWindowWorksBesideTheMainWindow() {
        fx.box("Text2")->setText(QStringLiteral("11.0592"));
        fx.child<QAction>("VbMenuClock6T")->trigger();
        fx.child<QAction>("VbMenuBaud")->trigger();
        QPointer<QDialog> baud = fx.child<QDialog>("Form4");
        QVERIFY(baud->isVisible() && QApplication::activeModalWidget() == nullptr);
        checkControlsFit(baud);
        auto* grid = baud->findChild<QTableWidget*>();
        const auto row = [grid](int row) {
            QStringList cells;
            for (int column = 0; column < grid->columnCount(); ++column)
                cells << grid->item(row, column)->text();
            return cells.join('|');
        };
        const auto choose = [&baud](const char* combo, int index) {
            baud->findChild<QComboBox*>(combo)->setCurrentIndex(index);
        };
        QCOMPARE(row(5), QStringLiteral("19200|FD|19200.0|0.00%|")); // 11.0592 MHz, 6T taken over
        choose("Combo1", 0);
        QCOMPARE(row(5) + row(8),
                 "19200|FE|14400.0|-25.00%|误差过大115200|无法实现|—|—|超出重装范围");
        QVERIFY(grid->item(5, 0)->background() != grid->item(3, 0)->background());
        choose("Combo2", 2);
        choose("Combo1", 2);
        QCOMPARE(row(3) + baud->findChild<QLabel*>("Label5")->text(),
                 "9600|—|—|—|不提供1T 芯片的定时器 2 各不相同，不提供");
        baud->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("abc"));
        QCOMPARE(row(0), QStringLiteral("1200|—|—|—|晶体频率无效"));
        baud->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("11.0592"));
        baud->findChild<QLineEdit*>("Text2")->setText(QStringLiteral("x"));
        choose("Combo1", 0);
        choose("Combo2", 0);
        QCOMPARE(row(9), QStringLiteral("自定义|—|—|—|波特率无效"));
        grid->selectRow(9);
        QVERIFY(!baud->findChild<QPushButton*>("Command1")->isEnabled());
        grid->selectRow(3);
        QTest::keyClick(grid, Qt::Key_Return); // copies the chosen row's code
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(
            "/* UART mode 1, 9600 baud at 11.0592 MHz, 12T: actual 9600.0 baud, error +0.00%."));
        fx.click("Option2"); // the main window still calculates
        QCOMPARE(fx.results(), QStringLiteral("35556 FF48 0.543 0.174"));
        QTest::keyClick(baud, Qt::Key_Escape);
        QTRY_VERIFY(baud.isNull());
    }

    void keyboardReachesEveryControl() {
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Option1"));
        QTest::keyClick(fx.window.get(), Qt::Key_1, Qt::AltModifier);
        QTRY_COMPARE(fx.results(), QStringLiteral("65536 FF9C 1.000 0.000"));
        QStringList walked{QApplication::focusWidget()->objectName()};
        for (int stop = 1; stop <= 10; ++stop) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked.join(' '), QStringLiteral("Option2 Option3 Text1 Text2 Text3 Text4 "
                                                  "Command1 Text5 Text6 Option1 Option2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), fx.box("Text6"));
        QTest::keyClicks(fx.box("Text6"), QStringLiteral("12")); // results take no typing
        QCOMPARE(fx.box("Text6")->text(), QStringLiteral("0.000"));

        QSignalSpy calculated(fx.child<QPushButton>("Command1"), &QPushButton::clicked);
        QTest::keyClick(fx.box("Text1"), Qt::Key_Return);
        QTest::keyClick(fx.box("Text2"), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(fx.window.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(calculated.size(), 3);

        // Clicking into a box selects its text too.
        for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"}) {
            QTest::mouseClick(fx.box(name), Qt::LeftButton, {}, QPoint(5, 5));
            QVERIFY(fx.box(name)->hasFocus());
            QCOMPARE(fx.box(name)->selectedText(), fx.box(name)->text());
        }
        // A click once the box has the focus places the caret as usual.
        QTest::mouseClick(fx.box("Text6"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!fx.box("Text6")->hasSelectedText());
    }

    void menusAskThenCalculateOrCopy() {
        fx.click("Option2");
        fx.box("Text1")->setText(QStringLiteral("50000"));
        fx.dialogs.answers = QStringList{"0", "11.0592", "", " 12x"};
        fx.child<QAction>("VbMenuFrequency")->trigger();
        fx.child<QAction>("VbMenuFrequency")->trigger();
        fx.child<QAction>("VbMenuTime")->trigger(); // cancelled: nothing changes
        QCOMPARE(fx.box("Text1")->text() + ' ' + fx.results(),
                 QStringLiteral("50000 71111 4C00 1.085 0.001"));
        fx.child<QAction>("VbMenuTime")->trigger(); // written as typed
        QCOMPARE(fx.box("Text1")->text() + fx.dialogs.messages.join('|'),
                 " 12x" + badCrystal + '|' + fault);
        const QString askCrystal = "请输入晶振频率(MHZ)|输入频率值|12";
        const QString askInterval = "请输入您需要的定时时间(uS)|输入定时时间|100";
        QCOMPARE(fx.dialogs.questions,
                 (QStringList{askCrystal, askCrystal, askInterval, askInterval}));

        // The initial value's context menu keeps the box's own entries and copies C for it.
        QList<QAction*> entries;
        QTimer::singleShot(0, [&entries] {
            entries = QApplication::activePopupWidget()->actions();
            QApplication::activePopupWidget()->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(fx.box("Text4"), &event);
        QVERIFY(entries.size() > 3);
        entries.last()->trigger();
        const QString code = QGuiApplication::clipboard()->text();
        QVERIFY(code.startsWith("/* Timer 1, mode 1 (16-bit), 12T: 50000 us at 11.0592 MHz"));
        QVERIFY(code.contains("TH1 = 0x4C;\n    TL1 = 0x00;\n"));
    }

    void realMessageAndInputDialogs() {
        QtDialogServices real;
        test::whenModalShown([](QWidget* modal) {
            QCOMPARE(shownDialog(modal, modal->findChild<QLabel*>("qt_msgbox_label")),
                     "Tickora|" + fault + "|确定");
            QCOMPARE(qobject_cast<QMessageBox*>(modal)->icon(), QMessageBox::NoIcon);
        });
        real.showMessage(fault);
        QVERIFY(!test::awaitingModal);

        for (const auto key : {Qt::Key_Return, Qt::Key_Escape}) {
            test::whenModalShown([key](QWidget* modal) {
                auto* line = modal->findChild<QLineEdit*>();
                QCOMPARE(shownDialog(modal, modal->findChild<QLabel*>()) + '|' + line->text(),
                         QStringLiteral("输入频率值|请输入晶振频率(MHZ)|确定|取消|12"));
                QTest::keyClicks(line, QStringLiteral(".5")); // typed over the default
                QTest::keyClick(line, key);
            });
            QCOMPARE(real.askText(QStringLiteral("请输入晶振频率(MHZ)"),
                                  QStringLiteral("输入频率值"), QStringLiteral("12")),
                     key == Qt::Key_Return ? QStringLiteral(".5") : QString());
            QVERIFY(!test::awaitingModal);
        }
    }

    void infoWindowsShowTheirTextAndCloseOnEnterOrEscape() {
        // The menu item, then the window's name, caption, first shown line and button.
        for (const QString expected :
             {"VbMenuHelp|Form3|说明|这个估计大部分51爱好者都会用吧：|确定(&E)",
              "VbMenuAbort|form2|Tickora|Quillet：Tickora测试版  REV2.0|确定(&E)"})
            for (const auto closeKey : {Qt::Key_Return, Qt::Key_Escape}) {
                QPointer<QWidget> window;
                test::whenModalShown([&](QWidget* modal) {
                    window = modal;
                    auto* text = modal->findChild<QLabel*>(QStringLiteral("Label1"));
                    QCOMPARE(modal->objectName() + '|' + shownDialog(modal, text),
                             expected.section('|', 1));
                    QVERIFY(text->alignment().testFlag(Qt::AlignTop));
                    checkControlsFit(modal);
                    QTest::keyClick(modal, closeKey);
                });
                fx.child<QAction>(expected.section('|', 0, 0))->trigger();
                QVERIFY(!test::awaitingModal);
                QTRY_VERIFY(window.isNull()); // destroyed on close, made anew next time
            }
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
