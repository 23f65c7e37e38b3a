#include "subcommands.h"

#include "calcpass.h"
#include "wave.h"

#include <QJsonArray>

#include <algorithm>
#include <cstring>

namespace tickora::cli {
namespace {

// "38kHz", "1 kHz", "50Hz", "1.5MHz" or a plain number of Hz, read as the window reads numbers.
Exact frequencyWithUnit(const Invocation& in) {
    QString text = in.text(QStringLiteral("frequency")).trimmed();
    std::int64_t scale = 1;
    for (const auto& [unit, factor] : {std::pair{"mhz", 1'000'000}, {"khz", 1000}, {"hz", 1}})
        if (text.endsWith(QString::fromLatin1(unit), Qt::CaseInsensitive)) {
            text.chop(int(std::strlen(unit)));
            scale = factor;
            break;
        }
    return in.numbers().parseExact(text.trimmed()) * Exact(scale);
}

QString reloadText(const WaveWay& way) {
    return QStringLiteral("%1")
        .arg(way.reload, countsOf(way.kind) > 256 ? 4 : 2, 16, QLatin1Char('0'))
        .toUpper();
}

// What the table says beside a way: why it makes no wave, or what to know of it.
QString remarkOf(const WaveWay& way) {
    if (!way.problem.empty())
        return fromUtf8(way.problem);
    QStringList remarks;
    if (way.clockOutput)
        remarks << QStringLiteral("不占 CPU");
    if (way.drifts)
        remarks << QStringLiteral("每半周期略长");
    if (way.tie)
        remarks << QStringLiteral("两侧计数一样近");
    return remarks.join(QStringLiteral("，"));
}

QJsonObject wayJson(const WaveWay& way) {
    const bool made = way.problem.empty();
    return {
        {QStringLiteral("timer"), way.timer},
        {QStringLiteral("clockOutput"), way.clockOutput},
        {QStringLiteral("mode"), way.mode >= 0 ? QJsonValue(way.mode) : QJsonValue()},
        {QStringLiteral("pin"), fromUtf8(way.pin)},
        {QStringLiteral("counts"), made ? QJsonValue(qint64(way.counts)) : QJsonValue()},
        {QStringLiteral("reload"),
         made ? QJsonValue(QStringLiteral("0x") + reloadText(way)) : QJsonValue()},
        {QStringLiteral("achievedHz"), made ? QJsonValue(way.achievedHz.toDouble()) : QJsonValue()},
        {QStringLiteral("errorPercent"),
         made ? QJsonValue(way.errorPercent.toDouble()) : QJsonValue()},
        {QStringLiteral("exact"), way.exact},
        {QStringLiteral("tie"), way.tie},
        {QStringLiteral("drifts"), way.drifts},
        {QStringLiteral("problem"), fromUtf8(way.problem)}};
}

QByteArray waveTable(const std::vector<WaveWay>& ways, const NumberText& numbers) {
    const QString none = QStringLiteral("—");
    QStringList lines{QStringLiteral("方法\t重装值\t实际(Hz)\t误差(%，实际−要求)\t引脚\t说明")};
    for (const WaveWay& way : ways) {
        const bool made = way.problem.empty();
        lines << QStringList{fromUtf8(way.label),
                             made ? reloadText(way) : none,
                             made ? numbers.localized(way.achievedHz.fixed(3), false) : none,
                             made ? numbers.localizedSigned(way.errorPercent.fixed(3)) : none,
                             fromUtf8(way.pin),
                             remarkOf(way)}
                     .join(QLatin1Char('\t'));
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace

// The wave window's table, or the chosen way's code or working: the best, or --timer's best.
Result runWave(const Invocation& in, bool json) {
    const ChipFamily& family = in.family();
    const bool printsCode = in.has(QStringLiteral("code")), explained = explains(in, json);
    const CodeLanguage language = codeLanguage(in, printsCode);
    const NumberText::Bounded crystal =
        in.numbers().parseCrystal(in.text(QStringLiteral("crystal")));
    if (!crystal.problem.isEmpty())
        throw Refusal{Refused, crystal.problem};
    const WaveRequest request{frequencyWithUnit(in), crystal.value, family, in.clock(family)};
    if (const std::string problem = waveProblem(request); !problem.empty())
        throw Refusal{Refused, fromUtf8(problem)};
    const std::vector<WaveWay> ways = waveWays(request);
    const WaveWay* chosen = &ways.front();
    if (in.has(QStringLiteral("timer"))) {
        const int timer = in.choice(QStringLiteral("timer"), 5);
        const auto found = std::find_if(ways.begin(), ways.end(),
                                        [timer](const WaveWay& way) { return way.timer == timer; });
        if (found == ways.end())
            throw Refusal{Usage, QStringLiteral("%1 没有用定时器 %2 的方波方法")
                                     .arg(fromUtf8(family.name))
                                     .arg(timer)};
        chosen = &*found;
    }
    if (explained) {
        const QString text = workingQText(waveWorking(request, *chosen), in.numbers());
        if (!chosen->problem.empty())
            throw Refusal{Refused, fromUtf8(chosen->problem) + QStringLiteral("\n\n") + text};
        return {text.toUtf8(), {}};
    }
    std::optional<std::string> code;
    if (printsCode && !(code = waveCode(request, *chosen, language)))
        throw Refusal{Refused, fromUtf8(chosen->problem)};
    if (json) {
        QJsonArray array;
        for (const WaveWay& way : ways)
            array << wayJson(way);
        QJsonObject object{{QStringLiteral("family"), fromUtf8(family.id)},
                           {QStringLiteral("clock"), request.clock},
                           {QStringLiteral("crystalMhz"), request.crystalMhz.toDouble()},
                           {QStringLiteral("frequencyHz"), request.frequencyHz.toDouble()},
                           {QStringLiteral("ways"), array}};
        if (code) {
            object.insert(QStringLiteral("uses"),
                          usesJson(chosen->clockOutput ? UnitUses{chosen->timer, -1, {}}
                                                       : timerUses(family, chosen->timer)));
            object.insert(QStringLiteral("code"), QString::fromStdString(*code));
        }
        return {jsonLine(object), {}};
    }
    return {code ? QByteArray::fromStdString(*code) : waveTable(ways, in.numbers()), {}};
}

} // namespace tickora::cli
