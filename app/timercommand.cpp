#include "subcommands.h"

#include "calcpass.h"
#include "dialogservices.h"
#include "registers.h"
#include "timing.h"

namespace tickora::cli {
namespace {

class CapturedMessage : public DialogServices {
public:
    void showMessage(const QString& text) override { message = text; }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QString message;
};

QString byteText(std::uint8_t value) { return QString::fromStdString(registerByteText(value)); }

struct TimerRun {
    ResultTexts texts;
    Timing timing;
    TimerSetup setup;
    TimerRegisters registers;
};

// The window's own pass over the two texts, so the same input gives the same numbers and
// the same refusal.
TimerRun calculateTimer(const Invocation& in) {
    const ChipFamily& family = in.family();
    const int mode = in.choice(QStringLiteral("mode"), 3);
    CalcState state;
    state.timerClock = in.clock(family);
    state.modeCount = countsOf(family.modes[mode].kind);
    const QString interval = in.text(QStringLiteral("interval"));
    const QString crystal = in.text(QStringLiteral("crystal"));
    CapturedMessage dialogs;
    const auto result = cal(interval, crystal, state, family, in.numbers(), dialogs);
    if (!result)
        throw Refusal{Refused, dialogs.message};
    const TimerSetup setup{state.initValue,           mode,
                           result->timing.intervalUs, result->timing.crystalMhz,
                           state.timerClock,          &family};
    const auto registers = splitRegisters(state.initValue, setup.timerMode());
    if (!registers)
        throw Refusal{Refused, messages::outOfRange};
    return {result->texts, result->timing, setup, *registers};
}

// JSON numbers are the doubles nearest the exact figures.
QJsonObject timerJson(const TimerRun& run) {
    const Timing& timing = run.timing;
    return {{QStringLiteral("family"), fromUtf8(run.setup.family->id)},
            {QStringLiteral("clock"), timing.clock},
            {QStringLiteral("mode"), run.setup.mode},
            {QStringLiteral("crystalMhz"), timing.crystalMhz.toDouble()},
            {QStringLiteral("intervalUs"), timing.intervalUs.toDouble()},
            {QStringLiteral("initValue"), timing.initValue()},
            {QStringLiteral("th"), byteText(run.registers.th)},
            {QStringLiteral("tl"), byteText(run.registers.tl)},
            {QStringLiteral("longestUs"), timing.longestUs().toDouble()},
            {QStringLiteral("cycleUs"), timing.cycleUs().toDouble()},
            {QStringLiteral("errorUs"), timing.errorUs().toDouble()},
            {QStringLiteral("achievedUs"), timing.achievedUs().toDouble()},
            {QStringLiteral("achievedErrorPercent"), timing.errorPercent().toDouble()}};
}

} // namespace

// The window's working for the same texts; a refusal carries it after its message.
Result explainTimer(const Invocation& in) {
    const ChipFamily& family = in.family();
    CalcState state;
    state.timerClock = in.clock(family);
    const QString text = workingQText(
        passWorking(in.text(QStringLiteral("interval")), in.text(QStringLiteral("crystal")), state,
                    family, in.choice(QStringLiteral("mode"), 3), in.numbers()),
        in.numbers());
    try {
        calculateTimer(in);
    } catch (const Refusal& refusal) {
        throw Refusal{refusal.status, refusal.message + QStringLiteral("\n\n") + text};
    }
    return {text.toUtf8(), {}};
}

Result runTimer(const Invocation& in, bool json) {
    if (explains(in, json))
        return explainTimer(in);
    const TimerRun run = calculateTimer(in);
    if (json)
        return {jsonLine(timerJson(run)), {}};
    const NumberText& numbers = in.numbers();
    return {QStringLiteral("initial value: %1\nTHx: %2\nTLx: %3\nlongest interval (us): %4\n"
                           "cycle (us): %5\nerror (us): %6\nachieved interval (us): %7\n"
                           "achieved error (%): %8\n")
                .arg(run.texts.initValue, byteText(run.registers.th), byteText(run.registers.tl),
                     numbers.ungrouped(run.texts.maxTime), numbers.ungrouped(run.texts.cycle),
                     numbers.ungrouped(run.texts.error),
                     numbers.localized(run.timing.achievedUs().fixed(3), false),
                     numbers.localizedSigned(run.timing.errorPercent().fixed(3)))
                .toUtf8(),
            {}};
}

// The timer the code is for, one the family has.
int codeTimer(const Invocation& in, const ChipFamily& family) {
    const int timer = in.choice(QStringLiteral("timer"), 5);
    QStringList known;
    for (const int each : timersOf(family))
        if (each == timer)
            return timer;
        else
            known << QString::number(each);
    throw Refusal{Usage, QStringLiteral("%1 没有定时器 %2（可用：%3）")
                             .arg(fromUtf8(family.name))
                             .arg(timer)
                             .arg(known.join(QStringLiteral("、")))};
}

// What timer 2, 3 or 4 times of the interval asked, in its one mode whatever --mode says; the
// window's words where a text is no number or the crystal not above zero.
TimerSetup oneModeSetup(const Invocation& in, const ChipFamily& family, int timer) {
    const Exact us = in.numbers().parseExact(in.text(QStringLiteral("interval")));
    const Exact mhz = in.numbers().parseExact(in.text(QStringLiteral("crystal")));
    if (!us.valid() || !mhz.valid())
        throw Refusal{Refused, messages::fault};
    if (!(mhz > Exact(0)))
        throw Refusal{Refused, messages::badCrystal};
    const TimerSetup asked{0, 0, us, mhz, in.clock(family), &family};
    const auto setup = us > Exact(0) ? reloadTimerSetup(asked, timer) : std::nullopt;
    if (!setup)
        throw Refusal{Refused, oneModeTooLong(timer, asked)};
    return *setup;
}

// Exactly the unit the window copies for the same values: timers 2 to 4 time the interval with
// their one mode and need no --mode.
Result runCode(const Invocation& in, bool json) {
    const ChipFamily& family = in.family();
    const int timer = codeTimer(in, family);
    const CodeLanguage language = codeLanguage(in, true);
    if (in.has(QStringLiteral("mode")))
        in.choice(QStringLiteral("mode"), 3); // checked even where it does not count
    const std::optional<TimerRun> run =
        timer < 2 ? std::optional(calculateTimer(in)) : std::nullopt;
    const TimerSetup setup = run ? run->setup : oneModeSetup(in, family, timer);
    const auto code = timerInitCode(timer, setup, language);
    if (!code)
        throw Refusal{Refused, routineTooShort(setup)};
    if (!json)
        return {QByteArray::fromStdString(*code), {}};
    QJsonObject object =
        run ? timerJson(*run)
            : QJsonObject{{QStringLiteral("family"), fromUtf8(family.id)},
                          {QStringLiteral("clock"), setup.timerClock},
                          {QStringLiteral("crystalMhz"), setup.crystalMhz.toDouble()},
                          {QStringLiteral("intervalUs"), setup.timeUs.toDouble()},
                          {QStringLiteral("prescale"), setup.prescale},
                          {QStringLiteral("achievedUs"), setup.achievedUs().toDouble()},
                          {QStringLiteral("errorUs"), setup.errorUs().toDouble()}};
    object.insert(QStringLiteral("timer"), timer);
    object.insert(QStringLiteral("codeValue"), setup.initValue);
    object.insert(QStringLiteral("uses"), usesJson(timerUses(family, timer)));
    object.insert(QStringLiteral("code"), QString::fromStdString(*code));
    return {jsonLine(object), {}};
}

} // namespace tickora::cli
