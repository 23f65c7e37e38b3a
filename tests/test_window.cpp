// The program as a user meets it: the main window driven by mouse and keys, its menus, the
// baud-rate window, and the real modal dialogs and windows, inspected from inside their modal
// loops. One fixture serves them all: headless unless a platform was chosen, the program's font
// and translation, and the main window over recorded dialogs, so that no modal dialog opens
// unless a test asks for a real one. A control a test names and the window lacks is a null
// pointer: the test crashes, and so fails.
#include "appearance.h"
#include "baudrate.h"
#include "chipchoice.h"
#include "classicgroupbox.h"
#include "delay.h"
#include "form1.h"
#include "placement.h"
#include "plan.h"
#include "qtdialogservices.h"
#include "qtext.h"
#include "registers.h"
#include "timerefusals.h"
#include "translation.h"
#include "wave.h"

#include <QPlainTextEdit>
#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace tickora;

namespace {

// Records what the calculator would have shown or asked, instead of opening a modal dialog.
struct FakeDialogs : DialogServices {
    void showMessage(const QString& text) override { messages.append(text); }
    QString askText(const QString& prompt, const QString& caption, const QString& def) override {
        questions.append(prompt + '|' + caption + '|' + def);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList messages, questions;
    QStringList answers; // given in turn; a cancel once used up
};

// Headless unless a platform was chosen: set before QTEST_MAIN creates the application.
const bool headless =
    qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qputenv("QT_QPA_PLATFORM", "offscreen");

bool awaitingModal = false;

// Display scaling set for a Windows run under Wine, where two things differ from Windows itself.
bool scaledUnderWine() { return qEnvironmentVariableIntValue("TICKORA_WINE_DPI") > 96; }

// Runs inspect inside the modal loop the next call opens; a failed check leaves it to close.
void whenModalShown(std::function<void(QWidget*)> inspect) {
    awaitingModal = true;
    QTimer::singleShot(0, [inspect] {
        awaitingModal = false;
        QWidget* modal = QApplication::activeModalWidget();
        inspect(modal);
        if (QApplication::activeModalWidget() == modal)
            modal->close();
    });
}

struct MainWindow {
    FakeDialogs dialogs;
    std::unique_ptr<Form1> window;

    void open() {
        dialogs = {};
        window = std::make_unique<Form1>(dialogs, NumberText(QLocale(QLocale::English)));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    template <typename T = QWidget> T* child(const QString& name) const {
        return window->findChild<T*>(name);
    }
    QLineEdit* box(const QString& name) const { return child<QLineEdit>(name); }
    void type(const QString& us, const QString& mhz) const {
        box("Text1")->setText(us), box("Text2")->setText(mhz);
    }
    void click(const QString& name) const { QTest::mouseClick(child(name), Qt::LeftButton); }
    QString copyNote() const { // whether it shows, then what it says
        return QString::number(child("copyNote")->isVisible()) + child<QLabel>("copyNote")->text();
    }
    QString results() const {
        return QStringList{box("Text3")->text(), box("Text4")->text(), box("Text5")->text(),
                           box("Text6")->text()}
            .join(' ');
    }
};

const QString badCrystal = "晶体频率设置不当，请重新设置";
const QString outOfRange = "超出定时范围，请重新输入定时时间或晶体频率";
const QString fault = "你输入的值中含有字符，请修正，重新输入数字";

// Where a control shows itself: a label no further than its text is inked.
QRect shownRect(const QWidget* control) {
    auto* label = qobject_cast<const QLabel*>(control);
    QRect shown = control->geometry();
    if (label && !label->wordWrap())
        shown.setWidth(label->fontMetrics().boundingRect(label->text()).right());
    return shown;
}

// Whether taking the focus rings the widget with a colour a keyboard user sees against the one
// behind: at the middle of each edge the focus changes the colour, to a contrast of 3:1 at least.
bool focusRingShows(QWidget* widget, QPalette::ColorRole behindRole) {
    const QColor behind = widget->palette().color(behindRole);
    widget->clearFocus();
    const QImage before = widget->grab().toImage();
    widget->setFocus();
    const QImage after = widget->grab().toImage();
    const auto luminance = [](const QColor& c) { // relative, with a contrast ratio's 0.05
        return 0.2126 * std::pow(c.redF(), 2.2) + 0.7152 * std::pow(c.greenF(), 2.2) +
               0.0722 * std::pow(c.blueF(), 2.2) + 0.05;
    };
    const int w = after.width() - 1, h = after.height() - 1;
    for (const QPoint edge :
         {QPoint(0, h / 2), QPoint(w, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h)}) {
        const double ratio = luminance(after.pixelColor(edge)) / luminance(behind);
        if (before.pixel(edge) == after.pixel(edge) || (ratio < 3 && ratio > 1.0 / 3))
            return false;
    }
    return true;
}

// A table's row as the user reads it, cell by cell.
QString rowText(const QTableWidget* table, int row) {
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column)
        cells << table->item(row, column)->text();
    return cells.join('|');
}

// Whether a control shows its whole text: every entry of a combo box, every cell of a table,
// every digit of a result box (2 pixels of margin each side, a pixel of caret).
bool textFits(QWidget* control) {
    if (auto* box = qobject_cast<QLineEdit*>(control); box && box->isReadOnly()) {
        QStyleOptionFrame panel;
        panel.initFrom(box);
        panel.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, box);
        const QRect inner = box->style()->subElementRect(QStyle::SE_LineEditContents, &panel, box);
        return box->fontMetrics().horizontalAdvance(box->text()) + 1 <= inner.width() - 4;
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents); // measured on every entry
        return combo->sizeHint().width() <= combo->width();
    }
    auto* table = qobject_cast<QTableWidget*>(control);
    // A cell's text is elided beyond the style's margin each side of it.
    const int margin =
        table ? 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) : 0;
    for (int cell = 0; table && cell < table->rowCount() * table->columnCount(); ++cell) {
        const QTableWidgetItem* item =
            table->item(cell / table->columnCount(), cell % table->columnCount());
        if (item && table->fontMetrics().horizontalAdvance(item->text()) + margin >
                        table->columnWidth(item->column()))
            return false;
    }
    return control->minimumSizeHint().width() <= control->width();
}

// Every control lies inside its container, covers no other, and shows its whole text.
void checkControlsFit(QWidget* container) {
    auto controls = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    controls.removeIf([](const QWidget* control) { return control->isWindow(); });
    for (QWidget* control : controls) {
        const QByteArray name = control->objectName().toLatin1();
        QVERIFY2(container->rect().contains(control->geometry()), name);
        for (const QWidget* other : controls)
            QVERIFY2(other == control || !shownRect(other).intersects(shownRect(control)),
                     name + other->metaObject()->className());
        auto* label = qobject_cast<const QLabel*>(control);
        auto* frame = qobject_cast<const ClassicGroupBox*>(control);
        QVERIFY2(label && label->wordWrap()
                     ? label->heightForWidth(label->width()) <= label->height()
                 : frame ? frame->rect().contains(frame->titleRect())
                         : textFits(control),
                 name);
        if (frame || control->metaObject() == &QWidget::staticMetaObject)
            checkControlsFit(control);
    }
}

// No two of a window's menus, labels and buttons answer to the same Alt key.
void checkAccessKeys(QWidget* window) {
    QList<QKeySequence> keys;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (control->window() != window) // a tool window or a menu has its own keys
            continue;
        // A label's or button's text; a menu bar's menus.
        QStringList texts{control->property("text").toString()};
        for (const QAction* menu : control->actions())
            texts << menu->text();
        for (const QString& text : texts) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            QVERIFY2(key.isEmpty() || !keys.contains(key), qPrintable(text));
            keys << key;
        }
    }
}

// A window added beside the specified ones speaks one way: the crystal is 晶体频率 throughout, and
// it does not address the user as 你 or 您.
void checkWords(QWidget* window) {
    QStringList texts;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        texts << control->property("text").toString() << control->toolTip();
        if (auto* table = qobject_cast<const QTableWidget*>(control))
            for (int cell = 0; cell < table->columnCount() * table->rowCount(); ++cell)
                if (auto* item =
                        table->item(cell / table->columnCount(), cell % table->columnCount()))
                    texts << item->text();
    }
    QVERIFY2(!texts.join('|').contains(QRegularExpression("[你您]|晶(?!体频率)")),
             qPrintable(texts.join('|')));
}

// A dialog's caption, text and buttons as the user reads them: the text line by line, each
// followed by '~' when the word wrap broke it, wherever the font's widths put the break.
QString shownDialog(const QWidget* dialog, const QLabel* text) {
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(text->font());
    document.setPlainText(text->text());
    document.setTextWidth(text->wordWrap() ? text->contentsRect().width() : 1e6);
    document.documentLayout()->documentSize();
    QStringList shown{dialog->windowTitle()};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        shown << block.text().trimmed() + (block.layout()->lineCount() > 1 ? "~" : "");
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        shown << button->text();
    return shown.join('|');
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
    MainWindow fx;

private slots:
    void initTestCase() { // the program's translation and font, as main sets them up
        // Test settings, not the user's, and this run's own: the scaled run goes on beside it.
        // The registry has no test mode: on Windows too they go to a file of the test mode's.
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        QCoreApplication::setApplicationName(
            QStringLiteral("test_window_%1").arg(QCoreApplication::applicationPid()));
        installChineseQtTranslation(*qApp);
        applyInterfaceFont(*qApp);
        QPalette palette = qApp->palette(); // a choice that fades out of focus, as on Windows
        palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::lightGray);
        qApp->setPalette(palette);
    }
    void cleanupTestCase() { QFile::remove(QSettings().fileName()); }
    void cleanup() { // whatever a test left open shows all its texts, at any scale it runs at
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && !window->inherits("QMenu") &&
                !window->inherits("QTipLabel")) {
                checkControlsFit(window);
                checkAccessKeys(window);
                QCOMPARE(window->minimumSize(),
                         window->maximumSize()); // a fixed layout, a fixed size
            }
    }
    void init() {
        QSettings().clear(); // every test starts as a first start
        fx.open();
    }

    void startsEmptyThenEachModeCalculates() {
        QCOMPARE(fx.box("Text1")->text() + ' ' + fx.box("Text2")->text(), "100 12");
        for (const QRadioButton* option : fx.window->findChildren<QRadioButton*>())
            QVERIFY(!option->isChecked());
        fx.click("Command1");
        QCOMPARE(fx.dialogs.messages.join(' ') + fx.results(), outOfRange + "   ");

        fx.click("Option2");
        QCOMPARE(fx.results() + fx.box("Text4")->toolTip(),
                 "65536 FF9C 1.000 0.000TH0/TH1 = 0xFF，TL0/TL1 = 0x9C\n方式 1：16 位，12T");
        fx.click("Option1");
        QCOMPARE(fx.results(), "8192 1F9C 1.000 0.000");
        fx.click("Option3");
        const QString shown = fx.results() + fx.box("Text4")->toolTip();
        QCOMPARE(shown, "256 9C 1.000 0.000TH0/TH1 = 0x9C，TL0/TL1 = 0x9C\n方式 2：TH "
                        "为重装值；方式 3：TL0、TH0 为两个 8 位定时器，12T");

        // A failing pass keeps what is shown, and the mode it ran for stays chosen.
        fx.type("50", "12MHz");
        fx.click("Option2");
        QCOMPARE(fx.dialogs.messages.last() + fx.results() + fx.box("Text4")->toolTip(),
                 fault + shown);
        QVERIFY(fx.child<QRadioButton>("Option2")->isChecked());
        QCOMPARE(fx.window->state().timeUs, 50.f); // stored before the crystal failed
    }

    void controlsFitAndLookAsDesigned() {
        // The mode group's top line clears every button's indicator.
        auto* frame = fx.child<ClassicGroupBox>("Frame1");
        for (const QRadioButton* option : frame->findChildren<QRadioButton*>()) {
            QStyleOptionButton button;
            button.initFrom(option);
            const QStyle::SubElement indicator = QStyle::SE_RadioButtonIndicator;
            QVERIFY(option->style()->subElementRect(indicator, &button, option).top() +
                        option->y() >
                    frame->frameTop());
        }
        // Focus shows on the result boxes' own colours and on the calculate button.
        fx.click("Option2");
        QVERIFY(focusRingShows(fx.box("Text4"), QPalette::Base));
        QVERIFY(focusRingShows(fx.child("Command1"), QPalette::Button));
        QCOMPARE(fx.window->windowTitle(), "Quillet 工具(Tickora) --Tickora Team");
        const auto buttons = fx.window->windowFlags() & ~Qt::WindowCloseButtonHint;
        QVERIFY(buttons.testFlag(Qt::WindowMinimizeButtonHint) &&
                !buttons.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(fx.child<QPushButton>("Command1")->isDefault());
        // Each result box's text and background colours, whether the window is active or not.
        for (const QString colours : {"Text3 #ff00ff #ffffff", "Text4 #ffffff #0000ff",
                                      "Text5 #ff00ff #ffffff", "Text6 #ff0000 #ffffff"})
            for (const auto group : {QPalette::Active, QPalette::Inactive}) {
                const QPalette p = fx.box(colours.left(5))->palette();
                QCOMPARE(p.color(group, p.Text).name() + ' ' + p.color(group, p.Base).name(),
                         colours.mid(6));
            }
        // Each control where the design puts it, in twips (15 to a pixel), and each specified
        // menu with its access key.
        for (const QString place :
             {"Frame1 240 120 1695 1335", "Option1 240 240 1335 255", "Option2 240 600 1335 255",
              "Option3 240 960 1335 255", "Label1 120 1800 1455 255", "Label2 2400 360 1815 255",
              "Text1 4200 240 975 375", "Label3 2400 1080 1695 255", "Text2 4200 960 975 375",
              "Text3 1560 1680 975 375", "Label4 120 2520 1455 255", "Text4 1560 2400 975 375",
              "Command1 1800 3000 1575 375", "Label5 2760 1800 1455 255", "Text5 4200 1680 975 375",
              "Label6 2760 2520 1575 255", "Text6 4200 2400 975 375"}) {
            const QStringList f = place.split(' ');
            QCOMPARE(fx.child(f[0])->geometry(), QRect(f[1].toInt() / 15, f[2].toInt() / 15,
                                                       f[3].toInt() / 15, f[4].toInt() / 15));
        }
        for (const QString menu :
             {"VbMenuInput 输入(&I)", "VbMenuFrequency 晶体频率(&F)", "VbMenuTime 定时时间(&T)",
              "VbMenuInfo 说明(&E)", "VbMenuHelp 帮助(&H)", "VbMenuAbort 关于(&A)"}) {
            const QObject* item = fx.window->findChild<QObject*>(menu.section(' ', 0, 0));
            QCOMPARE(item->property(item->inherits("QMenu") ? "title" : "text").toString(),
                     menu.section(' ', 1));
        }
        // Each box is named by its label, for screen readers too.
        for (const QString pair : {"Label1 Text3", "Label2 Text1", "Label3 Text2", "Label4 Text4",
                                   "Label5 Text5", "Label6 Text6"})
            QCOMPARE(QAccessible::queryAccessibleInterface(fx.box(pair.section(' ', 1)))
                         ->text(QAccessible::Name),
                     fx.child<QLabel>(pair.section(' ', 0, 0))->text());
    }

    void chipChoiceRecalculatesShowsItselfAndIsRemembered() {
        const auto shown = [this] { // the ticked item, the mode group's title, the family
            QString ticked;
            for (const QAction* item : fx.child<QMenu>("chipMenu")->actions())
                ticked += item->isChecked() ? item->objectName() : QString();
            return ticked + ' ' + fx.child<QGroupBox>("Frame1")->title() + ' ' +
                   fx.child<QLabel>("chipLabel")->text();
        };
        QCOMPARE(shown(), "chip_classic_12T 定时器方式 ");
        QList<QKeySequence> keys; // each item its own access key
        for (const QAction* item : fx.child<QMenu>("chipMenu")->actions()) {
            QVERIFY(item->isSeparator() || !keys.contains(QKeySequence::mnemonic(item->text())));
            keys << QKeySequence::mnemonic(item->text());
        }
        QVERIFY(QSettings().fileName().contains("qttest")); // never the user's own settings
        fx.child<QAction>("chip_stc8_1T")->trigger();       // no mode yet: only recorded
        QCOMPARE(shown() + fx.dialogs.messages.join(' ') + fx.results(),
                 "chip_stc8_1T 定时器方式 (1T) STC8 系列   ");
        checkControlsFit(fx.window->centralWidget());
        fx.type("1000", "11.0592");
        fx.click("Option1"); // 16-bit auto-reload on this family
        QCOMPARE(
            fx.results() + fx.box("Text4")->toolTip() + fx.child("Option1")->toolTip(),
            "5925.925 D4CD 0.090 0.018TH0/TH1 = 0xD4，TL0/TL1 = 0xCD\n方式 0：16 位自动重装，1T"
            "方式 0：16 位自动重装");

        fx.open(); // the next start
        QCOMPARE(shown(), "chip_stc8_1T 定时器方式 (1T) STC8 系列");
        fx.type("1000", "11.0592");
        fx.click("Option2");
        QCOMPARE(fx.results() + fx.box("Text6")->toolTip(),
                 "5925.925 D4CD 0.090 0.018实际定时 999.982 uS，误差（要求 − 实际）+0.002%");
        fx.child<QAction>("chip_classic_12T")->trigger();
        QCOMPARE(shown() + fx.results() + fx.box("Text6")->toolTip(),
                 "chip_classic_12T 定时器方式 71111 FC66 1.085 -0.434实际定时 1000.434 uS，误差"
                 "（要求 − 实际）-0.043%");
    }

    void baudWindowWorksBesideTheMainWindow() {
        fx.box("Text2")->setText("11.0592");
        fx.child<QAction>("chip_stc89_6T")->trigger();
        fx.child<QAction>("VbMenuBaud")->trigger();
        fx.child<QAction>("VbMenuBaud")->trigger(); // raises the open one
        QPointer<QDialog> baud = fx.child<QDialog>("BaudWindow");
        QCOMPARE(fx.window->findChildren<QDialog*>("BaudWindow").size(), 1);
        QVERIFY(baud->isVisible() && QApplication::activeModalWidget() == nullptr);
        auto* grid = baud->findChild<QTableWidget*>();
        const auto row = [grid](int r) { return rowText(grid, r); };
        auto* chip = baud->findChild<QComboBox*>("chipBox");
        auto* generator = baud->findChild<QComboBox*>("generatorBox");
        const auto choose = [chip](const char* name) {
            chip->setCurrentIndex(chip->findData(name));
        };
        QCOMPARE(row(5), "19200|FD|19200.0|0.00%|"); // 11.0592 MHz, STC89 at 6T taken over
        choose("chip_classic_12T");
        QCOMPARE(row(5) + row(8), "19200|FE|14400.0|-25.00%|误差过大，可改用定时器 1，SMOD = 1"
                                  "115200|无法实现|—|—|超出范围，可改用定时器 2 (8052)");
        QVERIFY(grid->item(5, 0)->background() != grid->item(3, 0)->background());
        choose("chip_stc15_1T"); // its own generators; timer 1 at SMOD 0 stays chosen
        QCOMPARE(generator->currentText() + row(8),
                 "串口 1：定时器 1，SMOD = 0115200|FD|115200.0|0.00%|");
        generator->setCurrentIndex(0);
        QCOMPARE(generator->currentText() + row(8), "串口 1：定时器 2115200|FFE8|115200.0|0.00%|");
        baud->findChild<QLineEdit*>("crystalBox")->setText("1e40");
        QCOMPARE(row(0) + baud->findChild<QLabel*>("noteLabel")->text(),
                 "1200|—|—|—|晶体频率无效晶体频率须在 0.001 到 1000 MHz 之间");
        baud->findChild<QLineEdit*>("crystalBox")->setText("11.0592");
        choose("chip_classic_12T");
        generator->setCurrentIndex(0);
        // The user's own rate as typed: 9600 serves it just inside 2 %, then just outside.
        auto* custom = baud->findChild<QLineEdit*>("customRateBox");
        auto* copy = baud->findChild<QPushButton*>("copyButton");
        QStringList typed;
        for (const char* rate : {"9420", "9400", "0", "1e-40"}) {
            custom->selectAll();
            QTest::keyClicks(custom, rate);
            grid->selectRow(9);
            const bool red = grid->item(9, 0)->background() != grid->item(3, 0)->background();
            typed << row(9) + (red ? " red" : "") + (copy->isEnabled() ? " copy" : "");
        }
        QCOMPARE(
            typed.join(", "),
            "9420|FD|9600.0|+1.91%| copy, 9400|FD|9600.0|+2.13%|误差过大，"
            "可改用定时器 2 (8052) red copy, 自定义|—|—|—|波特率无效, 自定义|—|—|—|波特率须在 1 到 "
            "100000000 之间");
        grid->selectRow(8); // 115200 has no reload at 12T
        QVERIFY(!copy->isEnabled());
        grid->selectRow(3);
        // The row chosen looks the same while the focus or the window is elsewhere.
        for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
            QCOMPARE(grid->palette().color(QPalette::Inactive, role),
                     grid->palette().color(QPalette::Active, role));
        QTest::mouseClick(copy, Qt::LeftButton); // the chosen row's code
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(
            "/* UART mode 1, 9600 baud at 11.0592 MHz, 12T: actual 9600.0 baud, error +0.00% "
            "(actual - wanted)."));
        QTest::keyClick(baud, Qt::Key_Escape); // hidden, kept for the next time
        QVERIFY(!baud->isVisible());
    }

    // Enter calculates in every tool window, whatever has the focus but a button: the clipboard
    // keeps what it had until a copy is asked for. In the custom rate's box it shows that row.
    void enterCalculatesAndOnlyTheButtonCopies() {
        for (const char* menu : {"VbMenuBaud", "planMenuItem", "delayMenuItem"})
            fx.child<QAction>(menu)->trigger();
        for (const char* name : {"BaudWindow", "PlanWindow", "DelayWindow"}) {
            auto* tool = fx.child<QDialog>(name);
            for (auto* box : tool->findChildren<QLineEdit*>()) {
                QGuiApplication::clipboard()->setText("kept");
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Return);
                QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
                QVERIFY2(tool->isVisible() && QGuiApplication::clipboard()->text() == "kept",
                         qPrintable(box->objectName()));
            }
        }
        auto* baud = fx.child<QDialog>("BaudWindow");
        auto* note = baud->findChild<QLabel*>("noteLabel");
        auto* custom = baud->findChild<QLineEdit*>("customRateBox");
        // Into the box by a click (the focus it brings, as an active window gives it): its
        // whole text chosen, so typing replaces it.
        QFocusEvent clickedInto(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(custom, &clickedInto);
        QTest::mouseClick(custom, Qt::LeftButton);
        QTest::keyClicks(custom, "20000");
        QTest::keyClick(custom, Qt::Key_Return);
        QCOMPARE(baud->findChild<QTableWidget*>()->currentRow(), 9);
        QCOMPARE(note->text() + QGuiApplication::clipboard()->text(),
                 "误差 = (实际 − 要求) ÷ 要求，超过 ±2% 的行不可靠kept");
        auto* copyButton = baud->findChild<QPushButton*>("copyButton");
        copyButton->setFocus(); // Enter on the button is the button's
        QTest::keyClick(copyButton, Qt::Key_Return);
        QCOMPARE(note->text(), "已复制 20000 波特的 uart_init()，误差超过 ±2%");
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(
            "/* UART mode 1, 20000 baud at 12 MHz, 12T: actual 15625.0 baud, error -21.88% (actual "
            "- wanted).\n"
            " * WARNING: more than 2% off"));
        // The menu bar offers the copy too, for the row now chosen.
        auto* copy = baud->findChild<QAction*>("copyAction");
        baud->findChild<QTableWidget*>()->selectRow(8); // 115200: no reload at 12 MHz, 12T
        QVERIFY(!copy->isEnabled() && copy->text() == "复制初始化代码(&C)");
    }

    // Its own window beside the main one, back where it was, with what the main window shows.
    void baudWindowStandsBesideAndFollows() {
        if (scaledUnderWine())
            QSKIP("Wine does not scale window frames (EnableNonClientDpiScaling): off by a frame");
        fx.child<QAction>("VbMenuBaud")->trigger();
        fx.child<QAction>("planMenuItem")->trigger();
        auto* baud = fx.child<QDialog>("BaudWindow");
        const QList<QWidget*> windows{baud, fx.child("PlanWindow")};
        // Each error column says which way it is signed.
        QCOMPARE(baud->findChild<QTableWidget*>()->horizontalHeaderItem(3)->toolTip() + '|' +
                     windows[1]->findChild<QTableWidget*>()->horizontalHeaderItem(4)->toolTip(),
                 "误差 = (实际 − 要求) / 要求|误差 = 要求 − 实际");
        QCOMPARE(baud->windowFlags() & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint),
                 Qt::Window);
        baud->move(40, 300);
        baud->close();
        fx.box("Text2")->setText("22.1184");
        fx.child<QAction>("chip_stc12_1T")->trigger();
        fx.child<QAction>("VbMenuBaud")->trigger();
        QCOMPARE(QString("%1 %2 %3")
                     .arg(baud->pos().y())
                     .arg(baud->findChild<QLineEdit*>("crystalBox")->text(),
                          baud->findChild<QComboBox*>("chipBox")->currentText()),
                 "300 22.1184 STC12C5A60S2 系列，1T");
        fx.box("Text2")->setText("11.0592"); // followed while open
        QCOMPARE(baud->findChild<QLineEdit*>("crystalBox")->text(), "11.0592");
        for (QWidget* tool : windows) { // what each says of a crystal, good or not
            checkWords(tool);
            tool->findChild<QLineEdit*>("crystalBox")->setText("x");
            checkWords(tool);
        }
    }

    // Code from two windows on one timer is said beside both copy buttons, and plans on the
    // baud window's timer rank last; on other timers nothing is said; a closed window holds none.
    void clashingTimersAreSaid_data() {
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("generator"); // the baud window's
        QTest::addColumn<QString>("first");     // the plan ranked first then
        QTest::addColumn<bool>("clash");        // once the user chooses the plan on timer 2
        // clang-format off
        QTest::newRow("8052, both on timer 2") << "chip_classic_12T" << "t2" << "定时器 0 方式 2" << true;
        QTest::newRow("STC8, both on timer 2") << "chip_stc8_1T" << "t2" << "定时器 0 方式 0" << true;
        QTest::newRow("8052, port on timer 1") << "chip_classic_12T" << "t1" << "定时器 2 (8052)" << false;
        QTest::newRow("STC8, UART2 on timer 2") << "chip_stc8_1T" << "uart2/t2" << "定时器 0 方式 0" << true;
        QTest::newRow("STC8, UART3 on timer 3") << "chip_stc8_1T" << "uart3/t3" << "定时器 0 方式 0" << false;
        // clang-format on
    }
    void clashingTimersAreSaid() {
        QFETCH(QString, chip);
        QFETCH(QString, generator);
        QFETCH(QString, first);
        QFETCH(bool, clash);
        fx.child<QAction>(chip)->trigger();
        fx.box("Text2")->setText("11.0592");
        fx.child<QAction>("planMenuItem")->trigger();
        fx.child<QAction>("VbMenuBaud")->trigger();
        auto* baud = fx.child<QDialog>("BaudWindow");
        auto* generators = baud->findChild<QComboBox*>("generatorBox");
        generators->setCurrentIndex(generators->findData(generator));
        auto* plans = fx.child("PlanWindow")->findChild<QTableWidget*>("planTable");
        QCOMPARE(plans->item(0, 0)->text(), first);
        // The main window's copy of the port's timer says so too.
        const QString timer = generator.right(1);
        fx.type("1000", "11.0592");
        fx.click("Option2");
        fx.child<QAction>("copyTimer" + timer + "Code")->trigger();
        QCOMPARE(fx.copyNote(), "1已复制定时器 " + timer +
                                    " 初始化代码；「波特率计算」窗口选中的代码也用定时器 " + timer +
                                    "，两段代码不能同时使用");
        plans->selectRow(plans->findItems("定时器 2", Qt::MatchStartsWith)[0]->row());
        const auto said = [&](const char* window) {
            return fx.child(window)->findChild<QLabel*>("clashLabel")->text();
        };
        QCOMPARE(said("PlanWindow") + '|' + said("BaudWindow"),
                 clash ? "「波特率计算」窗口选中的代码也用定时器 2，两段代码不能同时使用|"
                         "「定时方案」窗口选中的代码也用定时器 2，两段代码不能同时使用"
                       : "|");
        const auto heldLast = [&] { // a plan on timer 2 ranked last: the baud window holds it
            return plans->item(plans->rowCount() - 1, 0)->text().startsWith("定时器 2");
        };
        baud->close(); // its code no longer chosen, even as it follows the main window
        fx.box("Text2")->setText("12");
        QCOMPARE(said("PlanWindow") + (heldLast() ? "held" : ""), "");
        fx.child<QAction>("VbMenuBaud")->trigger();
        auto* baudChip = baud->findChild<QComboBox*>("chipBox"); // another chip: another board
        baudChip->setCurrentIndex(baudChip->findText("STC15 系列，1T"));
        QVERIFY(!heldLast());
    }

    // Every tool window and every working window open at once: each opens on the screen, covers
    // no other window's input boxes, lists, buttons or the main window's results while the
    // screen has room, and where it has none covers the least of them (no place on a grid over
    // the whole screen covers less); of the places clear of everything, it keeps the windows
    // closest together. Run at 1366 x 768 and at 150 % too (tests/CMakeLists.txt).
    void everyWindowOpenAtOnceKeepsTheOthersInSight() {
        if (scaledUnderWine())
            QSKIP("Wine does not scale window frames (EnableNonClientDpiScaling): off by a frame");
        const auto shown = [](const QWidget* except) {
            QList<QRect> frames, kept;
            for (const QWidget* window : QApplication::topLevelWidgets())
                if (window != except && window->isVisible() && window->isWindow() &&
                    !window->inherits("QMenu") && !window->inherits("QTipLabel")) {
                    frames << window->frameGeometry(); // its title bar kept, as its inputs
                    kept << QRect(frames.last().topLeft(),
                                  QPoint(frames.last().right(), window->geometry().y() - 1));
                    for (const QWidget* w : window->findChildren<QWidget*>())
                        if (w->isVisible() && w->window() == window &&
                            (w->inherits("QLineEdit") || w->inherits("QComboBox") ||
                             w->inherits("QAbstractButton") || w->inherits("QMenuBar")))
                            kept << QRect(w->mapToGlobal(QPoint()), w->size());
                }
            return std::pair(frames, kept);
        };
        const auto over = [](const QRect& rect, const QList<QRect>& under) {
            qint64 total = 0;
            for (const QRect& each : under)
                total += qint64((rect & each).width()) * (rect & each).height();
            return total;
        };
        const auto check = [&](QWidget* window) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const QRect screen = window->screen()->availableGeometry(),
                        placed = window->frameGeometry();
            QVERIFY2(screen.contains(placed), qPrintable(window->objectName()));
            const auto [frames, kept] = shown(window);
            const auto cost = [&](const QRect& at) {
                QRect together = at;
                for (const QRect& frame : frames)
                    together |= frame;
                return std::tuple(over(at, kept), over(at, frames),
                                  qint64(together.width()) * together.height());
            };
            const auto mine = cost(placed);
            for (int x = screen.left(); x + placed.width() <= screen.right() + 1; x += 3)
                for (int y = screen.top(); y + placed.height() <= screen.bottom() + 1; y += 3) {
                    const auto there = cost(QRect(QPoint(x, y), placed.size()));
                    // Inputs covered, then frames, the least; of free places, the closest.
                    QVERIFY2(std::pair(std::get<0>(mine), std::get<1>(mine)) <=
                                     std::pair(std::get<0>(there), std::get<1>(there)) &&
                                 (std::get<0>(there) + std::get<1>(there) > 0 ||
                                  std::get<0>(mine) + std::get<1>(mine) > 0 ||
                                  std::get<2>(mine) <= std::get<2>(there)),
                             qPrintable(QString("%1 at %2,%3 rather than %4,%5")
                                            .arg(window->objectName())
                                            .arg(placed.x())
                                            .arg(placed.y())
                                            .arg(x)
                                            .arg(y)));
                }
        };
        fx.window->move(fx.window->screen()->availableGeometry().center() -
                        fx.window->rect().center());
        for (const char* menu : {"VbMenuBaud", "planMenuItem", "delayMenuItem", "waveMenuItem"}) {
            fx.child<QAction>(menu)->trigger();
            check(fx.window->findChildren<QDialog*>().last());
        }
        fx.child<QAction>("workingMenuItem")->trigger();
        check(fx.child("WorkingWindow"));
        for (const char* name : {"BaudWindow", "PlanWindow", "DelayWindow", "WaveWindow"}) {
            auto* tool = fx.child<QDialog>(name);
            QTest::mouseClick(tool->findChild<QPushButton*>("workingButton"), Qt::LeftButton);
            check(tool->findChild<QWidget*>("WorkingWindow"));
        }
    }

    // A delay exact to the clock: the sum its unit's header gives, the unit copied, the cost of
    // a call by argument, and a core whose timing is not known refused.
    void delayWindowShowsTheWorkingAndCopies() {
        fx.child<QAction>("delayMenuItem")->trigger();
        auto* delay = fx.child<QDialog>("DelayWindow");
        const auto text = [delay](const char* name) {
            return delay->findChild<QLabel*>(name)->text();
        };
        auto* copy = delay->findChild<QPushButton*>("copyButton");
        for (const DelayKind kind : {DelayKind::Fixed, DelayKind::PerStep}) {
            delay->findChild<QComboBox*>("kindBox")->setCurrentIndex(int(kind));
            const DelayRequest asked{Exact(10'000), Exact(12), classicFamily(), 12, kind};
            const DelayResult result = *planDelay(asked); // 10 mS at the main window's 12 MHz
            const QString working = text("workingLabel");
            const QString call = kind == DelayKind::Fixed ? "void delay_10ms(void)"
                                                          : toQString(result.sdccCall.working);
            QVERIFY2(working.contains(toQString(result.working)) && working.contains(call),
                     qPrintable(working));
            QTest::mouseClick(copy, Qt::LeftButton);
            QCOMPARE(QGuiApplication::clipboard()->text().toStdString(),
                     delayCode(asked, result, CodeLanguage::C));
            QCOMPARE(text("noteLabel"), "已复制 delay_10ms 的 C 代码");
        }
        // A core whose instruction times are not known gets a delay all the same: its timer's,
        // said where the loops' would be; the timer held is said in the other windows.
        auto* chip = delay->findChild<QComboBox*>("chipBox");
        chip->setCurrentIndex(chip->findData("chip_stc8_1T"));
        QCOMPARE(delay->findChild<QComboBox*>("methodBox")->currentText() + '|' + text("noteLabel"),
                 "定时器 0|该芯片的 1T 内核指令时间未知，不能用循环：已改用定时器 0");
        QTest::mouseClick(copy, Qt::LeftButton);
        QVERIFY(QGuiApplication::clipboard()->text().contains("uses: timer 0."));
        fx.child<QAction>("planMenuItem")->trigger();
        auto* plan = fx.child<QDialog>("PlanWindow");
        auto* planChip = plan->findChild<QComboBox*>("chipBox");
        planChip->setCurrentIndex(planChip->findData("chip_stc8_1T"));
        QCOMPARE(plan->findChild<QTableWidget*>("planTable")->item(0, 0)->text() + '|' +
                     plan->findChild<QLabel*>("clashLabel")->text(),
                 "定时器 2|"); // timer 0's plans ranked last, the one chosen on timer 2
    }

    // 38 kHz for an infrared LED: every way the chip has, best first with its figures, the best
    // chosen and copied without a click; a way that cannot make it not copied; the timer another
    // window's code holds said; a frequency that is not a number empties the table.
    void waveWindowRanksTheWaysAndCopiesTheChosen() {
        fx.child<QAction>("chip_stc8_1T")->trigger();
        fx.box("Text2")->setText("24");
        fx.child<QAction>("waveMenuItem")->trigger();
        auto* wave = fx.child<QDialog>("WaveWindow");
        auto* table = wave->findChild<QTableWidget*>("waveTable");
        auto* copy = wave->findChild<QPushButton*>("copyButton");
        const auto said = [wave](const char* name) {
            return wave->findChild<QLabel*>(name)->text();
        };
        const auto row = [table](int r) { return rowText(table, r); };
        wave->findChild<QLineEdit*>("frequencyBox")->setText("38"); // kHz, as it opens
        // 24 MHz / 2 / 38 kHz = 315.8 counts a half period: 316 (FEC4), 37974.684 Hz, -0.067 %.
        QCOMPARE(row(0) + '|' + said("detailLabel"),
                 "定时器 0 时钟输出|FEC4|37974.684|-0.067|P3.5|不占 CPU|半周期 316 个计数");
        const int last = table->rowCount() - 1;
        QCOMPARE(row(last), "定时器 0 方式 1 中断|—|—|—|P1.0|不能"); // reloaded too late
        QTest::mouseClick(copy, Qt::LeftButton);
        const WaveRequest asked{38000, 24, *findFamily("stc8"), 1};
        const auto ways = waveWays(asked);
        QCOMPARE(QGuiApplication::clipboard()->text().toStdString(),
                 *waveCode(asked, ways[0], CodeLanguage::C));
        QCOMPARE(said("noteLabel"), "已复制定时器 0 时钟输出的代码");
        fx.child<QAction>("delayMenuItem")->trigger(); // its delays take timer 0 on this core
        QCOMPARE(said("clashLabel") + '|' +
                     fx.child("DelayWindow")->findChild<QLabel*>("clashLabel")->text(),
                 "「软件延时计算」窗口选中的代码也用定时器 0，两段代码不能同时使用|"
                 "「方波输出」窗口选中的代码也用定时器 0，两段代码不能同时使用");
        table->selectRow(2); // timer 2's routine
        QCOMPARE(row(2).section('|', 0, 0) + said("clashLabel"), "定时器 2 中断");
        table->selectRow(last);
        QCOMPARE(said("detailLabel") + (copy->isEnabled() ? "+copy" : ""),
                 toQString(ways.back().problem)); // said why, nothing to copy
        // The 8052 at 12 MHz: timer 2's clock out alone is fast enough.
        fx.child<QAction>("chip_classic_12T")->trigger();
        fx.box("Text2")->setText("12");
        QCOMPARE(row(0), "定时器 2 时钟输出|FFB1|37974.684|-0.067|P1.0|不占 CPU");
        for (int r = 1; r < table->rowCount(); ++r)
            QVERIFY(row(r).endsWith("|不能"));
        checkWords(wave);
        wave->findChild<QLineEdit*>("frequencyBox")->setText("38x");
        QCOMPARE(QString::number(table->rowCount()) + QString::number(copy->isEnabled()) +
                     said("noteLabel"),
                 "00请输入有效的频率");
    }

    // A time the plans or delays cannot take is refused in the command line's words.
    void typedTimesRefusedAsTheCommandLineRefusesThem_data() {
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("delay");
        for (const TimeRefusal& refusal : timeRefusals)
            QTest::newRow(refusal.row) << refusal.seconds << refusal.plan << refusal.delay;
    }
    void typedTimesRefusedAsTheCommandLineRefusesThem() {
        QFETCH(QString, seconds);
        QFETCH(QString, plan);
        QFETCH(QString, delay);
        fx.box("Text2")->setText("12");
        fx.child<QAction>("planMenuItem")->trigger();
        fx.child<QAction>("delayMenuItem")->trigger();
        QStringList said;
        for (const char* name : {"PlanWindow", "DelayWindow"}) {
            auto* tool = fx.child<QDialog>(name);
            tool->findChild<QComboBox*>("unitBox")->setCurrentIndex(2); // S
            tool->findChild<QLineEdit*>(name[0] == 'P' ? "intervalBox" : "delayBox")
                ->setText(seconds);
            said << tool->findChild<QLabel*>("noteLabel")->text();
        }
        QVERIFY2(said[0].startsWith(plan) && said[1].startsWith(delay), qPrintable(said.join('|')));
    }

    // An interval of any length as ticks, the chosen plan's code, and bytes read back.
    void planWindowPlansCopiesAndReadsBack() {
        fx.child<QAction>("planMenuItem")->trigger();
        auto* plan = fx.child<QDialog>("PlanWindow");
        QVERIFY(plan->isVisible() && QApplication::activeModalWidget() == nullptr);
        auto* table = plan->findChild<QTableWidget*>("planTable");
        const auto rows = [table] {
            QStringList shown;
            for (int row = 0; row < table->rowCount(); ++row)
                shown << table->item(row, 0)->text() + ' ' + table->item(row, 3)->text() + 'x' +
                             table->item(row, 1)->text() + ' ' + table->item(row, 5)->text();
            return shown.join(", ");
        };
        QCOMPARE(rows(), "定时器 2 (8052) 20x50000 自动重装, 定时器 0 方式 2 4000x250 自动重装, "
                         "定时器 0 方式 1 20x50000 补偿重装"); // 1 s at the main window's 12 MHz
        // The first plan is chosen, its figures below the table: copied with no click in it.
        QCOMPARE(plan->findChild<QLabel*>("detailLabel")->text(),
                 "实际 1000000.000 uS，误差 0.0 ppm，中断 20.000 Hz");
        QTest::mouseClick(plan->findChild<QPushButton*>("copyButton"), Qt::LeftButton);
        const QString code = QGuiApplication::clipboard()->text();
        QVERIFY(code.contains("RCAP2H = 0x3C;") && code.contains("every 1000000 us"));
        QCOMPARE(plan->findChild<QLabel*>("noteLabel")->text(), "已复制定时器 2 (8052)的代码");
        QCOMPARE(plan->findChild<QLabel*>("readResult")->text(),
                 "计数 1000，定时 1000.000 uS，溢出频率 1000.000 Hz");           // FC18 in mode 1
        fx.box("Text2")->setText("11.0592");                                     // followed
        QCOMPARE(plan->findChild<QLabel*>("baudResult")->text(), "9600.0 波特"); // TH1 = FD
        auto* interval = plan->findChild<QLineEdit*>("intervalBox");
        interval->selectAll();
        QTest::keyClicks(interval, "50");
        plan->findChild<QComboBox*>("unitBox")->setCurrentIndex(1); // ms
        QCOMPARE(rows().section(',', 0, 0), "定时器 2 (8052) 1x46080 自动重装");
        plan->findChild<QComboBox*>("unitBox")->setCurrentIndex(2); // 1e12 s: no chip's plan
        interval->setText("1e12");
        QCOMPARE(QString::number(table->rowCount()) + plan->findChild<QLabel*>("noteLabel")->text(),
                 "0定时时间太长，超出定时范围");
        interval->setText("1"); // an STC8's six plans: five in view without scrolling
        auto* chip = plan->findChild<QComboBox*>("chipBox");
        chip->setCurrentIndex(chip->findData("chip_stc8_1T"));
        QVERIFY(table->rowCount() == 6 &&
                table->viewport()->rect().contains(table->visualRect(table->model()->index(4, 0))));
    }

    // Every chip at its extremes, the cleanup's check at each: results far longer than their
    // boxes (nearly 32 bits of longest interval, half a cycle of error, negative), and a day's
    // plans at 1 and 50 MHz.
    void longestValuesShowWhole_data() {
        QTest::addColumn<int>("choice");
        for (int choice = 0; choice < chipChoices().size(); ++choice)
            QTest::addRow("%s", qPrintable(chipChoices()[choice].name())) << choice;
    }
    void longestValuesShowWhole() {
        QFETCH(int, choice);
        const ChipChoice chip = chipChoices().at(choice);
        fx.child<QAction>(chip.name())->trigger();
        for (int mode = 0; mode < 3; ++mode) {
            const double counts = countsOf(chip.family->modes[mode].kind), cycleUs = 2.1e9 / counts;
            fx.type(QString::number(cycleUs * (counts / 2 + 0.51), 'f', 0),
                    QString::number(chip.clock / cycleUs, 'g', 9));
            fx.click(QString("Option%1").arg(mode + 1));
            QVERIFY(fx.box("Text3")->text().size() >= 10 &&
                    fx.box("Text6")->text().startsWith('-'));
            checkControlsFit(fx.window->centralWidget());
        }
        fx.type("100", "12"); // a short value again: the designed font
        fx.click("Option2");
        QCOMPARE(fx.box("Text3")->font(), fx.window->font());
        fx.child<QAction>("planMenuItem")->trigger();
        auto* plan = fx.child<QDialog>("PlanWindow");
        plan->findChild<QLineEdit*>("intervalBox")->setText("86400"); // seconds
        for (const char* crystal : {"1", "50"}) {
            plan->findChild<QLineEdit*>("crystalBox")->setText(crystal);
            QVERIFY(plan->findChild<QTableWidget*>()->rowCount() > 0);
            checkControlsFit(plan);
        }
    }

    // Typed but not calculated, the entries wait for the pass; the copy says so, readably.
    void copyEntriesFollowTheInputsAndSayWhatTheyCopied() {
        fx.click("Option2");
        QTest::keyClick(fx.window.get(), Qt::Key_T, Qt::AltModifier); // 工具
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_0);
        QTest::qWait(200); // the menu closed, the event loop ran
        QCOMPARE(fx.copyNote(), "1已复制定时器 0 初始化代码");
        auto* copy = fx.child<QAction>("copyTimer0Code");
        QTest::keyClicks(fx.box("Text1"), "5");
        QCOMPARE(QString::number(copy->isEnabled()) + copy->toolTip(), "0输入已改变，请重新计算");
        QTest::keyClick(fx.box("Text1"), Qt::Key_Return);
        QVERIFY(copy->isEnabled());
    }

    void keyboardReachesEveryControl() {
        QCOMPARE(QApplication::focusWidget()->objectName(), "Option1");
        QTest::keyClick(fx.window.get(), Qt::Key_1, Qt::AltModifier);
        QTRY_COMPARE(fx.results(), "65536 FF9C 1.000 0.000");
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
        QTest::keyClicks(fx.box("Text6"), "12"); // results take no typing
        QCOMPARE(fx.box("Text6")->text() + fx.box("Text6")->selectedText(), "0.0000.000");
        // Tabbed in, the first click places the caret: only a click that brings focus is kept.
        QTest::mouseClick(fx.box("Text6"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!fx.box("Text6")->hasSelectedText());

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
        fx.box("Text1")->setText("50000");
        fx.dialogs.answers = QStringList{"0", "11.0592", "", " 12x"};
        fx.child<QAction>("VbMenuFrequency")->trigger();
        fx.child<QAction>("VbMenuFrequency")->trigger();
        fx.child<QAction>("VbMenuTime")->trigger(); // cancelled: nothing changes
        QCOMPARE(fx.box("Text1")->text() + ' ' + fx.results(), "50000 71111 4C00 1.085 0.001");

        // The initial value's context menu copies C for it, and says so beside it.
        QTimer::singleShot(0, [] {
            for (QAction* entry : QApplication::activePopupWidget()->actions())
                if (entry->objectName() == "copyTimer1Code")
                    entry->trigger();
            QApplication::activePopupWidget()->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(fx.box("Text4"), &event);
        const QString code = QGuiApplication::clipboard()->text();
        QVERIFY(code.startsWith("/* Timer 1, mode 1 (16-bit), 12T at 11.0592 MHz: 50000 us asked, "
                                "50000 us timed,") &&
                code.contains("TH1 = 0x4C;\n    TL1 = 0x00;\n"));
        QTest::qWait(100); // still said once the menu has gone
        QCOMPARE(fx.copyNote(), "1已复制定时器 1 初始化代码");
        fx.child<QAction>("copyTimer0Code")->trigger();
        QVERIFY(QGuiApplication::clipboard()->text().contains("TH0 = 0x4C;\n    TL0 = 0x00;\n"));

        fx.child<QAction>("VbMenuTime")->trigger(); // written as typed
        QCOMPARE(fx.box("Text1")->text() + fx.dialogs.messages.join('|'),
                 " 12x" + badCrystal + '|' + fault);
        const QString askCrystal = "请输入晶振频率(MHZ)|输入频率值|12";
        const QString askInterval = "请输入您需要的定时时间(uS)|输入定时时间|100";
        QCOMPARE(fx.dialogs.questions,
                 (QStringList{askCrystal, askCrystal, askInterval, askInterval}));
    }

    // The boxes keep what the last good pass showed; copying it for other settings is refused.
    void copiesOnlyWhatTheWindowShowsNow() {
        const auto copyState = [this] { // both entries, as the 工具 menu offers them
            QString state;
            for (QAction* entry : fx.child<QMenu>("VbMenuTools")->actions().mid(0, 2))
                state += entry->text() + (entry->isEnabled() ? " on " : " off ") +
                         entry->toolTip() + '|';
            return state;
        };
        QCOMPARE(copyState(), "复制定时器 0 初始化代码(&0) off 请先计算初始值|复制定时器 1 "
                              "初始化代码(&1) off 请先计算初始值|");
        fx.type("10000", "11.0592");
        fx.click("Option2");
        QVERIFY(copyState().contains("(&1) on "));
        fx.child<QAction>("chip_stc15_1T")->trigger(); // 10000 µs is beyond 1T: refused
        const QString why = " off 计算未成功：结果框中的值不属于当前的设置|";
        QCOMPARE(fx.results() + ' ' + copyState(),
                 "71111 DC00 1.085 0.000 复制定时器 0 初始化代码(&0)" + why +
                     "复制定时器 1 初始化代码(&1)" + why);
        fx.box("Text1")->setText("6"); // 6 µs at 1T: 66 counts, too few for the routine
        fx.click("Option2");
        QCOMPARE(fx.results() + ' ' + copyState().section('|', 0, 0),
                 "5925.925 FFBE 0.090 0.032 复制定时器 0 初始化代码(&0) off "
                 "定时时间太短，中断程序来不及：至少 320 个计数（28.935 uS）");
        fx.box("Text1")->setText("10000");
        fx.click("Option1"); // back at 12T, 13 bits cannot hold 10000 µs either
        fx.child<QAction>("chip_classic_12T")->trigger();
        QCOMPARE(fx.results() + copyState().section('|', 0, 0),
                 "5925.925 FFBE 0.090 0.032复制定时器 0 初始化代码(&0)" + why.chopped(1));
    }

    // Every timer the chip has gets an entry; timers 2 to 4 time the interval in their one mode
    // and say so where that is not the value shown, as on an STC8H at 24 MHz.
    void everyTimerOfTheChipIsCopied() {
        const auto offered = [this] {
            QString timers;
            for (QAction* entry : fx.child<QMenu>("VbMenuTools")->actions())
                if (entry->isVisible() && entry->objectName().startsWith("copyTimer"))
                    timers += entry->objectName().mid(9, 1);
            return timers;
        };
        QCOMPARE(offered(), "012"); // the 8052's timer 2
        fx.child<QAction>("chip_stc12_1T")->trigger();
        QCOMPARE(offered(), "01");
        fx.child<QAction>("chip_stc8_1T")->trigger();
        fx.type("10", "24");
        fx.click("Option3"); // mode 2: 240 counts, 0x10; timer 3 loads 0xFF10
        auto* timer3 = fx.child<QAction>("copyTimer3Code");
        QCOMPARE(offered() + timer3->text() + '|' + timer3->toolTip(),
                 "01234复制定时器 3 初始化代码（16 位自动重装）(&3)|定时器 3 按 16 位自动重装计时，"
                 "初始值 FF10，不是上面的值\nC 代码");
        timer3->trigger();
        const TimerSetup shown{0x10, 2, Exact(10), Exact(24), 1, findFamily("stc8")};
        QCOMPARE(QGuiApplication::clipboard()->text().toStdString(),
                 *timerInitCode(3, *reloadTimerSetup(shown, 3)));
        QCOMPARE(fx.copyNote(), "1已复制定时器 3 初始化代码");
        fx.box("Text1")->setText("1000");
        fx.click("Option1"); // mode 0 reloads 16 bits too: the same value, nothing to say
        QCOMPARE(timer3->toolTip(), "定时器 3 的初始化函数和中断服务程序，C 代码");
        // One mode: timers 2 to 4 time what was asked whatever the mode buttons say, here 1 s,
        // beyond mode 2's range and timer 3's own at 1T; on an STC8H its prescaler reaches it.
        fx.child<QAction>("chip_stc8h_12T")->trigger();
        fx.type("1000000", "24");
        fx.click("Option3");
        QCOMPARE(fx.dialogs.messages.last(), outOfRange);
        QVERIFY(!fx.child<QAction>("copyTimer0Code")->isEnabled() && timer3->isEnabled());
        QCOMPARE(timer3->toolTip(),
                 "定时器 3 按 16 位自动重装计时，初始值 0BDC，预分频 TM3PS = 31（每 "
                 "32 个时钟一个计数），不是上面的值\nC 代码");
        fx.child<QAction>("chip_stc8_12T")->trigger(); // no prescaler: refused, and why
        fx.click("Command1");
        QCOMPARE(QString::number(timer3->isEnabled()) + timer3->toolTip(),
                 "0定时器 3 只有 16 位自动重装方式，最长 32768.000 uS，超出定时范围");
    }

    // The working follows what each window shows: the boxes' mode and chip, the chosen rate,
    // plan and delay; it can be copied whole.
    void workingFollowsEachWindow() {
        fx.type("1000", "11.0592");
        fx.click("Option2");
        fx.child<QAction>("workingMenuItem")->trigger();
        auto* working = fx.window->findChild<QDialog*>("WorkingWindow", Qt::FindDirectChildrenOnly);
        const auto said = [](QWidget* window) {
            return window->findChild<QPlainTextEdit*>("workingText")->toPlainText();
        };
        QVERIFY(working->isVisible() && said(working).contains("= FC66H") &&
                said(working).contains("≈ " + fx.box("Text6")->text() + " µs"));
        fx.click("Option3"); // 1000 µs in mode 2: refused, and the working says by how much
        QVERIFY(said(working).contains("超过最长定时 278 µs，多出 722 µs：超出定时范围"));
        fx.child<QAction>("chip_stc8_1T")->trigger();
        QVERIFY(said(working).contains("多出 10803 个：超出定时范围"));
        QTest::mouseClick(working->findChild<QPushButton*>("copyButton"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), said(working));

        fx.child<QAction>("chip_classic_12T")->trigger(); // a core whose delays are known
        for (const char* item : {"VbMenuBaud", "planMenuItem", "delayMenuItem"})
            fx.child<QAction>(item)->trigger();
        // What each says once the row, plan or delay changes: the rate, the rank, the delay.
        for (const auto& [name, says] : {std::pair{"BaudWindow", "要求的波特率 1200"},
                                         {"PlanWindow", "排在第 1 个"},
                                         {"DelayWindow", "延时 t = 20000 µs"}}) {
            auto* tool = fx.child<QDialog>(name);
            auto* table = tool->findChild<QTableWidget*>();
            if (table)
                table->selectRow(1);
            QTest::mouseClick(tool->findChild<QPushButton*>("workingButton"), Qt::LeftButton);
            auto* own = tool->findChild<QDialog*>("WorkingWindow");
            QVERIFY2(own->isVisible() && own != working && !said(own).contains(says), name);
            table ? table->selectRow(0) : tool->findChild<QLineEdit*>("delayBox")->setText("20");
            QVERIFY2(said(own).startsWith("计算过程：") && said(own).contains(says), name);
        }
    }

    // One language for every window, chosen in any, remembered (C when the saved one is gone):
    // each copies the generator's unit for what it shows, and an edit still withdraws the copy.
    void everyWindowCopiesInTheOneLanguageChosen() {
        QSettings().setValue("code/language", "pascal");
        fx.open();
        fx.child<QAction>("language_a51")->trigger(); // before any value: still says why
        QCOMPARE(fx.child<QAction>("copyTimer0Code")->toolTip(), "请先计算初始值");
        fx.child<QAction>("language_c")->trigger();
        fx.click("Option2"); // FF9C: 100 µs at 12 MHz
        fx.child<QAction>("VbMenuBaud")->trigger();
        fx.child<QAction>("planMenuItem")->trigger();
        fx.window->activateWindow();
        auto* copy = fx.child<QAction>("copyTimer0Code");
        QCOMPARE(QString::number(fx.child<QAction>("language_c")->isChecked()) + copy->toolTip(),
                 "1定时器 0 的初始化函数和中断服务程序，C 代码");
        QTest::keyClick(fx.window.get(), Qt::Key_T, Qt::AltModifier); // 工具, 代码语言, A51
        for (const auto key : {Qt::Key_Y, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(QApplication::activePopupWidget(), key);
        copy->trigger();
        const auto clipboard = [] { return QGuiApplication::clipboard()->text().toStdString(); };
        const TimerSetup setup{0xFF9C, 1, Exact(100), Exact(12), 12};
        QCOMPARE(clipboard(), *timerInitCode(0, setup, CodeLanguage::A51));
        QCOMPARE(fx.copyNote() + copy->toolTip(), "1已复制定时器 0 初始化代码（汇编）定时器 0 "
                                                  "的初始化函数和中断服务程序，汇编（Keil A51）");
        QTest::keyClicks(fx.box("Text1"), "5"); // 1005 µs typed, not calculated
        auto* baud = fx.child<QDialog>("BaudWindow");
        auto* plan = fx.child<QDialog>("PlanWindow");
        const BaudGenerator& generator = classicFamily().generators[0];
        const BaudRequest rate{classicFamily(), generator, 12, 12, 1200};
        const PlanRequest second{Exact(1'000'000), Exact(12), classicFamily(), 12};
        const auto copyIn = [](QDialog* window, int row = 0) { // what it shows, says and copies
            window->findChild<QTableWidget*>()->selectRow(row);
            QTest::mouseClick(window->findChild<QPushButton*>("copyButton"), Qt::LeftButton);
            return window->findChild<QComboBox*>("languageBox")->currentText() + '|' +
                   window->findChild<QLabel*>("noteLabel")->text() + '|' +
                   QGuiApplication::clipboard()->text();
        };
        for (const auto language : {CodeLanguage::A51, CodeLanguage::Sdas}) {
            const QString label = toQString(languageRow(language).label);
            QCOMPARE(copyIn(baud), label + "|已复制 1200 波特的汇编代码|" +
                                       toQString(*baudInitCode(
                                           rate, *baudSetting(generator, 12, 12, 1200), language)));
            QCOMPARE(copyIn(plan),
                     label + "|已复制定时器 2 (8052)的汇编代码|" +
                         toQString(*tickPlanCode(planInterval(second)[0], second, language)));
            QTest::keyClick(plan->findChild<QComboBox*>("languageBox"), Qt::Key_Down);
        }
        QCOMPARE(QString::number(copy->isEnabled()) + copy->toolTip() +
                     QSettings().value("code/language").toString(),
                 "0输入已改变，请重新计算asx");
        QVERIFY(fx.child<QAction>("language_asx")->isChecked());
        // A chip no assembly is written for: nothing copied in any window, and why.
        fx.child<QAction>("chip_stc32g_1T")->trigger();
        fx.click("Command1");
        const QString why = toQString(findFamily("stc32g")->noAssembly);
        QGuiApplication::clipboard()->setText("kept");
        QCOMPARE(QString::number(copy->isEnabled()) + copy->toolTip(), "0" + why);
        QCOMPARE(copyIn(baud, 3).section('|', 1) + '|' + copyIn(plan).section('|', 1),
                 why + "|kept|" + why + "|kept");
        fx.open(); // the next start shows the language last chosen
        QVERIFY(fx.child<QAction>("language_asx")->isChecked());
    }

    void realMessageAndInputDialogs() {
        QtDialogServices real;
        whenModalShown([](QWidget* modal) {
            const int icon = qobject_cast<QMessageBox*>(modal)->icon();
            QCOMPARE(shownDialog(modal, modal->findChild<QLabel*>("qt_msgbox_label")) + '|' +
                         QString::number(icon),
                     "Tickora|" + fault + "|确定|" + QString::number(QMessageBox::NoIcon));
        });
        real.showMessage(fault);
        QVERIFY(!awaitingModal);

        for (const auto key : {Qt::Key_Return, Qt::Key_Escape}) {
            whenModalShown([key](QWidget* modal) {
                auto* line = modal->findChild<QLineEdit*>();
                QCOMPARE(shownDialog(modal, modal->findChild<QLabel*>()) + '|' + line->text(),
                         "输入频率值|请输入晶振频率(MHZ)|确定|取消|12");
                QTest::keyClicks(line, ".5"); // typed over the default
                QTest::keyClick(line, key);
            });
            QCOMPARE(real.askText("请输入晶振频率(MHZ)", "输入频率值", "12"),
                     key == Qt::Key_Return ? ".5" : QString());
            QVERIFY(!awaitingModal);
        }
    }

    // Each line of the texts ends where it is meant to (not a character off, as the word wrap
    // put it at some scalings) and fits its label at every scaling; only the Help's long
    // sentence wraps, wherever the font's widths break it.
    void infoWindowsBreakTheirLinesWhereMeantAndCloseOnEnterOrEscape() {
        // The menu item, then the window's name, caption, lines ('~' after one that wraps) and
        // button.
        for (const QString expected :
             {"VbMenuHelp|Form3|说明|这个估计大部分51爱好者都会用吧：|在方式选择栏中先选择定时器"
              "工作方式，输入你需要的定时时间及晶体振荡频率，然后按下计算就可以了。在定时初始值栏"
              "中即可得到你要的值了。~|确定(&E)",
              "VbMenuAbort|form2|Tickora|Quillet：Tickora测试版  REV2.0|作者：Tickora Team|Date:"
              "2005/2/1|本系列软件献给广大懒惰的单片机爱好者|若使用中发现不妥及Bug请通知本人修正|"
              "谢谢！|作者网址：https://example.org|确定(&E)"})
            for (const auto closeKey : {Qt::Key_Return, Qt::Key_Escape}) {
                QPointer<QWidget> window;
                whenModalShown([&](QWidget* modal) {
                    window = modal;
                    auto* text = modal->findChild<QLabel*>("Label1");
                    QCOMPARE(modal->objectName() + '|' + shownDialog(modal, text),
                             expected.section('|', 1));
                    QVERIFY(text->alignment().testFlag(Qt::AlignTop));
                    checkControlsFit(modal);
                    QTest::keyClick(modal, closeKey);
                });
                fx.child<QAction>(expected.section('|', 0, 0))->trigger();
                QVERIFY(!awaitingModal);
                QTRY_VERIFY(window.isNull()); // destroyed on close, made anew next time
            }
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
