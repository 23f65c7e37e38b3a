#include "subcommands.h"

#include "calcpass.h"

#include "delay.h"

#include <QJsonArray>

namespace tickora::cli {
namespace {

// JSON numbers are the doubles nearest the exact figures; clocks are whole.
QJsonObject delayJson(const DelayRequest& request, const DelayResult& result,
                      CodeLanguage language) {
    QJsonArray registers;
    for (const std::string& name : result.registers)
        registers << fromUtf8(name);
    const bool perStep = request.kind == DelayKind::PerStep;
    QJsonObject object{
        {QStringLiteral("family"), fromUtf8(request.family.id)},
        {QStringLiteral("clock"), request.clock},
        {QStringLiteral("crystalMhz"), request.crystalMhz.toDouble()},
        {QStringLiteral("delayUs"), request.delayUs.toDouble()},
        {QStringLiteral("kind"), perStep ? QStringLiteral("argument") : QStringLiteral("fixed")},
        {QStringLiteral("name"), fromUtf8(result.name)},
        {QStringLiteral("clocks"), qint64(result.clocks)},
        {QStringLiteral("achievedUs"), result.achievedUs.toDouble()},
        {QStringLiteral("errorUs"), result.errorUs.toDouble()},
        {QStringLiteral("errorClocks"), (result.askedClocks - Exact(result.clocks)).toDouble()},
        {QStringLiteral("working"), fromUtf8(result.working)},
        {QStringLiteral("registers"), registers},
        {QStringLiteral("timer"), request.timer >= 0 ? QJsonValue(request.timer) : QJsonValue()},
        {QStringLiteral("uses"),
         usesJson(request.timer >= 0 ? UnitUses{request.timer, -1, {}} : UnitUses{})},
        {QStringLiteral("bytes"), delayBytes(request, result, language)}};
    if (perStep) {
        const DelayCall& call = result.call(language);
        object.insert(QStringLiteral("callClocks"), qint64(call.clocks));
        object.insert(QStringLiteral("zeroClocks"), qint64(call.zeroClocks));
        object.insert(QStringLiteral("callWorking"), fromUtf8(call.working));
    }
    return object;
}

// The timer a delay counts the overflows of, one the family offers.
int delayTimer(const Invocation& in, const ChipFamily& family) {
    const int timer = in.choice(QStringLiteral("timer"), 3);
    QStringList known;
    for (const int each : delayTimers(family))
        if (each == timer)
            return timer;
        else
            known << QString::number(each);
    throw Refusal{Usage, known.isEmpty()
                             ? fromUtf8(family.noAssembly)
                             : QStringLiteral("%1 没有可用来延时的定时器 %2（可用：%3）")
                                   .arg(fromUtf8(family.name))
                                   .arg(timer)
                                   .arg(known.join(QStringLiteral("、")))};
}

} // namespace

// The unit the delay window copies, in the language of --lang, or its figures.
Result runDelay(const Invocation& in, bool json) {
    const ChipFamily& family = in.family();
    const std::int32_t clock = in.clock(family);
    const CodeLanguage language = codeLanguage(in, true);
    const NumberText::Bounded crystal =
        in.numbers().parseCrystal(in.text(QStringLiteral("crystal")));
    if (!crystal.problem.isEmpty())
        throw Refusal{Refused, crystal.problem};
    const DelayRequest request{timeWithUnit(in, QStringLiteral("delay")),
                               crystal.value,
                               family,
                               clock,
                               in.has(QStringLiteral("argument")) ? DelayKind::PerStep
                                                                  : DelayKind::Fixed,
                               in.has(QStringLiteral("timer")) ? delayTimer(in, family) : -1};
    const auto result = planDelay(request);
    if (!result)
        throw Refusal{Refused, fromUtf8(delayProblem(request))};
    if (explains(in, json))
        return {workingQText(delayWorking(request, *result), in.numbers()).toUtf8(), {}};
    const std::string code = delayCode(request, *result, language);
    if (!json)
        return {QByteArray::fromStdString(code), {}};
    QJsonObject object = delayJson(request, *result, language);
    object.insert(QStringLiteral("code"), QString::fromStdString(code));
    return {jsonLine(object), {}};
}

} // namespace tickora::cli
