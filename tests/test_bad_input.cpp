// Whatever people type or paste, each calculating action gives one message or one result,
// and a text that means a number gives what that number gives.
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

namespace {

enum class Route { Pass, IntervalBox, CrystalBox, IntervalMenu, CrystalMenu };

struct Observed {
    QStringList results;
    QStringList messages;
    QString otherBox;
    int modeCount = 0;
};

const QStringList startResults{"65536", "FF9C", "1.000", "0.000"};

// The calculation pass alone, on the interval text, after a pass that showed the mode-1 results.
Observed passAlone(const QString& text) {
    test::FakeDialogs dialogs;
    const NumberText numbers(QLocale(QLocale::English, QLocale::UnitedStates));
    CalcState state;
    state.modeCount = 65536;
    const auto results = cal(text, QStringLiteral("12"), state, numbers, dialogs);
    const QStringList shown =
        results ? QStringList{results->maxTime, results->initValue, results->cycle, results->error}
                : startResults;
    return {shown, dialogs.messages, QStringLiteral("12"), state.modeCount};
}

// One calculating action on a fresh window that has already shown the mode-1 results.
Observed act(Route route, const QString& text) {
    if (route == Route::Pass)
        return passAlone(text);
    test::FakeDialogs dialogs;
    Form1 window(dialogs, NumberText(QLocale(QLocale::English, QLocale::UnitedStates)));
    const auto box = [&](const char* name) {
        return window.findChild<QLineEdit*>(QString::fromLatin1(name));
    };
    window.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();

    const bool interval = route == Route::IntervalBox || route == Route::IntervalMenu;
    switch (route) {
    case Route::Pass:
        break;
    case Route::IntervalBox:
    case Route::CrystalBox:
        box(interval ? "Text1" : "Text2")->setText(text);
        window.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        break;
    case Route::IntervalMenu:
    case Route::CrystalMenu:
        dialogs.answers = {text};
        window
            .findChild<QAction*>(interval ? QStringLiteral("VbMenuTime")
                                          : QStringLiteral("VbMenuFrequency"))
            ->trigger();
        break;
    }
    return {
        {box("Text3")->text(), box("Text4")->text(), box("Text5")->text(), box("Text6")->text()},
        dialogs.messages,
        box(interval ? "Text2" : "Text1")->text(),
        window.state().modeCount};
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void sweep_data();
    void sweep();
};

void TestBadInput::sweep_data() {
    QTest::addColumn<QString>("text");
    // The plain number the text must act as, or null when it is no number at all.
    QTest::addColumn<QString>("meaning");

    const QString noNumber;
    // clang-format off
    QTest::newRow("empty") << "" << noNumber;
    QTest::newRow("blank") << "   " << noNumber;
    QTest::newRow("tab") << "\t" << noNumber;
    QTest::newRow("tabs around") << "\t20\t" << "20";
    QTest::newRow("letters") << "abc" << noNumber;
    QTest::newRow("12abc") << "12abc" << noNumber;
    QTest::newRow("1 2") << "1 2" << noNumber;
    QTest::newRow("--1") << "--1" << noNumber;
    QTest::newRow("+12") << "+12" << "12";
    QTest::newRow(".5") << ".5" << "0.5";
    QTest::newRow("5.") << "5." << "5";
    QTest::newRow("1e") << "1e" << noNumber;
    QTest::newRow("e5") << "e5" << noNumber;
    QTest::newRow("0x10") << "0x10" << noNumber;
    QTest::newRow("inf") << "inf" << noNumber;
    QTest::newRow("nan") << "nan" << noNumber;
    QTest::newRow("1e39") << "1e39" << noNumber;
    QTest::newRow("-1e39") << "-1e39" << noNumber;
    QTest::newRow("just beyond float") << "3.4028236e38" << noNumber;
    QTest::newRow("underflow") << "1e-50" << "0";
    QTest::newRow("-0") << "-0" << "0";
    QTest::newRow("full-width") << "１２．５" << "12.5";
    QTest::newRow("arabic-indic digits") << "١٢" << noNumber;
    QTest::newRow("devanagari digits") << "१२" << noNumber;
    QTest::newRow("emoji") << "1⏱2" << noNumber;
    QTest::newRow("emoji alone") << "😀" << noNumber;
    QTest::newRow("right-to-left mark") << "\u200F12" << noNumber;
    QTest::newRow("embedded nul") << QString::fromUtf16(u"1\u00002", 3) << noNumber;
    QTest::newRow("100000 nines") << QString(100000, QLatin1Char('9')) << noNumber;
    // A text box keeps the first 32767 characters of a paste, as Qt's line edit does.
    QTest::newRow("100000 characters, one number") << "12." + QString(99997, QLatin1Char('0')) << "12";
    // clang-format on
}

void TestBadInput::sweep() {
    QFETCH(QString, text);
    QFETCH(QString, meaning);

    for (const Route route : {Route::Pass, Route::IntervalBox, Route::CrystalBox,
                              Route::IntervalMenu, Route::CrystalMenu}) {
        const bool viaMenu = route == Route::IntervalMenu || route == Route::CrystalMenu;
        const Observed seen = act(route, text);
        QCOMPARE(seen.modeCount, 65536);
        QCOMPARE(seen.otherBox, (route == Route::Pass || route == Route::IntervalBox ||
                                 route == Route::IntervalMenu)
                                    ? QStringLiteral("12")
                                    : QStringLiteral("100"));
        if (viaMenu && text.isEmpty()) { // no answer: nothing happens
            QVERIFY(seen.messages.isEmpty());
            QCOMPARE(seen.results, startResults);
        } else if (meaning.isNull()) {
            QCOMPARE(seen.messages, QStringList{messages::fault});
            QCOMPARE(seen.results, startResults);
        } else {
            const Observed expected = act(route, meaning);
            QCOMPARE(seen.messages, expected.messages);
            QCOMPARE(seen.results, expected.results);
            QVERIFY(seen.messages.size() <= 1);
        }
    }
}

TICKORA_GUI_TEST_MAIN(TestBadInput)
#include "test_bad_input.moc"
