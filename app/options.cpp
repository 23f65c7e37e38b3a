#include "subcommands.h"

#include "calcpass.h"

#include <QStringList>

namespace tickora::cli {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString languageIds() {
    QStringList ids;
    for (const CodeLanguageRow& row : codeLanguages())
        ids << fromUtf8(row.id);
    return ids.join(QLatin1Char('|'));
}

namespace {

// Names people know the parts by, for the row that covers them.
struct FamilyAlias {
    std::string_view alias, id;
};
constexpr FamilyAlias familyAliases[] = {{"ms51", "n76e003"}};

const OptionSpec options[] = {
    {QStringLiteral("crystal"), QStringLiteral("MHZ"),
     QStringLiteral("晶体频率 (MHz)，按区域设置读小数，也可用全角数字")},
    // plan takes a unit where timer and code take µs; its row comes first to be found first.
    {QStringLiteral("interval"), QStringLiteral("TIME"),
     QStringLiteral("定时时间：微秒数，或带单位 us、ms、s，如 250us、500ms、1s"),
     QStringLiteral("plan")},
    {QStringLiteral("interval"), QStringLiteral("US"), QStringLiteral("需要的定时时间（微秒）")},
    {QStringLiteral("mode"), QStringLiteral("0|1|2"),
     QStringLiteral("定时器方式：窗口的方式 0、方式 1、方式 2,3 按钮")},
    {QStringLiteral("timer"), QStringLiteral("0-2"),
     QStringLiteral("按定时器 0、1 或 8052 的定时器 2 的溢出延时，不用循环"),
     QStringLiteral("delay")},
    {QStringLiteral("timer"), QStringLiteral("0-4"),
     QStringLiteral("代码写给定时器 0、1，或该系列有的 2、3、4")},
    {QStringLiteral("family"), QStringLiteral("F"), QStringLiteral("芯片系列，默认 classic")},
    {QStringLiteral("clock"), QStringLiteral("12T|6T|1T"),
     QStringLiteral("定时器时钟，默认 12T；只能选该系列提供的")},
    {QStringLiteral("rate"), QStringLiteral("BAUD"),
     QStringLiteral("只算这一个波特率；不给时算标准波特率表")},
    {QStringLiteral("uart"), QStringLiteral("1-4"),
     QStringLiteral("串口：1（默认），及该系列有的 2、3、4")},
    {QStringLiteral("generator"), QStringLiteral("G"),
     QStringLiteral("波特率发生器，默认为该串口的第一个")},
    {QStringLiteral("code"),
     {},
     QStringLiteral("只输出这个波特率的 uart_init()（需要 --rate）"),
     QStringLiteral("baud")},
    {QStringLiteral("code"), {}, QStringLiteral("输出所选方案的代码"), QStringLiteral("plan")},
    {QStringLiteral("lang"), languageIds(),
     QStringLiteral("代码的语言：c（默认）、a51（Keil A51 汇编）、asx（SDCC sdas8051 汇编）")},
    {QStringLiteral("plan"), QStringLiteral("N"),
     QStringLiteral("plan --code 或 --explain 用第 N 个方案，默认 1")},
    {QStringLiteral("delay"), QStringLiteral("TIME"),
     QStringLiteral(
         "延时时间：微秒数，或带单位 us、ms、s，如 50us、10ms、2s；--argument 时为每一步")},
    {QStringLiteral("argument"),
     {},
     QStringLiteral("按参数 n 延时：delay_ms(n) 之类，每步为 --delay 的时间")},
    {QStringLiteral("frequency"), QStringLiteral("F"),
     QStringLiteral("方波的频率：赫兹数，或带单位 Hz、kHz、MHz，如 50Hz、38kHz")},
    {QStringLiteral("code"), {}, QStringLiteral("输出所选方法（最好的，或 --timer 的）的代码"),
     QStringLiteral("wave")},
    {QStringLiteral("json"), {}, QStringLiteral("输出一个 JSON 对象")},
    {QStringLiteral("explain"),
     {},
     QStringLiteral("只输出计算过程：每个数由哪些数算出，可用计算器逐步核对")},
    {QStringLiteral("utf8"),
     {},
     QStringLiteral("Windows：重定向到文件或管道时也写 UTF-8（默认用控制台的代码页，如 936 的 "
                    "GBK；写到控制台本身的不受影响）")},
    {QStringLiteral("help"), {}, QStringLiteral("列出选项")},
};

} // namespace

std::span<const OptionSpec> optionSpecs() { return options; }

Exact timeWithUnit(const Invocation& in, const QString& option) {
    QString text = in.text(option).trimmed();
    std::int64_t scale = 1;
    for (const auto& [unit, factor] :
         {std::pair{"ms", 1000}, {"us", 1}, {"µs", 1}, {"s", 1'000'000}})
        if (text.endsWith(QString::fromUtf8(unit), Qt::CaseInsensitive)) {
            text.chop(QString::fromUtf8(unit).size());
            scale = factor;
            break;
        }
    return in.numbers().parseTime(text, scale);
}

bool isFor(const OptionSpec& option, const QString& command) {
    return option.only.isEmpty() || option.only == command;
}

const OptionSpec* findOption(const QString& name, const QString& command) {
    for (const OptionSpec& option : options)
        if (option.name == name && isFor(option, command))
            return &option;
    return nullptr;
}

QString familyNames(const ChipFamily& family) {
    QStringList names{fromUtf8(family.id)};
    for (const FamilyAlias& alias : familyAliases)
        if (alias.id == family.id)
            names << fromUtf8(alias.alias);
    return names.join(QStringLiteral(", "));
}

QString clockNames(const ChipFamily& family) {
    QStringList names;
    for (const std::int32_t clock : family.clocks)
        if (clock != 0)
            names << QStringLiteral("%1T").arg(clock);
    return names.join(QStringLiteral("、"));
}

Invocation::Invocation(QHash<QString, QString> values)
    : values_(std::move(values)) {}

QString Invocation::text(const QString& name) const {
    const auto value = values_.constFind(name);
    if (value == values_.cend())
        throw Refusal{Usage, QStringLiteral("缺少选项：--") + name};
    return *value;
}

int Invocation::choice(const QString& name, int count) const {
    bool ok = false;
    const int value = text(name).toInt(&ok);
    if (ok && value >= 0 && value < count)
        return value;
    QStringList choices;
    for (int i = 0; i + 1 < count; ++i)
        choices << QString::number(i);
    throw Refusal{Usage, QStringLiteral("--%1 只能是 %2 或 %3")
                             .arg(name, choices.join(QStringLiteral("、")))
                             .arg(count - 1)};
}

const ChipFamily& Invocation::family() const {
    const QString name = QStringLiteral("family");
    if (!has(name))
        return classicFamily();
    std::string id = text(name).toLower().toStdString();
    for (const FamilyAlias& alias : familyAliases)
        if (alias.alias == id)
            id = alias.id;
    if (const ChipFamily* family = findFamily(id))
        return *family;
    QStringList known;
    for (const ChipFamily& family : chipFamilies())
        known << familyNames(family);
    throw Refusal{Usage, QStringLiteral("未知的芯片系列：%1（可用：%2）")
                             .arg(text(name), known.join(QStringLiteral(", ")))};
}

std::int32_t Invocation::clock(const ChipFamily& family) const {
    const QString name = QStringLiteral("clock");
    if (!has(name))
        return family.clocks[0];
    QString value = text(name).toUpper();
    if (value.endsWith(QLatin1Char('T')))
        value.chop(1);
    const int clock = value.toInt();
    if (offersClock(family, clock))
        return clock;
    throw Refusal{Usage, QStringLiteral("%1 的定时器时钟只能是 %2，不是 %3")
                             .arg(fromUtf8(family.name), clockNames(family), text(name))};
}

namespace {

std::span<const BaudGenerator> portGenerators(const Invocation& in, const ChipFamily& family) {
    const QString name = QStringLiteral("uart");
    const int uart = in.has(name) ? in.text(name).toInt() : 1;
    if (const auto generators = generatorsOf(family, uart); !generators.empty())
        return generators;
    QStringList known;
    for (const int each : uartsOf(family))
        known << QString::number(each);
    throw Refusal{Usage,
                  QStringLiteral("%1 没有串口 %2（可用：%3）")
                      .arg(fromUtf8(family.name), in.text(name), known.join(QStringLiteral("、")))};
}

} // namespace

const BaudGenerator& Invocation::generator(const ChipFamily& family) const {
    const auto generators = portGenerators(*this, family);
    const QString name = QStringLiteral("generator");
    if (!has(name))
        return generators.front();
    const std::string id = text(name).toLower().toStdString();
    QStringList known;
    for (const BaudGenerator& generator : generators) {
        if (generator.id == id)
            return generator;
        known << fromUtf8(generator.id);
    }
    throw Refusal{Usage, QStringLiteral("%1%2没有波特率发生器 %3（可用：%4）")
                             .arg(fromUtf8(family.name),
                                  generators.front().uart == 1
                                      ? QStringLiteral(" ")
                                      : QStringLiteral("的串口 %1 ").arg(generators.front().uart),
                                  text(name), known.join(QStringLiteral(", ")))};
}

bool explains(const Invocation& in, bool json) {
    if (!in.has(QStringLiteral("explain")))
        return false;
    if (json || in.has(QStringLiteral("code")))
        throw Refusal{Usage,
                      QStringLiteral("--explain 只输出计算过程，不能与 --json 或 --code 同用")};
    return true;
}

CodeLanguage Invocation::language() const {
    const QString name = QStringLiteral("lang");
    if (!has(name))
        return CodeLanguage::C;
    if (const CodeLanguageRow* row = findCodeLanguage(text(name).toLower().toStdString()))
        return row->language;
    throw Refusal{
        Usage, QStringLiteral("未知的代码语言：%1（可用：%2）")
                   .arg(text(name), languageIds().replace(QLatin1Char('|'), QStringLiteral(", ")))};
}

} // namespace tickora::cli
