// The calculator end to end through the real main window, with recorded dialogs.
#include "calcpass.h"
#include "fakedialogs.h"
#include "form1.h"
#include "guitest.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

using namespace tickora;

class TestForm1Events : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void modeButtonsCalculateFromTheStartValues();
    void calculatingBeforeAnyModeIsOutOfRange();
    void failingPassKeepsResultsButNotTheOldMode();
    void clickingTheChosenModeCalculatesAgain();
    void arrowKeysChooseTheNextMode();
    void menuDialogs_data();
    void menuDialogs();
    void tabbingIntoABoxSelectsItsText();
    void clickingIntoABoxSelectsItsText();

private:
    QLineEdit* box(const char* name) const {
        return window->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    void click(const char* name) const {
        QTest::mouseClick(window->findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    QStringList results() const {
        return {box("Text3")->text(), box("Text4")->text(), box("Text5")->text(),
                box("Text6")->text()};
    }

    test::FakeDialogs dialogs;
    std::unique_ptr<Form1> window;
};

void TestForm1Events::init() {
    dialogs = {};
    window = test::showMainWindow(dialogs, QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(window != nullptr);
}

void TestForm1Events::cleanup() { window.reset(); }

void TestForm1Events::modeButtonsCalculateFromTheStartValues() {
    click("Option2");
    QCOMPARE(results(), (QStringList{"65536", "FF9C", "1.000", "0.000"}));
    click("Option1");
    QCOMPARE(results(), (QStringList{"8192", "1F9C", "1.000", "0.000"}));
    click("Option3");
    QCOMPARE(results(), (QStringList{"256", "9C", "1.000", "0.000"}));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestForm1Events::calculatingBeforeAnyModeIsOutOfRange() {
    click("Command1");
    QCOMPARE(dialogs.messages, QStringList{messages::outOfRange});
    QCOMPARE(results(), (QStringList{"", "", "", ""}));
}

void TestForm1Events::failingPassKeepsResultsButNotTheOldMode() {
    click("Option2");
    const QStringList before = results();
    box("Text1")->clear();
    click("Command1");
    QCOMPARE(dialogs.messages, QStringList{messages::fault});
    QCOMPARE(results(), before);

    // The new mode is chosen even though its pass fails.
    click("Option3");
    QCOMPARE(dialogs.messages.size(), 2);
    QCOMPARE(window->state().modeCount, 256);
    QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("Option3"))->isChecked());
    QCOMPARE(results(), before);
}

void TestForm1Events::clickingTheChosenModeCalculatesAgain() {
    click("Option2");
    box("Text1")->setText(QStringLiteral("50000"));
    box("Text2")->setText(QStringLiteral("11.0592"));
    click("Option2");
    QCOMPARE(results(), (QStringList{"71111", "4C00", "1.085", "0.001"}));
}

void TestForm1Events::arrowKeysChooseTheNextMode() {
    click("Option1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("Option2"))->isChecked());
    QCOMPARE(window->state().modeCount, 65536);
    QCOMPARE(results(), (QStringList{"65536", "FF9C", "1.000", "0.000"}));
}

void TestForm1Events::menuDialogs_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("expectedResults"); // empty: no pass ran
    QTest::addColumn<QStringList>("messages");

    const QString frequencyPrompt = QStringLiteral("请输入晶振频率(MHZ)");
    const QString timePrompt = QStringLiteral("请输入您需要的定时时间(uS)");
    const QString frequencyCaption = QStringLiteral("输入频率值");
    const QString timeCaption = QStringLiteral("输入定时时间");
    const QStringList none;
    // Every row starts from mode 1 with the interval box at 50000 and the crystal box at 6.
    // clang-format off
    QTest::newRow("crystal 11.0592") << "VbMenuFrequency" << "11.0592" << frequencyPrompt << frequencyCaption << "12" << "Text2" << QStringList{"71111", "4C00", "1.085", "0.001"} << none;
    QTest::newRow("crystal cancelled") << "VbMenuFrequency" << "" << frequencyPrompt << frequencyCaption << "12" << "Text2" << none << none;
    QTest::newRow("crystal zero") << "VbMenuFrequency" << "0" << frequencyPrompt << frequencyCaption << "12" << "Text2" << none << QStringList{messages::badCrystal};
    QTest::newRow("crystal as typed") << "VbMenuFrequency" << " 12x" << frequencyPrompt << frequencyCaption << "12" << "Text2" << none << QStringList{messages::fault};
    QTest::newRow("interval 100") << "VbMenuTime" << "100" << timePrompt << timeCaption << "100" << "Text1" << QStringList{"131072", "FFCE", "2.000", "0.000"} << none;
    QTest::newRow("interval cancelled") << "VbMenuTime" << "" << timePrompt << timeCaption << "100" << "Text1" << none << none;
    QTest::newRow("interval zero") << "VbMenuTime" << "0" << timePrompt << timeCaption << "100" << "Text1" << none << QStringList{messages::outOfRange};
    // clang-format on
}

void TestForm1Events::menuDialogs() {
    QFETCH(QString, item);
    QFETCH(QString, answer);
    QFETCH(QString, prompt);
    QFETCH(QString, caption);
    QFETCH(QString, defaultText);
    QFETCH(QString, target);
    QFETCH(QStringList, expectedResults);
    QFETCH(QStringList, messages);

    click("Option2");
    box("Text1")->setText(QStringLiteral("50000"));
    box("Text2")->setText(QStringLiteral("6"));
    const QStringList before = results();
    QLineEdit* answered = box(target.toLatin1().constData());
    const QString boxBefore = answered->text();

    dialogs.answers = {answer};
    window->findChild<QAction*>(item)->trigger();

    QCOMPARE(dialogs.questions.size(), 1);
    QCOMPARE(dialogs.questions[0].prompt, prompt);
    QCOMPARE(dialogs.questions[0].caption, caption);
    QCOMPARE(dialogs.questions[0].defaultText, defaultText);
    QCOMPARE(answered->text(), answer.isEmpty() ? boxBefore : answer);
    QCOMPARE(results(), expectedResults.isEmpty() ? before : expectedResults);
    QCOMPARE(dialogs.messages, messages);
}

void TestForm1Events::tabbingIntoABoxSelectsItsText() {
    window->findChild<QWidget*>(QStringLiteral("Option3"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box("Text1"));
    QCOMPARE(box("Text1")->selectedText(), QStringLiteral("100"));
    QTest::keyClicks(box("Text1"), QStringLiteral("250"));
    QTest::keyClick(box("Text1"), Qt::Key_Tab);
    QCOMPARE(box("Text2")->selectedText(), QStringLiteral("12"));
    QTest::keyClicks(box("Text2"), QStringLiteral("11.0592"));
    click("Option3");
    QCOMPARE(results(), (QStringList{"278", "1A", "1.085", "0.434"}));
}

void TestForm1Events::clickingIntoABoxSelectsItsText() {
    click("Option2");
    QTest::mouseClick(box("Text4"), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(QApplication::focusWidget(), box("Text4"));
    QCOMPARE(box("Text4")->selectedText(), QStringLiteral("FF9C"));
    // A second click, with the focus already there, places the caret as usual.
    QTest::mouseClick(box("Text4"), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!box("Text4")->hasSelectedText());
    QTest::mouseClick(box("Text2"), Qt::LeftButton, {}, QPoint(40, 5));
    QCOMPARE(box("Text2")->selectedText(), QStringLiteral("12"));
}

TICKORA_GUI_TEST_MAIN(TestForm1Events)
#include "test_form1_events.moc"
