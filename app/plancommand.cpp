#include "subcommands.h"

#include "calcpass.h"
#include "plan.h"

#include <QJsonArray>

#include <optional>

namespace tickora::cli {
namespace {

QString hexOf(std::int64_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString reloadOf(const TickPlan& plan) {
    return hexOf(plan.reload, plan.timer->kind == TimerKind::Reload8 ? 2 : 4);
}

QJsonObject planJson(const TickPlan& plan, const ChipFamily& family) {
    return {{QStringLiteral("timer"), fromUtf8(plan.timer->id)},
            {QStringLiteral("uses"), usesJson(timerUses(family, plan.timer->timer))},
            {QStringLiteral("countsPerTick"), qint64(plan.countsPerTick)},
            {QStringLiteral("prescale"), plan.prescale},
            {QStringLiteral("ticks"), qint64(plan.ticks)},
            {QStringLiteral("reload"), QStringLiteral("0x") + reloadOf(plan)},
            {QStringLiteral("tickUs"), plan.tickUs.toDouble()},
            {QStringLiteral("achievedUs"), plan.achievedUs.toDouble()},
            {QStringLiteral("errorUs"), plan.errorUs.toDouble()},
            {QStringLiteral("exact"), plan.exact},
            {QStringLiteral("lateReload"), plan.lateReload},
            {QStringLiteral("reloadsItself"), reloadsItself(plan.timer->kind)}};
}

// The plan window's columns; the error signed as asked for less achieved. A plan whose routine
// reloads late shows what its counts give, and "≤": each tick runs a few clocks longer.
QByteArray planTable(const std::vector<TickPlan>& plans, const NumberText& numbers) {
    QStringList lines{QStringLiteral("定时器\t每次计数\t重装值\t次数\t实际(uS)\t"
                                     "误差(uS，要求−实际)\t精确")};
    for (const TickPlan& plan : plans)
        lines << QStringList{fromUtf8(plan.timer->label),
                             fromUtf8(countsText(plan)),
                             reloadOf(plan),
                             QString::number(plan.ticks),
                             numbers.localized(plan.achievedUs.fixed(3), false),
                             (plan.lateReload ? QStringLiteral("≤ ") : QString()) +
                                 numbers.localizedSigned(plan.errorUs.fixed(3)),
                             plan.exact        ? QStringLiteral("是")
                             : plan.lateReload ? QStringLiteral("否（每次略长）")
                                               : QStringLiteral("否")}
                     .join(QLatin1Char('\t'));
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace

// The plan window's table, or the chosen plan's code.
Result runPlan(const Invocation& in, bool json) {
    const ChipFamily& family = in.family();
    const bool printsCode = in.has(QStringLiteral("code")), explained = explains(in, json);
    if (in.has(QStringLiteral("plan")) && !printsCode && !explained)
        throw Refusal{Usage, QStringLiteral("--plan 需要 --code 或 --explain")};
    const CodeLanguage language = codeLanguage(in, printsCode);
    const std::int32_t clock = in.clock(family);
    const NumberText::Bounded typed = in.numbers().parseCrystal(in.text(QStringLiteral("crystal")));
    if (!typed.problem.isEmpty())
        throw Refusal{Refused, typed.problem};
    const Exact& crystal = typed.value;
    const PlanRequest request{timeWithUnit(in, QStringLiteral("interval")), crystal, family, clock};
    if (const std::string problem = planProblem(request); !problem.empty())
        throw Refusal{Refused, fromUtf8(problem)};
    const auto plans = planInterval(request);
    // --plan counts from 1, as the table's rows are read.
    const int chosen = in.has(QStringLiteral("plan")) ? in.text(QStringLiteral("plan")).toInt() : 1;
    if (chosen < 1 || chosen > int(plans.size()))
        throw Refusal{Usage, QStringLiteral("--plan 只能是 1 到 %1").arg(plans.size())};
    const TickPlan& plan = plans[std::size_t(chosen - 1)];
    if (explained)
        return {workingQText(planWorking(request, plan, chosen, false), in.numbers()).toUtf8(), {}};
    std::optional<std::string> code;
    if (printsCode && !(code = tickPlanCode(plan, request, language)))
        throw Refusal{Refused, fromUtf8(planCodeProblem(plan))};
    if (json) {
        QJsonArray array;
        for (const TickPlan& each : plans)
            array << planJson(each, family);
        QJsonObject object{{QStringLiteral("family"), fromUtf8(family.id)},
                           {QStringLiteral("clock"), request.clock},
                           {QStringLiteral("crystalMhz"), crystal.toDouble()},
                           {QStringLiteral("intervalUs"), request.intervalUs.toDouble()},
                           {QStringLiteral("plans"), array}};
        if (code)
            object.insert(QStringLiteral("code"), QString::fromStdString(*code));
        return {jsonLine(object), {}};
    }
    if (code)
        return {QByteArray::fromStdString(*code), {}};
    return {planTable(plans, in.numbers()), {}};
}

} // namespace tickora::cli
