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

// Each value is stored as soon as it parses, as the pass has always done.
bool parseInto(const QString& intervalText, const QString& crystalText, CalcState& state,
               const NumberText& numbers) {
    const auto interval = numbers.parseSingle(intervalText);
    if (!interval)
        return false;
    state.timeUs = *interval;
    const auto crystal = numbers.parseSingle(crystalText);
    if (!crystal)
        return false;
    state.crystalMhz = *crystal;
    return true;
}

bool specifiedPass(const ChipFamily& family, std::int32_t clock) {
    return &family == &classicFamily() && clock == Clock12T;
}

// The pass itself, into state and timing: on the classic 8051 at 12T the single-precision one,
// whose counts the typed decimals then time; on every other chip and clock every figure from the
// typed decimals. Fault where a text is not a number.
CalcOutcome runPass(const QString& intervalText, const QString& crystalText, CalcState& state,
                    const ChipFamily& family, const NumberText& numbers, Timing& timing) {
    timing = {numbers.parseExact(intervalText), numbers.parseExact(crystalText), state.timerClock,
              state.modeCount};
    if (!parseInto(intervalText, crystalText, state, numbers))
        return CalcOutcome::Fault;
    if (specifiedPass(family, state.timerClock)) {
        const CalcOutcome outcome = calculate(state);
        if (outcome == CalcOutcome::Ok)
            timing.counts = std::int64_t{state.modeCount} - state.initValue;
        return outcome;
    }
    const CalcOutcome outcome = timeExactly(timing);
    if (outcome == CalcOutcome::Ok) {
        state.initValue = timing.initValue();
        state.cycleUs = static_cast<float>(timing.cycleUs().toDouble());
        state.initErrorUs = static_cast<float>(timing.errorUs().toDouble());
    }
    return outcome;
}

// The boxes as the single-precision pass has always filled them.
ResultTexts singleTexts(const CalcState& state, const NumberText& numbers) {
    return {NumberText::formatDecimal(state.maxTimeUs), NumberText::formatHex(state.initValue),
            numbers.formatFixed3(state.cycleUs), numbers.formatFixed3(state.initErrorUs)};
}

// The longest interval is cut, not rounded, to the µs/1000 below it, so whatever it shows is
// accepted.
ResultTexts exactTexts(const Timing& timing, const NumberText& numbers) {
    return {numbers.localized(timing.longestUs().cut(3), false),
            NumberText::formatHex(timing.initValue()),
            numbers.localized(timing.cycleUs().fixed(3), true),
            numbers.localized(timing.errorUs().fixed(3), true)};
}

} // namespace

std::optional<PassResult> cal(const QString& intervalText, const QString& crystalText,
                              CalcState& state, const ChipFamily& family, const NumberText& numbers,
                              DialogServices& dialogs) {
    Timing timing;
    const CalcOutcome outcome = runPass(intervalText, crystalText, state, family, numbers, timing);
    if (outcome != CalcOutcome::Ok) {
        dialogs.showMessage(messageFor(outcome));
        return std::nullopt;
    }
    return PassResult{specifiedPass(family, state.timerClock) ? singleTexts(state, numbers)
                                                              : exactTexts(timing, numbers),
                      timing};
}

QString routineTooShort(const TimerSetup& setup) {
    const TimerKind kind = setup.range != 0 ? TimerKind::Reload16 : setup.timerMode().kind;
    const std::int64_t fewest = minimumRoutineCounts(*setup.family, setup.timerClock, kind);
    if (setup.counts() >= fewest)
        return {};
    const Exact fewestUs = Exact(fewest) * Exact(setup.timerClock) / setup.crystalMhz;
    return QStringLiteral("定时时间太短，中断程序来不及：至少 %1 个计数（%2 uS）")
        .arg(fewest)
        .arg(QString::fromStdString(fewestUs.fixed(3)));
}

Working passWorking(const QString& intervalText, const QString& crystalText, CalcState state,
                    const ChipFamily& family, int mode, const NumberText& numbers) {
    if (mode < 0)
        return {"计算过程：定时器初始值", {}, {}, {"请先选择定时器方式（方式 0、1 或 2,3）。"}};
    state.modeCount = countsOf(family.modes[mode].kind);
    Timing timing;
    const CalcOutcome outcome = runPass(intervalText, crystalText, state, family, numbers, timing);
    return timerWorking(
        {family, mode, timing, state, outcome, specifiedPass(family, state.timerClock)});
}

QString workingQText(const Working& working, const NumberText& numbers) {
    return QString::fromStdString(workingText(working, [&](const std::string& ascii) {
        if (ascii.find_first_of("eE") != std::string::npos)
            return ascii; // a float's exponent: as printed
        return (ascii[0] == '+' ? numbers.localizedSigned(ascii.substr(1))
                                : numbers.localized(ascii, false))
            .toStdString();
    }));
}

QString oneModeTooLong(int timer, const TimerSetup& asked) {
    const Exact countUs = Exact(asked.timerClock) / asked.crystalMhz;
    if (asked.timeUs * Exact(2) < countUs)
        return QStringLiteral("定时器 %1 的一个计数就要 %2 uS，定时时间不到半个计数")
            .arg(timer)
            .arg(QString::fromStdString(countUs.fixed(3)));
    const ReloadTimer* row = reloadTimer(*asked.family, timer);
    const int divisor = row && row->prescaler != 0 ? mostPrescale + 1 : 1;
    return QStringLiteral("定时器 %1 只有 16 位自动重装方式，最长 %2 uS%3，超出定时范围")
        .arg(timer)
        .arg(QString::fromStdString((Exact(65536) * Exact(divisor) * countUs).fixed(3)),
             divisor > 1 ? QStringLiteral("（预分频 256 时）") : QString());
}

} // namespace tickora
