#include "commandline.h"

#include "baudrate.h"
#include "calcpass.h"
#include "codelanguage.h"
#include "console.h"
#include "dialogservices.h"
#include "plan.h"
#include "registers.h"
#include "timing.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace tickora::cli {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "c|a51|asx", from the table the windows list too.
QString languageIds() {
    QStringList ids;
    for (const CodeLanguageRow& row : codeLanguages())
        ids << fromUtf8(row.id);
    return ids.join(QLatin1Char('|'));
}

struct OptionSpec {
    QString name;
    QString value; // the placeholder; empty for a switch
    QString help;
    QString only = {}; // the one sub-command this row is for; empty for all that take the option
};

const OptionSpec optionSpecs[] = {
    {QStringLiteral("crystal"), QStringLiteral("MHZ"),
     QStringLiteral("晶体频率 (MHz)，按区域设置读小数，也可用全角数字")},
    // plan takes a unit where timer and code take µs; its row comes first to be found first.
    {QStringLiteral("interval"), QStringLiteral("TIME"),
     QStringLiteral("plan 的定时时间：微秒数，或带单位 us、ms、s，如 250us、500ms、1s"),
     QStringLiteral("plan")},
    {QStringLiteral("interval"), QStringLiteral("US"), QStringLiteral("需要的定时时间（微秒）")},
    {QStringLiteral("mode"), QStringLiteral("0|1|2"),
     QStringLiteral("定时器方式：窗口的方式 0、方式 1、方式 2,3 按钮")},
    {QStringLiteral("timer"), QStringLiteral("0|1"), QStringLiteral("代码写给定时器 0 或定时器 1")},
    {QStringLiteral("family"), QStringLiteral("F"), QStringLiteral("芯片系列，默认 classic")},
    {QStringLiteral("clock"), QStringLiteral("12T|6T|1T"),
     QStringLiteral("定时器时钟，默认 12T；只能选该系列提供的")},
    {QStringLiteral("rate"), QStringLiteral("BAUD"),
     QStringLiteral("只算这一个波特率；不给时算标准波特率表")},
    {QStringLiteral("generator"), QStringLiteral("G"),
     QStringLiteral("波特率发生器，默认为该系列的第一个")},
    {QStringLiteral("code"),
     {},
     QStringLiteral(
         "baud：只输出这个波特率的 uart_init()（需要 --rate）；plan：输出所选方案的代码")},
    {QStringLiteral("lang"), languageIds(),
     QStringLiteral("代码的语言：c（默认）、a51（Keil A51 汇编）、asx（SDCC sdas8051 汇编）")},
    {QStringLiteral("plan"), QStringLiteral("N"),
     QStringLiteral("plan --code 用第 N 个方案，默认 1")},
    {QStringLiteral("json"), {}, QStringLiteral("输出一个 JSON 对象")},
    {QStringLiteral("utf8"),
     {},
     QStringLiteral("Windows：重定向到文件或管道时也写 UTF-8（默认用控制台的代码页，如 936 的 "
                    "GBK；写到控制台本身的不受影响）")},
    {QStringLiteral("help"), {}, QStringLiteral("列出选项")},
};

bool isFor(const OptionSpec& option, const QString& command) {
    return option.only.isEmpty() || option.only == command;
}

const OptionSpec* findOption(const QString& name, const QString& command) {
    for (const OptionSpec& option : optionSpecs)
        if (option.name == name && isFor(option, command))
            return &option;
    return nullptr;
}

// Names people know the parts by, for the row that covers them.
struct FamilyAlias {
    std::string_view alias, id;
};
constexpr FamilyAlias familyAliases[] = {
    {"stc8", "stc15"}, {"stc32g", "stc15"}, {"ms51", "n76e003"}};

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

// --- The sub-commands --------------------------------------------------------------------

class CapturedMessage : public DialogServices {
public:
    void showMessage(const QString& text) override { message = text; }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QString message;
};

QString byteText(std::uint8_t value) { return QString::fromStdString(registerByteText(value)); }

QByteArray jsonLine(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

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

Result runTimer(const Invocation& in, bool json) {
    const TimerRun run = calculateTimer(in);
    if (json)
        return {jsonLine(timerJson(run)), {}};
    const NumberText& numbers = in.numbers();
    return {QStringLiteral("initial value: %1\nTHx: %2\nTLx: %3\nlongest interval (us): %4\n"
                           "cycle (us): %5\nerror (us): %6\nachieved interval (us): %7\n"
                           "achieved error (%): %8\n")
                .arg(run.texts.initValue, byteText(run.registers.th), byteText(run.registers.tl),
                     run.texts.maxTime, run.texts.cycle, run.texts.error,
                     numbers.localized(run.timing.achievedUs().fixed(3), false),
                     numbers.localizedSigned(run.timing.errorPercent().fixed(3)))
                .toUtf8(),
            {}};
}

// Exactly the unit the window copies for the same values.
Result runCode(const Invocation& in, bool json) {
    const int timer = in.choice(QStringLiteral("timer"), 2);
    const CodeLanguage language = in.language();
    const TimerRun run = calculateTimer(in);
    const auto code = timerInitCode(timer, run.setup, language);
    if (!code)
        throw Refusal{Refused, routineTooShort(run.setup)};
    if (!json)
        return {QByteArray::fromStdString(*code), {}};
    QJsonObject object = timerJson(run);
    object.insert(QStringLiteral("timer"), timer);
    object.insert(QStringLiteral("code"), QString::fromStdString(*code));
    return {jsonLine(object), {}};
}

// A --lang where no code is printed would change nothing: refused rather than ignored.
CodeLanguage codeLanguage(const Invocation& in, bool printsCode) {
    if (!printsCode && in.has(QStringLiteral("lang")))
        throw Refusal{Usage, QStringLiteral("--lang 需要 --code")};
    return in.language();
}

struct BaudRow {
    double baud;
    std::optional<BaudSetting> setting;
    QString remark;
};

// As the baud window remarks a row: why it is unusable and which generator does better.
BaudRow baudRow(const ChipFamily& family, const BaudGenerator& generator, double crystalMhz,
                std::int32_t clock, double baud) {
    const auto setting = baudSetting(generator, crystalMhz, clock, baud);
    return {baud, setting,
            QString::fromStdString(baudRemark(family, crystalMhz, clock, baud, setting))};
}

QString reloadText(const BaudGenerator& generator, std::int32_t reload) {
    return QStringLiteral("%1")
        .arg(reload, generator.reloadBits / 4, 16, QLatin1Char('0'))
        .toUpper();
}

QByteArray baudTable(const QList<BaudRow>& rows, const BaudGenerator& generator,
                     const NumberText& numbers) {
    const QString none = QStringLiteral("—");
    QStringList lines{QStringLiteral("波特率\t重装值\t实际波特率\t误差\t说明")};
    for (const BaudRow& row : rows) {
        const auto& setting = row.setting;
        lines << QStringList{numbers.formatPlain(row.baud,
                                                 row.baud == std::floor(row.baud) ? 0 : 1),
                             setting ? reloadText(generator, setting->reload)
                                     : QStringLiteral("无法实现"),
                             setting ? numbers.formatPlain(setting->actualBaud, 1) : none,
                             setting
                                 ? numbers.formatSigned(setting->errorPercent, 2) + QLatin1Char('%')
                                 : none,
                             row.remark}
                     .join(QLatin1Char('\t'));
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QJsonObject baudJson(const BaudRow& row, const BaudGenerator& generator) {
    const auto& setting = row.setting;
    return {{QStringLiteral("baud"), row.baud},
            {QStringLiteral("reload"),
             setting ? QJsonValue(QStringLiteral("0x") + reloadText(generator, setting->reload))
                     : QJsonValue()},
            {QStringLiteral("actualBaud"), setting ? setting->actualBaud : QJsonValue()},
            {QStringLiteral("errorPercent"), setting ? setting->errorPercent : QJsonValue()},
            {QStringLiteral("reliable"), isReliable(setting)},
            {QStringLiteral("remark"), row.remark}};
}

Result runBaud(const Invocation& in, bool json) {
    const ChipFamily& family = in.family();
    const std::int32_t clock = in.clock(family);
    const BaudGenerator& generator = in.generator(family);
    const bool code = in.has(QStringLiteral("code"));
    if (code && !in.has(QStringLiteral("rate")))
        throw Refusal{Usage, QStringLiteral("--code 需要 --rate")};
    const CodeLanguage language = codeLanguage(in, code);
    // The baud window's reading: a float crystal and rate, each above zero.
    const auto crystal = in.numbers().parseDouble(in.text(QStringLiteral("crystal")));
    if (!crystal || !(*crystal > 0))
        throw Refusal{Refused, QStringLiteral("请输入有效的晶体频率")};
    QList<double> rates(std::begin(standardBaudRates), std::end(standardBaudRates));
    if (in.has(QStringLiteral("rate"))) {
        const auto rate = in.numbers().parseDouble(in.text(QStringLiteral("rate")));
        if (!rate || !(*rate > 0))
            throw Refusal{Refused, QStringLiteral("波特率无效")};
        rates = {*rate};
    }
    QList<BaudRow> rows;
    for (const double rate : rates)
        rows << baudRow(family, generator, *crystal, clock, rate);

    Result result;
    QString codeText;
    if (code) {
        const BaudRow& row = rows.front();
        if (!row.setting)
            throw Refusal{Refused, row.remark};
        codeText = QString::fromStdString(
            baudInitCode({family, generator, *crystal, clock, row.baud}, *row.setting, language));
        if (!isReliable(row.setting))
            result.warning = QStringLiteral("误差超过 ±2%：接收方可能读错一个字节的最后几位");
    }
    if (json) {
        QJsonArray array;
        for (const BaudRow& row : rows)
            array << baudJson(row, generator);
        QJsonObject object{{QStringLiteral("family"), fromUtf8(family.id)},
                           {QStringLiteral("clock"), clock},
                           {QStringLiteral("generator"), fromUtf8(generator.id)},
                           {QStringLiteral("crystalMhz"), *crystal},
                           {QStringLiteral("rates"), array}};
        if (code)
            object.insert(QStringLiteral("code"), codeText);
        result.out = jsonLine(object);
    } else
        result.out = code ? codeText.toUtf8() : baudTable(rows, generator, in.numbers());
    return result;
}

// "1s", "500ms", "250us" or a plain number of µs, read as the window reads numbers, exactly.
Exact intervalWithUnit(const Invocation& in) {
    QString text = in.text(QStringLiteral("interval")).trimmed();
    std::int64_t scale = 1;
    for (const auto& [unit, factor] :
         {std::pair{"ms", 1000}, {"us", 1}, {"µs", 1}, {"s", 1'000'000}})
        if (text.endsWith(QString::fromUtf8(unit), Qt::CaseInsensitive)) {
            text.chop(QString::fromUtf8(unit).size());
            scale = factor;
            break;
        }
    const Exact value = in.numbers().parseExact(text);
    if (!value.valid())
        throw Refusal{Refused, messages::fault};
    if (!(value > Exact(0)))
        throw Refusal{Refused, messages::outOfRange};
    return value * Exact(scale);
}

QString hexOf(std::int64_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString reloadOf(const TickPlan& plan) {
    return hexOf(plan.reload, plan.timer->kind == TimerKind::Reload8 ? 2 : 4);
}

QJsonObject planJson(const TickPlan& plan) {
    return {{QStringLiteral("timer"), fromUtf8(plan.timer->id)},
            {QStringLiteral("countsPerTick"), qint64(plan.countsPerTick)},
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
                             QString::number(plan.countsPerTick),
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

// The plan window's table, or the chosen plan's code.
Result runPlan(const Invocation& in, bool json) {
    const ChipFamily& family = in.family();
    const CodeLanguage language = codeLanguage(in, in.has(QStringLiteral("code")));
    const Exact crystal = in.numbers().parseExact(in.text(QStringLiteral("crystal")));
    if (!(crystal > Exact(0)))
        throw Refusal{Refused, messages::badCrystal};
    const PlanRequest request{intervalWithUnit(in), crystal, family, in.clock(family)};
    const auto plans = planInterval(request);
    if (plans.empty())
        throw Refusal{Refused, messages::outOfRange};
    // --plan counts from 1, as the table's rows are read.
    const int chosen = in.has(QStringLiteral("plan")) ? in.text(QStringLiteral("plan")).toInt() : 1;
    if (chosen < 1 || chosen > int(plans.size()))
        throw Refusal{Usage, QStringLiteral("--plan 只能是 1 到 %1").arg(plans.size())};
    const TickPlan& plan = plans[std::size_t(chosen - 1)];
    std::optional<std::string> code;
    if (in.has(QStringLiteral("code")) && !(code = tickPlanCode(plan, request, language)))
        throw Refusal{Refused, fromUtf8(planCodeProblem(plan))};
    if (json) {
        QJsonArray array;
        for (const TickPlan& each : plans)
            array << planJson(each);
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

// Adding a sub-command is adding a row; its options must be in optionSpecs.
const SubCommand subCommands[] = {
    {QStringLiteral("timer"),
     {QStringLiteral("crystal"), QStringLiteral("interval"), QStringLiteral("mode"),
      QStringLiteral("family?"), QStringLiteral("clock?")},
     QStringLiteral("定时器初始值、THx/TLx、最长定时、机器周期、误差和实际定时"),
     runTimer},
    {QStringLiteral("code"),
     {QStringLiteral("timer"), QStringLiteral("crystal"), QStringLiteral("interval"),
      QStringLiteral("mode"), QStringLiteral("family?"), QStringLiteral("clock?"),
      QStringLiteral("lang?")},
     QStringLiteral("窗口复制的定时器初始化代码，C 或汇编"),
     runCode},
    {QStringLiteral("baud"),
     {QStringLiteral("crystal"), QStringLiteral("rate?"), QStringLiteral("generator?"),
      QStringLiteral("family?"), QStringLiteral("clock?"), QStringLiteral("code?"),
      QStringLiteral("lang?")},
     QStringLiteral("波特率表（或一个波特率）的重装值、实际波特率和误差；--code 输出 uart_init()"),
     runBaud},
    {QStringLiteral("plan"),
     {QStringLiteral("interval"), QStringLiteral("crystal"), QStringLiteral("family?"),
      QStringLiteral("clock?"), QStringLiteral("code?"), QStringLiteral("lang?"),
      QStringLiteral("plan?")},
     QStringLiteral("长定时的方案：定时器、每次计数、次数和误差，精确的在前；--code 输出代码"),
     runPlan},
};

const SubCommand* findCommand(const QString& name) {
    for (const SubCommand& command : subCommands)
        if (command.name == name)
            return &command;
    return nullptr;
}

// --- Arguments and help ------------------------------------------------------------------

bool accepts(const SubCommand& command, const QString& name) {
    return name == QLatin1String("json") || name == QLatin1String("help") ||
           name == QLatin1String("utf8") || command.options.contains(name) ||
           command.options.contains(name + QLatin1Char('?'));
}

// --name value or --name=value; a switch takes none.
QHash<QString, QString> parseOptions(const SubCommand& command, const QStringList& arguments) {
    QHash<QString, QString> values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--")))
            throw Refusal{Usage, QStringLiteral("多余的参数：") + argument};
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        const OptionSpec* spec = findOption(name, command.name);
        if (spec == nullptr || !accepts(command, name))
            throw Refusal{Usage, QStringLiteral("未知选项：--") + name};
        if (values.contains(name))
            throw Refusal{Usage, QStringLiteral("选项重复：--") + name};
        if (spec->value.isEmpty() && equals >= 0)
            throw Refusal{Usage, QStringLiteral("选项 --%1 不带值").arg(name)};
        if (!spec->value.isEmpty() && equals < 0 && i + 1 == arguments.size())
            throw Refusal{Usage, QStringLiteral("选项 --%1 缺少值").arg(name)};
        values.insert(name, spec->value.isEmpty() ? QString()
                            : equals >= 0         ? argument.mid(equals + 1)
                                                  : arguments[++i]);
    }
    return values;
}

QString synopsis(const SubCommand& command) {
    QStringList parts{QStringLiteral("tickora"), command.name};
    for (QString name : command.options) {
        const bool optional = name.endsWith(QLatin1Char('?'));
        if (optional)
            name.chop(1);
        const QString& value = findOption(name, command.name)->value;
        const QString part =
            QStringLiteral("--") + name + (value.isEmpty() ? QString() : QLatin1Char(' ') + value);
        parts << (optional ? QLatin1Char('[') + part + QLatin1Char(']') : part);
    }
    return parts.join(QLatin1Char(' ')) + QStringLiteral(" [--json]");
}

QString optionLine(const OptionSpec& option) {
    const QString left = QStringLiteral("--") + option.name +
                         (option.value.isEmpty() ? QString() : QLatin1Char(' ') + option.value);
    return QStringLiteral("  ") + left.leftJustified(20) + option.help + QLatin1Char('\n');
}

QString familyHelp() {
    QString text = QStringLiteral("芯片系列 (--family)、定时器时钟 (--clock) 及波特率发生器 "
                                  "(--generator)：\n");
    for (const ChipFamily& family : chipFamilies()) {
        text += QStringLiteral("  ") + familyNames(family).leftJustified(22) +
                fromUtf8(family.name) + QStringLiteral("，") + clockNames(family) +
                QLatin1Char('\n');
        for (const BaudGenerator& generator : family.generators)
            text += QStringLiteral("      ") + fromUtf8(generator.id).leftJustified(18) +
                    fromUtf8(generator.label) + QLatin1Char('\n');
    }
    return text;
}

const QString exitHelp =
    QStringLiteral("退出状态：0 完成；1 输入无法计算（晶体频率不当、超出范围、不是数字，"
                   "或定时时间太短、中断程序来不及），或结果写不出去，原因在标准错误上；"
                   "2 用法错误（未知的子命令或选项、缺少选项或值）。\n");

// What a mistyped command line is shown: every way to call the program.
QString usage() {
    QStringList lines{QStringLiteral("tickora")};
    for (const SubCommand& command : subCommands)
        lines << synopsis(command);
    lines << QStringLiteral("tickora --help | --version");
    return QStringLiteral("用法：") + lines.join(QStringLiteral("\n      "));
}

QString help() {
    QString text =
        QStringLiteral("用法：tickora [子命令 选项…]\n") +
        QStringLiteral("不带参数（或只带 Qt 自己的 -style、-platform、-session 等选项）时"
                       "打开窗口。子命令不需要显示器，结果写到标准输出。\n\n子命令：\n");
    for (const SubCommand& command : subCommands)
        text += QStringLiteral("  ") + command.name.leftJustified(8) + command.summary +
                QStringLiteral("\n    ") + synopsis(command) + QLatin1Char('\n');
    text += QStringLiteral("\n选项：\n");
    for (const OptionSpec& option : optionSpecs)
        text += optionLine(option);
    return text + QStringLiteral("  --version           版本\n\n") + familyHelp() +
           QLatin1Char('\n') + exitHelp;
}

QString commandHelp(const SubCommand& command) {
    QString text = QStringLiteral("用法：") + synopsis(command) + QLatin1Char('\n') +
                   command.summary + QStringLiteral("\n\n选项：\n");
    for (const OptionSpec& option : optionSpecs)
        if (accepts(command, option.name) && isFor(option, command.name))
            text += optionLine(option);
    return text + QLatin1Char('\n') + familyHelp() + QLatin1Char('\n') + exitHelp;
}

// Options Qt reads itself when it makes the window, with whether each takes a value. A session
// manager restores the window with -session; a user may ask for a style or a platform.
struct QtOption {
    std::string_view name;
    bool takesValue;
};
constexpr QtOption qtOptions[] = {
    {"-platform", true},        {"-style", true},        {"-stylesheet", true}, {"-session", true},
    {"-qwindowgeometry", true}, {"-qwindowtitle", true}, {"-reverse", false}};

// True for no arguments (the desktop entry runs plain "tickora") or only Qt's own options.
bool opensWindow(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const auto option = std::find_if(std::begin(qtOptions), std::end(qtOptions),
                                         [&](const QtOption& qt) { return qt.name == argv[i]; });
        if (option == std::end(qtOptions) || (option->takesValue && ++i == argc))
            return false;
    }
    return true;
}

// What the arguments ask for; a refusal when they are no command line the program knows.
Result answer(const QString& first, const QStringList& rest) {
    if (first == QLatin1String("--version"))
        return {(QCoreApplication::applicationName() + QLatin1Char(' ') +
                 QCoreApplication::applicationVersion() + QLatin1Char('\n'))
                    .toUtf8(),
                {}};
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return {help().toUtf8(), {}};
    const SubCommand* command = findCommand(first);
    if (command == nullptr)
        throw Refusal{Usage, QStringLiteral("未知的子命令：%1\n").arg(first) + usage()};
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h")))
        return {commandHelp(*command).toUtf8(), {}};
    const Invocation invocation(parseOptions(*command, rest));
    return command->run(invocation, invocation.has(QStringLiteral("json")));
}

} // namespace

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

const BaudGenerator& Invocation::generator(const ChipFamily& family) const {
    const QString name = QStringLiteral("generator");
    if (!has(name))
        return family.generators.front();
    const std::string id = text(name).toLower().toStdString();
    QStringList known;
    for (const BaudGenerator& generator : family.generators) {
        if (generator.id == id)
            return generator;
        known << fromUtf8(generator.id);
    }
    throw Refusal{Usage,
                  QStringLiteral("%1 没有波特率发生器 %2（可用：%3）")
                      .arg(fromUtf8(family.name), text(name), known.join(QStringLiteral(", ")))};
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

bool wanted(int argc, const char* const* argv) { return !opensWindow(argc, argv); }

int run(const QStringList& arguments) {
    const SubCommand* command = findCommand(arguments.value(1));
    const Redirected redirected = arguments.contains(QLatin1String("--utf8"))
                                      ? Redirected::Utf8
                                      : Redirected::ConsoleCodePage;
    const auto write = [redirected](std::FILE* stream, const QString& text) {
        return writeStandard(stream, text.toUtf8(), redirected);
    };
    Result result;
    try {
        result = answer(arguments.value(1), arguments.mid(2));
    } catch (const Refusal& refusal) {
        QString message = refusal.message;
        if (refusal.status == Usage && command != nullptr)
            message += QStringLiteral("\n用法：") + synopsis(*command);
        write(stderr, message + QLatin1Char('\n'));
        return refusal.status;
    }
    if (!writeStandard(stdout, result.out, redirected)) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        write(stderr, QStringLiteral("结果写不出去：%1\n").arg(reason));
        return Refused;
    }
    if (!result.warning.isEmpty())
        write(stderr, result.warning + QLatin1Char('\n'));
    return Done;
}

} // namespace tickora::cli
