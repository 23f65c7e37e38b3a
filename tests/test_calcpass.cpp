// The calculation pass: result texts, or exactly one message naming the cause.
#include "calcpass.h"
#include "fakedialogs.h"
#include "numbertext.h"

#include <QTest>

using namespace tickora;

class TestCalcPass : public QObject {
    Q_OBJECT
private slots:
    void oneOutcomePerPass_data();
    void oneOutcomePerPass();
    void storesIntervalBeforeCrystalFails();
};

void TestCalcPass::oneOutcomePerPass_data() {
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("crystal");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("message"); // empty when the pass succeeds
    QTest::addColumn<QStringList>("results");

    const QStringList none;
    // clang-format off
    QTest::newRow("typical request") << "100" << "12" << 65536 << "" << QStringList{"65536", "FF9C", "1.000", "0.000"};
    QTest::newRow("grouped cycle and error") << "100000" << "0.006" << 8192 << "" << QStringList{"16384000", "1FCE", "2,000.000", "0.001"};
    QTest::newRow("empty interval") << "" << "12" << 65536 << messages::fault << none;
    QTest::newRow("letters in interval") << "abc" << "12" << 65536 << messages::fault << none;
    QTest::newRow("letters in crystal") << "100" << "12MHz" << 65536 << messages::fault << none;
    QTest::newRow("both bad, one message") << "x" << "y" << 65536 << messages::fault << none;
    QTest::newRow("zero crystal") << "100" << "0" << 65536 << messages::badCrystal << none;
    QTest::newRow("zero crystal, bad interval") << "x" << "0" << 65536 << messages::fault << none;
    QTest::newRow("before any mode") << "100" << "12" << 0 << messages::outOfRange << none;
    QTest::newRow("zero interval") << "0" << "12" << 256 << messages::outOfRange << none;
    QTest::newRow("interval beyond float") << "1e39" << "12" << 256 << messages::fault << none;
    QTest::newRow("longest interval beyond 32 bits") << "100" << "0.0001" << 65536 << messages::fault << none;
    QTest::newRow("tiny crystal is a fault") << "100" << "3e-38" << 256 << messages::fault << none;
    // clang-format on
}

void TestCalcPass::oneOutcomePerPass() {
    QFETCH(QString, interval);
    QFETCH(QString, crystal);
    QFETCH(int, mode);
    QFETCH(QString, message);
    QFETCH(QStringList, results);

    test::FakeDialogs dialogs;
    CalcState state;
    state.modeCount = mode;
    const auto texts = cal(interval, crystal, state,
                           NumberText(QLocale(QLocale::English, QLocale::UnitedStates)), dialogs);
    if (message.isEmpty()) {
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(texts.has_value());
        QCOMPARE((QStringList{texts->maxTime, texts->initValue, texts->cycle, texts->error}),
                 results);
    } else {
        QVERIFY(!texts.has_value());
        QCOMPARE(dialogs.messages, QStringList{message});
    }
}

void TestCalcPass::storesIntervalBeforeCrystalFails() {
    test::FakeDialogs dialogs;
    CalcState state;
    state.modeCount = 256;
    state.crystalMhz = 6;
    QVERIFY(!cal(QStringLiteral("50"), QStringLiteral("?"), state, NumberText(), dialogs));
    QCOMPARE(state.timeUs, 50.f);
    QCOMPARE(state.crystalMhz, 6.f);
}

QTEST_GUILESS_MAIN(TestCalcPass)
#include "test_calcpass.moc"
