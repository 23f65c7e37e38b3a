// The numeric core against hand-worked examples.
#include "calculator.h"
#include "numbertext.h"

#include <QTest>

using namespace tickora;

Q_DECLARE_METATYPE(tickora::CalcOutcome)

namespace {
// Values no calculation produces, to see which fields a calculation leaves alone.
constexpr std::int32_t untouchedInit = 12345;
constexpr float untouchedError = 42.25f;

CalcState seeded(float t, float f, std::int32_t n) {
    CalcState state;
    state.timeUs = t;
    state.crystalMhz = f;
    state.modeCount = n;
    state.initValue = untouchedInit;
    state.initErrorUs = untouchedError;
    state.maxTimeUs = -7;
    state.cycleUs = -7;
    return state;
}
} // namespace

class TestCalculator : public QObject {
    Q_OBJECT
private slots:
    void workedExamples_data();
    void workedExamples();
    void faultsAndBadCrystal_data();
    void faultsAndBadCrystal();
};

void TestCalculator::workedExamples_data() {
    QTest::addColumn<float>("t");
    QTest::addColumn<float>("f");
    QTest::addColumn<int>("n");
    QTest::addColumn<CalcOutcome>("outcome");
    QTest::addColumn<int>("maxTime");
    QTest::addColumn<QString>("initValue"); // hex text, or empty when unchanged
    QTest::addColumn<QString>("cycle");
    QTest::addColumn<QString>("error"); // empty when unchanged

    const auto ok = CalcOutcome::Ok;
    const auto out = CalcOutcome::OutOfRange;
    // clang-format off
    QTest::newRow("mode 0, 100us at 12MHz") << 100.f << 12.f << 8192 << ok << 8192 << "1F9C" << "1.000" << "0.000";
    QTest::newRow("mode 1, 100us at 12MHz") << 100.f << 12.f << 65536 << ok << 65536 << "FF9C" << "1.000" << "0.000";
    QTest::newRow("mode 2, 100us at 12MHz") << 100.f << 12.f << 256 << ok << 256 << "9C" << "1.000" << "0.000";
    QTest::newRow("mode 1, 50ms at 11.0592") << 50000.f << 11.0592f << 65536 << ok << 71111 << "4C00" << "1.085" << "0.001";
    QTest::newRow("mode 1, 1ms at 11.0592") << 1000.f << 11.0592f << 65536 << ok << 71111 << "FC66" << "1.085" << "-0.434";
    QTest::newRow("mode 2, 250us at 11.0592") << 250.f << 11.0592f << 256 << ok << 278 << "1A" << "1.085" << "0.434";
    QTest::newRow("mode 0, 1ms at 6MHz") << 1000.f << 6.f << 8192 << ok << 16384 << "1E0C" << "2.000" << "0.000";
    QTest::newRow("mode 2, 20us at 24MHz") << 20.f << 24.f << 256 << ok << 128 << "D8" << "0.500" << "0.000";
    QTest::newRow("longest interval exactly") << 65536.f << 12.f << 65536 << ok << 65536 << "0" << "1.000" << "0.000";
    QTest::newRow("one machine cycle") << 1.f << 12.f << 256 << ok << 256 << "FF" << "1.000" << "0.000";
    // Half a microsecond beyond q×N: the longest interval the timer can do, never -1.
    QTest::newRow("beyond q*N loads 0") << 77.f << 40.f << 256 << ok << 77 << "0" << "0.300" << "0.200";
    // 154.5 counts: a tie goes to the even neighbour.
    QTest::newRow("count tie to even") << 101.5f << 12.f << 256 << ok << 256 << "9A" << "1.000" << "-0.500";
    QTest::newRow("mode 0 too long at 11.0592") << 10000.f << 11.0592f << 8192 << out << 8889 << "" << "1.085" << "";
    QTest::newRow("one beyond mode 1") << 65537.f << 12.f << 65536 << out << 65536 << "" << "1.000" << "";
    QTest::newRow("half a cycle") << 0.5f << 12.f << 256 << out << 256 << "" << "1.000" << "";
    QTest::newRow("no mode chosen") << 100.f << 12.f << 0 << out << 0 << "" << "1.000" << "";
    QTest::newRow("negative crystal") << 100.f << -12.f << 256 << out << -256 << "" << "-1.000" << "";
    // q×N = 0.5 exactly rounds to 0, so 1us is beyond it.
    QTest::newRow("longest interval tie to even") << 1.f << 6144.f << 256 << out << 0 << "" << "0.002" << "";
    // A negative crystal gives a negative cycle that a zero or negative interval clears.
    QTest::newRow("zero interval, negative crystal") << 0.f << -1e9f << 256 << out << 0 << "" << "-0.000" << "";
    QTest::newRow("negative interval, no mode") << -0.5f << -12.f << 0 << out << 0 << "" << "-1.000" << "";
    // clang-format on
}

void TestCalculator::workedExamples() {
    QFETCH(float, t);
    QFETCH(float, f);
    QFETCH(int, n);
    QFETCH(CalcOutcome, outcome);
    QFETCH(int, maxTime);
    QFETCH(QString, initValue);
    QFETCH(QString, cycle);
    QFETCH(QString, error);

    const NumberText numbers(QLocale(QLocale::English, QLocale::UnitedStates));
    CalcState state = seeded(t, f, n);
    QCOMPARE(calculate(state), outcome);
    QCOMPARE(state.maxTimeUs, maxTime);
    QCOMPARE(QLocale::c().toString(state.cycleUs, 'f', 3), cycle);
    if (initValue.isEmpty()) {
        QCOMPARE(state.initValue, untouchedInit);
        QCOMPARE(state.initErrorUs, untouchedError);
    } else {
        QCOMPARE(NumberText::formatHex(state.initValue), initValue);
        QCOMPARE(numbers.formatFixed3(state.initErrorUs), error);
    }
}

void TestCalculator::faultsAndBadCrystal_data() {
    QTest::addColumn<float>("t");
    QTest::addColumn<float>("f");
    QTest::addColumn<int>("n");
    QTest::addColumn<CalcOutcome>("outcome");

    // clang-format off
    QTest::newRow("zero crystal") << 100.f << 0.f << 256 << CalcOutcome::BadCrystal;
    QTest::newRow("negative zero crystal") << 100.f << -0.f << 65536 << CalcOutcome::BadCrystal;
    QTest::newRow("cycle beyond float") << 100.f << 3e-38f << 256 << CalcOutcome::Fault;
    QTest::newRow("longest interval beyond 32 bits") << 100.f << 0.0001f << 65536 << CalcOutcome::Fault;
    QTest::newRow("same crystal, 8-bit mode") << 100.f << 0.0001f << 256 << CalcOutcome::OutOfRange;
    QTest::newRow("count beyond float") << 3e38f << 1200.f << 256 << CalcOutcome::Fault;
    // clang-format on
}

void TestCalculator::faultsAndBadCrystal() {
    QFETCH(float, t);
    QFETCH(float, f);
    QFETCH(int, n);
    QFETCH(CalcOutcome, outcome);

    CalcState state = seeded(t, f, n);
    const CalcState before = state;
    QCOMPARE(calculate(state), outcome);
    QCOMPARE(state.initValue, untouchedInit);
    QCOMPARE(state.initErrorUs, untouchedError);
    if (outcome == CalcOutcome::BadCrystal) {
        QCOMPARE(state.cycleUs, before.cycleUs);
        QCOMPARE(state.maxTimeUs, before.maxTimeUs);
    }
}

QTEST_GUILESS_MAIN(TestCalculator)
#include "test_calculator.moc"
