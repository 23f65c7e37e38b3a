#include "calcpass.h"

#include "dialogservices.h"
#include "numbertext.h"
#include "registers.h"

namespace tickora {
namespace {

const QString& messageFor(CalcOutcome outcome) {
    switch (outcome) {
    case CalcOutcome::BadCrystal:
        return messages::badCrystal;
    case CalcOutcome::OutOfRange:
        return messages::outOfRange;
    case CalcOutcome::Ok:
    case CalcOutcome::Fault:
        break;
    }
    return messages::fault;
}

CalcOutcome parseAndCalculate(const QString& intervalText, const QString& crystalText,
                              CalcState& state, const NumberText& numbers) {
    // Each value is stored as soon as it parses, as the pass has always done.
    const auto interval = numbers.parseSingle(intervalText);
    if (!interval)
        return CalcOutcome::Fault;
    state.timeUs = *interval;
    const auto crystal = numbers.parseSingle(crystalText);
    if (!crystal)
        return CalcOutcome::Fault;
    state.crystalMhz = *crystal;
    return calculate(state);
}

} // namespace

std::optional<ResultTexts> cal(const QString& intervalText, const QString& crystalText,
                               CalcState& state, const NumberText& numbers,
                               DialogServices& dialogs) {
    const CalcOutcome outcome = parseAndCalculate(intervalText, crystalText, state, numbers);
    if (outcome != CalcOutcome::Ok) {
        dialogs.showMessage(messageFor(outcome));
        return std::nullopt;
    }
    // Beyond 12T the longest interval is shown to the µs/1000 below it, which is still accepted.
    const QString longest = state.timerClock == Clock12T
                                ? NumberText::formatDecimal(state.maxTimeUs)
                                : numbers.formatUpTo3(longestIntervalUs(state));
    return ResultTexts{longest, NumberText::formatHex(state.initValue),
                       numbers.formatFixed3(state.cycleUs),
                       numbers.formatFixed3(state.initErrorUs)};
}

QString routineTooShort(const TimerSetup& setup) {
    const TimerKind kind = setup.timerMode().kind;
    const std::int64_t fewest = minimumRoutineCounts(*setup.family, setup.timerClock, kind);
    if (countsOf(kind) - setup.initValue >= fewest)
        return {};
    return QStringLiteral("定时时间太短，中断程序来不及：至少 %1 个计数（%2 uS）")
        .arg(fewest)
        .arg(double(fewest) * setup.timerClock / setup.crystalMhz, 0, 'f', 3);
}

} // namespace tickora
