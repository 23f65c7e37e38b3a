#include "commandline.h"

#include "console.h"
#include "subcommands.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tickora::cli {

QJsonArray usesJson(const UnitUses& uses) {
    QJsonArray items;
    for (const std::string& item : uses.list())
        items << fromUtf8(item);
    return items;
}

QByteArray jsonLine(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// A --lang where no code is printed would change nothing: refused rather than ignored.
CodeLanguage codeLanguage(const Invocation& in, bool printsCode) {
    if (!printsCode && in.has(QStringLiteral("lang")))
        throw Refusal{Usage, QStringLiteral("--lang 需要 --code")};
    const CodeLanguage language = in.language();
    if (const std::string problem = languageProblem(in.family(), language); !problem.empty())
        throw Refusal{Usage, fromUtf8(problem)};
    return language;
}

namespace {

// Why a write failed, in the language of every other message: the C library's own words are
// English, or the system's.
QString writeError(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("磁盘已满");
    case EPIPE:
        return QStringLiteral("读取的一方已经关闭");
    case EFBIG:
        return QStringLiteral("文件太大");
#ifdef EDQUOT // MinGW's C library has no disk quotas
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
#endif
    case EIO:
        return QStringLiteral("输入输出错误");
    default:
        return QStringLiteral("写入失败（错误 %1）").arg(error);
    }
}

// Adding a sub-command is adding a row; its options must be in optionSpecs.
const SubCommand subCommands[] = {
    {QStringLiteral("timer"),
     {QStringLiteral("crystal"), QStringLiteral("interval"), QStringLiteral("mode"),
      QStringLiteral("family?"), QStringLiteral("clock?"), QStringLiteral("explain?")},
     QStringLiteral("定时器初始值、THx/TLx、最长定时、机器周期、误差和实际定时"),
     runTimer},
    {QStringLiteral("code"),
     {QStringLiteral("timer"), QStringLiteral("crystal"), QStringLiteral("interval"),
      QStringLiteral("mode?"), QStringLiteral("family?"), QStringLiteral("clock?"),
      QStringLiteral("lang?")},
     QStringLiteral("窗口复制的定时器初始化代码，C 或汇编"),
     runCode},
    {QStringLiteral("baud"),
     {QStringLiteral("crystal"), QStringLiteral("rate?"), QStringLiteral("uart?"),
      QStringLiteral("generator?"), QStringLiteral("explain?"), QStringLiteral("family?"),
      QStringLiteral("clock?"), QStringLiteral("code?"), QStringLiteral("lang?")},
     QStringLiteral("波特率表（或一个波特率）的重装值、实际波特率和误差；--code 输出 uart_init()"),
     runBaud},
    {QStringLiteral("plan"),
     {QStringLiteral("interval"), QStringLiteral("crystal"), QStringLiteral("family?"),
      QStringLiteral("clock?"), QStringLiteral("code?"), QStringLiteral("lang?"),
      QStringLiteral("plan?"), QStringLiteral("explain?")},
     QStringLiteral("长定时的方案：定时器、每次计数、次数和误差，精确的在前；--code 输出代码"),
     runPlan},
    {QStringLiteral("delay"),
     {QStringLiteral("delay"), QStringLiteral("crystal"), QStringLiteral("family?"),
      QStringLiteral("clock?"), QStringLiteral("timer?"), QStringLiteral("argument?"),
      QStringLiteral("lang?"), QStringLiteral("explain?")},
     QStringLiteral("软件延时：精确到时钟的延时函数，C 或汇编，头部写明计算过程"),
     runDelay},
    {QStringLiteral("wave"),
     {QStringLiteral("frequency"), QStringLiteral("crystal"), QStringLiteral("family?"),
      QStringLiteral("clock?"), QStringLiteral("timer?"), QStringLiteral("code?"),
      QStringLiteral("lang?"), QStringLiteral("explain?")},
     QStringLiteral("方波：每种输出这个频率的方法、重装值、实际频率和误差；--code 输出代码"),
     runWave},
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

// The whole list names the sub-command a row is for; a sub-command's own help needs not.
QString optionLine(const OptionSpec& option, bool named = false) {
    const QString left = QStringLiteral("--") + option.name +
                         (option.value.isEmpty() ? QString() : QLatin1Char(' ') + option.value);
    const QString forWhom =
        named && !option.only.isEmpty() ? option.only + QStringLiteral("：") : QString();
    return QStringLiteral("  ") + left.leftJustified(20) + forWhom + option.help +
           QLatin1Char('\n');
}

// The families with their clocks, and their ports' generators where the sub-command takes
// --generator.
QString familyHelp(bool generators) {
    QString text = generators ? QStringLiteral("芯片系列 (--family)、定时器时钟 (--clock) 及波特率"
                                               "发生器 (--generator)：\n")
                              : QStringLiteral("芯片系列 (--family) 及定时器时钟 (--clock)：\n");
    for (const ChipFamily& family : chipFamilies()) {
        text += QStringLiteral("  ") + familyNames(family).leftJustified(22) +
                fromUtf8(family.name) + QStringLiteral("，") + clockNames(family) +
                QLatin1Char('\n');
        for (const int uart : generators ? uartsOf(family) : std::vector<int>{})
            for (const BaudGenerator& generator : generatorsOf(family, uart))
                text += QStringLiteral("      ") +
                        (uart == 1 ? QString() : QStringLiteral("--uart %1 ").arg(uart)) +
                        fromUtf8(generator.id).leftJustified(uart == 1 ? 18 : 9) +
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
    for (const OptionSpec& option : optionSpecs())
        text += optionLine(option, true);
    return text + QStringLiteral("  --version           版本\n\n") + familyHelp(true) +
           QLatin1Char('\n') + exitHelp;
}

QString commandHelp(const SubCommand& command) {
    QString text = QStringLiteral("用法：") + synopsis(command) + QLatin1Char('\n') +
                   command.summary + QStringLiteral("\n\n选项：\n");
    // The row the sub-command reads, once: an option may have a row of its own for it.
    for (const OptionSpec& option : optionSpecs())
        if (accepts(command, option.name) && findOption(option.name, command.name) == &option)
            text += optionLine(option);
    return text + QLatin1Char('\n') + familyHelp(accepts(command, QStringLiteral("generator"))) +
           QLatin1Char('\n') + exitHelp;
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
    const bool alone = first.startsWith(QLatin1Char('-')) && !rest.isEmpty();
    if (alone && (first == QLatin1String("--version") || first == QLatin1String("--help") ||
                  first == QLatin1String("-h")))
        throw Refusal{Usage,
                      QStringLiteral("%1 不带参数：%2\n").arg(first, rest.join(' ')) + usage()};
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
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
        // As with the program's own --help: asking for help and for a result is a mistake.
        if (rest.size() > 1)
            throw Refusal{Usage,
                          QStringLiteral("%1 不带其他参数：%2")
                              .arg(rest.contains(QLatin1String("--help")) ? QStringLiteral("--help")
                                                                          : QStringLiteral("-h"),
                                   rest.join(QLatin1Char(' ')))};
        return {commandHelp(*command).toUtf8(), {}};
    }
    const Invocation invocation(parseOptions(*command, rest));
    return command->run(invocation, invocation.has(QStringLiteral("json")));
}

} // namespace

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
        write(stderr, QStringLiteral("结果写不出去：%1\n").arg(writeError(errno)));
        return Refused;
    }
    if (!result.warning.isEmpty())
        write(stderr, result.warning + QLatin1Char('\n'));
    return Done;
}

} // namespace tickora::cli
