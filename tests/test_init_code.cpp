// The register tooltip and the copy-code entries of the initial-value box, in the real window.
#include "fakedialogs.h"
#include "form1.h"
#include "guitest.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

#include <memory>

using namespace tickora;

namespace {
const QString mode0Timer0Code =
    QStringLiteral("TMOD = (TMOD & 0xF0) | 0x00;  /* timer 0, mode 0 */\n"
                   "TH0 = 0xFC;\n"
                   "TL0 = 0x1C;  /* 100 us at 12 MHz, error 0.000 us */\n");
} // namespace

class TestInitCode : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void entriesWaitForASuccessfulPass();
    void tooltipNamesTheRegisterBytes();
    void copyPutsTheCodeOnTheClipboard();
    void failedPassKeepsDescribingTheShownValue();
    void contextMenuKeepsStandardEntries();

private:
    QAction* action(const char* name) const {
        return window->findChild<QAction*>(QString::fromLatin1(name));
    }
    QLineEdit* text4() const { return window->findChild<QLineEdit*>(QStringLiteral("Text4")); }
    void choose(const char* option) const {
        window->findChild<QRadioButton*>(QString::fromLatin1(option))->click();
    }

    test::FakeDialogs dialogs;
    std::unique_ptr<Form1> window;
};

void TestInitCode::init() {
    dialogs = {};
    window = test::showMainWindow(dialogs, QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(window != nullptr);
}

void TestInitCode::cleanup() { window.reset(); }

void TestInitCode::entriesWaitForASuccessfulPass() {
    QVERIFY(!action("copyTimer0Code")->isEnabled());
    QVERIFY(!action("copyTimer1Code")->isEnabled());
    window->findChild<QWidget*>(QStringLiteral("Command1"))->setFocus();
    QTest::keyClick(window.get(), Qt::Key_Return); // no mode yet: out of range
    QVERIFY(!action("copyTimer0Code")->isEnabled());
    QVERIFY(text4()->toolTip().isEmpty());
    choose("Option1");
    QVERIFY(action("copyTimer0Code")->isEnabled());
    QVERIFY(action("copyTimer1Code")->isEnabled());
}

void TestInitCode::tooltipNamesTheRegisterBytes() {
    choose("Option1");
    const QString expected =
        QStringLiteral("TH0/TH1 = 0xFC，TL0/TL1 = 0x1C (方式 0：TL 只用低 5 位)");
    QCOMPARE(text4()->toolTip(), expected);
    QCOMPARE(text4()->accessibleDescription(), expected);
    choose("Option3");
    QCOMPARE(text4()->toolTip(),
             QStringLiteral("TH0/TH1 = 0x9C，TL0/TL1 = 0x9C (方式 2,3：TH 为重装值)"));
}

void TestInitCode::copyPutsTheCodeOnTheClipboard() {
    choose("Option1");
    action("copyTimer0Code")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), mode0Timer0Code);
    action("copyTimer1Code")->trigger();
    QVERIFY(QGuiApplication::clipboard()->text().startsWith(
        QStringLiteral("TMOD = (TMOD & 0x0F) | 0x00;  /* timer 1, mode 0 */\nTH1 = 0xFC;\n")));
}

void TestInitCode::failedPassKeepsDescribingTheShownValue() {
    choose("Option1");
    const QString tooltip = text4()->toolTip();
    window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("abc"));
    choose("Option2"); // mode 1 is chosen, but its pass fails and 1F9C stays on screen
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(text4()->text(), QStringLiteral("1F9C"));
    QCOMPARE(text4()->toolTip(), tooltip);
    action("copyTimer0Code")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), mode0Timer0Code);
}

void TestInitCode::contextMenuKeepsStandardEntries() {
    choose("Option2");
    QStringList entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        for (QAction* entry : menu->actions())
            if (!entry->isSeparator())
                entries << entry->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            text4()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(text4(), &event);
    QVERIFY(entries.contains(QStringLiteral("复制(C)")));
    QVERIFY(entries.contains(QStringLiteral("全选")));
    QCOMPARE(entries.mid(entries.size() - 2),
             (QStringList{QStringLiteral("复制定时器 0 初始化代码"),
                          QStringLiteral("复制定时器 1 初始化代码")}));
}

TICKORA_GUI_TEST_MAIN(TestInitCode)
#include "test_init_code.moc"
