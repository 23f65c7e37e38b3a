// Properties every result must have, over every whole-microsecond interval a mode accepts at
// the common crystals, rather than a handful of examples.
#include "calculator.h"

#include <QTest>

#include <cmath>

using namespace tickora;

class TestInvariants : public QObject {
    Q_OBJECT
private slots:
    void everyAcceptedInterval_data();
    void everyAcceptedInterval();
};

void TestInvariants::everyAcceptedInterval_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("crystal");
    const float crystals[] = {1,        1.8432f, 3.579545f, 4,  6,        7.3728f, 8,  11.0592f, 12,
                              14.7456f, 16,      18.432f,   20, 22.1184f, 24,      33, 40};
    for (const int mode : {8192, 65536, 256})
        for (const float crystal : crystals)
            QTest::addRow("N=%d f=%g", mode, double(crystal)) << mode << crystal;
}

namespace {

// The first broken property for one interval, or an empty text. Plain checks rather than
// QCOMPARE per interval keep the sweep of over two million intervals fast.
QString brokenProperty(int mode, float crystal, int interval) {
    const double q = 12.0 / double(crystal);
    const double longest = q * mode;
    const auto acceptedUpTo = static_cast<int>(std::nearbyint(longest));
    const double floatEpsilon = std::ldexp(1.0, -23);

    CalcState state;
    state.timeUs = float(interval);
    state.crystalMhz = crystal;
    state.modeCount = mode;
    const CalcOutcome outcome = calculate(state);

    if (interval > acceptedUpTo || interval < q * (1 - floatEpsilon))
        return outcome == CalcOutcome::OutOfRange ? QString() : QStringLiteral("not out of range");
    if (outcome != CalcOutcome::Ok && interval >= state.cycleUs)
        return QStringLiteral("not Ok");
    if (outcome != CalcOutcome::Ok)
        return {}; // within a float rounding of one cycle, either way is right
    if (state.initValue < 0 || state.initValue > mode - 1)
        return QStringLiteral("initial value %1 outside the timer").arg(state.initValue);

    const double given = q * (mode - state.initValue) + state.initErrorUs;
    if (std::abs(given - interval) > interval * floatEpsilon)
        return QStringLiteral("count and error give %1").arg(given, 0, 'g', 17);

    if (interval > longest) {
        // The half-microsecond band beyond q×N: the longest interval the timer can do.
        if (state.initValue != 0 ||
            std::abs(state.initErrorUs - (interval - longest)) > interval * floatEpsilon)
            return QStringLiteral("beyond q*N but not the longest interval");
        return {};
    }
    // Half a cycle, plus what storing the exact count as float may have rounded away.
    const double exactCount = mode - interval / q;
    const double countRounding =
        exactCount == 0 ? 0.0 : std::ldexp(1.0, std::ilogb(exactCount) - 24);
    const double bound = q * (0.5 + countRounding) + interval * floatEpsilon;
    if (std::abs(state.initErrorUs) > bound)
        return QStringLiteral("error %1 beyond %2").arg(state.initErrorUs).arg(bound);
    return {};
}

} // namespace

void TestInvariants::everyAcceptedInterval() {
    QFETCH(int, mode);
    QFETCH(float, crystal);

    const auto acceptedUpTo = static_cast<int>(std::nearbyint(12.0 / double(crystal) * mode));
    for (int interval = 1; interval <= acceptedUpTo + 1; ++interval) {
        const QString broken = brokenProperty(mode, crystal, interval);
        if (!broken.isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 us: %2").arg(interval).arg(broken)));
    }
}

QTEST_GUILESS_MAIN(TestInvariants)
#include "test_invariants.moc"
