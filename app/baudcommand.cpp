#include "subcommands.h"

#include "baudrate.h"
#include "bounds.h"
#include "calcpass.h"

#include <QJsonArray>

#include <optional>

namespace tickora::cli {
namespace {

struct BaudRow {
    Exact baud;
    std::optional<BaudSetting> setting;
    QString remark;
};

// As the baud window remarks a row: why it is unusable and which generator does better.
BaudRow baudRow(const ChipFamily& family, const BaudGenerator& generator, const Exact& crystalMhz,
                std::int32_t clock, const Exact& baud) {
    const auto setting = baudSetting(generator, crystalMhz, clock, baud);
    return {baud, setting,
            QString::fromStdString(
                baudRemark(family, crystalMhz, clock, baud, setting, generator.uart))};
}

QString reloadText(const BaudGenerator& generator, std::int32_t reload) {
    return QStringLiteral("%1")
        .arg(reload, generator.reloadBits / 4, 16, QLatin1Char('0'))
        .toUpper();
}

QByteArray baudTable(const QList<BaudRow>& rows, const BaudGenerator& generator,
                     const NumberText& numbers) {
    const QString none = QStringLiteral("—");
    QStringList lines{fromUtf8(portGeneratorLabel(generator)),
                      QStringLiteral("波特率\t重装值\t实际\t误差(%，实际−要求)\t说明")};
    for (const BaudRow& row : rows) {
        const auto& setting = row.setting;
        lines << QStringList{numbers.localized(row.baud.text(9), false),
                             setting ? reloadText(generator, setting->reload)
                                     : QStringLiteral("无法实现"),
                             setting ? numbers.localized(setting->actualBaud.fixed(1), false)
                                     : none,
                             setting ? numbers.localizedSigned(setting->errorPercent.fixed(2)) +
                                           QLatin1Char('%')
                                     : none,
                             row.remark}
                     .join(QLatin1Char('\t'));
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QJsonObject baudJson(const BaudRow& row, const BaudGenerator& generator) {
    const auto& setting = row.setting;
    // Each number the double nearest the exact figure.
    return {
        {QStringLiteral("baud"), row.baud.toDouble()},
        {QStringLiteral("reload"),
         setting ? QJsonValue(QStringLiteral("0x") + reloadText(generator, setting->reload))
                 : QJsonValue()},
        {QStringLiteral("actualBaud"), setting ? setting->actualBaud.toDouble() : QJsonValue()},
        {QStringLiteral("errorPercent"), setting ? setting->errorPercent.toDouble() : QJsonValue()},
        {QStringLiteral("reliable"), isReliable(setting)},
        {QStringLiteral("remark"), row.remark}};
}

} // namespace

Result runBaud(const Invocation& in, bool json) {
    const ChipFamily& family = in.family();
    const std::int32_t clock = in.clock(family);
    const BaudGenerator& generator = in.generator(family);
    const bool code = in.has(QStringLiteral("code")), explained = explains(in, json);
    if ((code || explained) && !in.has(QStringLiteral("rate")))
        throw Refusal{Usage, QStringLiteral("%1 需要 --rate").arg(code ? "--code" : "--explain")};
    const CodeLanguage language = codeLanguage(in, code);
    // The baud window's reading: a crystal and a rate within what chips do.
    const NumberText::Bounded crystal =
        in.numbers().parseCrystal(in.text(QStringLiteral("crystal")));
    if (!crystal.problem.isEmpty())
        throw Refusal{Refused, crystal.problem};
    QList<Exact> rates(std::begin(standardBaudRates), std::end(standardBaudRates));
    if (in.has(QStringLiteral("rate"))) {
        const NumberText::Bounded rate = in.numbers().parseBaud(in.text(QStringLiteral("rate")));
        if (!rate.problem.isEmpty())
            throw Refusal{Refused, rate.problem};
        rates = {rate.value};
    }
    QList<BaudRow> rows;
    for (const Exact& rate : rates)
        rows << baudRow(family, generator, crystal.value, clock, rate);

    if (explained) {
        const BaudRow& row = rows.front();
        const QString text = workingQText(
            baudWorking({family, generator, crystal.value, clock, row.baud}, row.setting),
            in.numbers());
        if (!row.setting)
            throw Refusal{Refused, row.remark + QStringLiteral("\n\n") + text};
        return {text.toUtf8(), {}};
    }
    Result result;
    QString codeText;
    if (code) {
        const BaudRow& row = rows.front();
        if (!row.setting)
            throw Refusal{Refused, row.remark};
        codeText = QString::fromStdString(*baudInitCode(
            {family, generator, crystal.value, clock, row.baud}, *row.setting, language));
        if (!isReliable(row.setting))
            result.warning = QStringLiteral("误差超过 ±2%：接收方可能读错一个字节的最后几位");
    }
    if (json) {
        QJsonArray array;
        for (const BaudRow& row : rows)
            array << baudJson(row, generator);
        QJsonObject object{{QStringLiteral("family"), fromUtf8(family.id)},
                           {QStringLiteral("clock"), clock},
                           {QStringLiteral("uart"), generator.uart},
                           {QStringLiteral("generator"), fromUtf8(generator.id)},
                           {QStringLiteral("uses"), usesJson(baudUses(generator))},
                           {QStringLiteral("crystalMhz"), crystal.value.toDouble()},
                           {QStringLiteral("rates"), array}};
        if (code)
            object.insert(QStringLiteral("code"), codeText);
        result.out = jsonLine(object);
    } else
        result.out = code ? codeText.toUtf8() : baudTable(rows, generator, in.numbers());
    return result;
}

// "1s", "500ms", "250us" or a plain number of µs, read as the window reads numbers, exactly.

} // namespace tickora::cli
