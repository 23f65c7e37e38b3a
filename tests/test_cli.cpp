// The program as scripts run it: a real process with no display, its exit status and what it
// writes, against the core's own numbers and code.
#include "baudrate.h"
#include "chipfamily.h"
#include "delay.h"
#include "plan.h"
#include "registers.h"
#include "timerefusals.h"

#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace tickora;

namespace {

// Status, standard output and error of the arguments split at blanks; a leading VAR=value sets
// the child's environment, a trailing >FILE its standard output. A run still going after
// `bound` ms, as a window would be, is status -1.
std::tuple<int, QByteArray, QString> launch(const QString& command, int bound = 10000) {
    QStringList arguments = command.split(' ');
    QProcess process;
    if (arguments.last().startsWith('>'))
        process.setStandardOutputFile(arguments.takeLast().mid(1));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    environment.insert("LC_ALL", "en_US.UTF-8");
    for (; arguments[0].contains('='); arguments.removeFirst())
        environment.insert(arguments[0].section('=', 0, 0), arguments[0].section('=', 1));
    process.setProcessEnvironment(environment);
#ifdef Q_OS_WIN // no console, not even a hidden one: UTF-8, the bytes the Linux build is held to
    process.setCreateProcessArgumentsModifier([](auto* run) { run->flags |= DETACHED_PROCESS; });
#endif
    process.start(TICKORA_BINARY, arguments);
    const bool exited =
        process.waitForFinished(bound) && process.exitStatus() == QProcess::NormalExit;
    QByteArray out = process.readAllStandardOutput(), err = process.readAllStandardError();
#ifdef Q_OS_WIN // text mode's CRLF, which the Windows check holds against the Linux bytes
    out.replace("\r\n", "\n");
    err.replace("\r\n", "\n");
#endif
    return {exited ? process.exitCode() : -1, out, QString::fromUtf8(err)};
}

QString digits(double value) { return QString::number(value, 'g', 17); }

// num / den to three decimals, rounded half away from zero or cut toward it, by integers alone.
QString thousandths(qint64 numerator, qint64 denominator, bool cut = false) {
    const bool negative = (numerator < 0) != (denominator < 0);
    const Exact::Int num = std::abs(numerator), den = std::abs(denominator);
    const auto whole = qint64(num * 1000 / den + (!cut && num * 1000 % den * 2 >= den));
    const QString text = QString("%1.%2").arg(whole / 1000).arg(whole % 1000, 3, 10, QChar('0'));
    if (cut)
        return QString(text).remove(QRegularExpression("\\.?0+$"));
    return (negative && whole != 0 ? "-" : "") + text;
}

// The values to the last digit; a register's "0x" text as its number.
QStringList values(const QJsonValue& object, const QStringList& keys) {
    QStringList texts;
    for (const QString& key : keys) {
        const QJsonValue value = object[key];
        texts << (value.isNull()     ? "null"
                  : value.isString() ? digits(value.toString().toInt(nullptr, 16))
                                     : digits(value.toDouble()));
    }
    return texts;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // a part of it; nothing at all when the run fails
        QTest::addColumn<QString>("err"); // a part of it; nothing at all when empty

        // clang-format off
        QTest::newRow("timer") << "timer --crystal 11.0592 --interval 1000 --mode 1" << 0 << "initial value: FC66\nTHx: 0xFC\nTLx: 0x66\nlongest interval (us): 71111\ncycle (us): 1.085\nerror (us): -0.434\nachieved interval (us): 1000.434\nachieved error (%): -0.043\n" << "";
        QTest::newRow("stc8 mode 0 is 16-bit") << "timer --crystal 11.0592 --interval=1000 --mode 0 --family STC8 --clock 1t" << 0 << "initial value: D4CD\nTHx: 0xD4\nTLx: 0xCD\nlongest interval (us): 5925.925\n" << "";
        QTest::newRow("full-width digits") << "timer --crystal １２ --interval １００ --mode 2" << 0 << "initial value: 9C\nTHx: 0x9C\nTLx: 0x9C\n" << "";
#ifndef Q_OS_WIN // Windows takes the regional format from its settings, not from LC_ALL
        QTest::newRow("decimal comma") << "LC_ALL=de_DE.UTF-8 timer --crystal 11,0592 --interval 1000 --mode 1" << 0 << "FC66\nTHx: 0xFC\nTLx: 0x66\nlongest interval (us): 71111\ncycle (us): 1,085" << "";
        QTest::newRow("explain in the locale") << "LC_ALL=de_DE.UTF-8 timer --crystal 11,0592 --interval 1000 --mode 1 --family stc15 --explain" << 0 << "1. 机器周期 T = D ÷ f：12 ÷ 11,0592 ≈ 1,085 µs" << "";
#endif
        QTest::newRow("json") << "timer --crystal 12 --interval 100 --mode 1 --json" << 0 << "\"mode\":1,\"th\":\"0xFF\",\"tl\":\"0x9C\"}\n" << "";
        QTest::newRow("json names the row") << "timer --crystal 12 --interval 100 --mode 1 --family MS51 --json" << 0 << "\"family\":\"n76e003\"" << "";
        QTest::newRow("bad crystal") << "timer --crystal 0 --interval 100 --mode 1" << 1 << "" << "晶体频率设置不当";
        QTest::newRow("explain") << "timer --crystal 11.0592 --interval 1000 --mode 1 --explain" << 0 << "9. 十六进制：64614 = FC66H\n" << "";
        QTest::newRow("explain a refusal") << "timer --crystal 11.0592 --interval 10000 --mode 1 --family stc8 --clock 1T --explain" << 1 << "" << "超出定时范围，请重新输入定时时间或晶体频率\n\n计算过程：定时器初始值";
        QTest::newRow("explain by how much") << "timer --crystal 11.0592 --interval 10000 --mode 1 --family stc8 --clock 1T --explain" << 1 << "" << "取整后 110592 个计数，多于方式的 65536 个，多出 45056 个";
        QTest::newRow("explain the floats") << "timer --crystal 11.0592 --interval 1000 --mode 1 --explain" << 0 << "1. 晶体频率（单精度）：11.0592 ≈ 11.059200286865234 MHz" << "";
        QTest::newRow("explain what could not be read") << "timer --crystal 12 --interval= --mode 1 --family stc12 --explain" << 1 << "" << "定时时间（不是一个数，无法读出），晶体频率 f = 12 MHz";
        QTest::newRow("explain without json") << "timer --crystal 12 --interval 100 --mode 1 --explain --json" << 2 << "" << "不能与 --json 或 --code 同用";
        QTest::newRow("explain an unreachable rate") << "baud --crystal 33 --rate 300 --explain" << 1 << "" << "无法实现";
        QTest::newRow("explain plan 2") << "plan --interval 1s --crystal 11.0592 --explain --plan 2" << 0 << "按这些比较排在第 2 个。\n" << "";
        QTest::newRow("explain a delay") << "delay --delay 10ms --crystal 12 --explain" << 0 << "5. 循环计数（内层在前；每层 1 到 256，256 装作 0；取放得进 9996 个机器周期的最大值）：R7 为 113，R6 为 20\n6. DJNZ R7 的次数 = (DJNZ R6 的次数 − 1) × 256 + R7：(20 − 1) × 256 + 113 = 4977\n" << "";
        QTest::newRow("out of range") << "timer --crystal 12 --interval 100000 --mode 1 --json" << 1 << "" << "超出定时范围";
        QTest::newRow("too short for the routine") << "code --timer 0 --crystal 12 --interval 79 --mode 1" << 1 << "" << "至少 80 个计数（80.000 uS）";
        QTest::newRow("not a number") << "code --timer 0 --crystal 12MHz --interval 100 --mode 1" << 1 << "" << "含有字符";
        QTest::newRow("unknown option") << "timer --crystal 12 --interval 100 --mode 1 --foo" << 2 << "" << "未知选项：--foo";
        QTest::newRow("no value") << "timer --mode 1 --interval 100 --crystal" << 2 << "" << "--crystal 缺少值";
        QTest::newRow("unknown family") << "timer --crystal 12 --interval 100 --mode 1 --family stc99" << 2 << "" << "未知的芯片系列：stc99";
        QTest::newRow("clock not offered") << "baud --crystal 12 --family stc32g --clock 6T" << 2 << "" << "只能是 12T、1T";
        QTest::newRow("usage before numbers") << "code --timer 5 --crystal x --interval 100 --mode 1" << 2 << "" << "--timer 只能是 0、1、2、3 或 4";
        QTest::newRow("a timer the chip lacks") << "code --timer 3 --crystal x --interval 100 --mode 1" << 2 << "" << "经典 8051/8052 没有定时器 3（可用：0、1、2）";
        QTest::newRow("a port the chip lacks") << "baud --family stc12 --uart 2 --crystal 12" << 2 << "" << "没有串口 2（可用：1）";
        QTest::newRow("generator not offered") << "baud --crystal 12 --generator brt" << 2 << "" << "没有波特率发生器 brt";
        QTest::newRow("unknown language") << "code --timer 0 --crystal x --interval 100 --mode 1 --lang pascal" << 2 << "" << "未知的代码语言：pascal（可用：c, a51, asx）";
        QTest::newRow("language without code") << "plan --interval 1s --crystal 12 --lang a51" << 2 << "" << "--lang 需要 --code";
        QTest::newRow("language with a rate, no code") << "baud --crystal 12 --rate 9600 --lang a51" << 2 << "" << "--lang 需要 --code";
        QTest::newRow("code needs a rate") << "baud --crystal 12 --code" << 2 << "" << "--code 需要 --rate";
        QTest::newRow("baud table") << "baud --crystal 11.0592" << 0 << "9600\tFD\t9600.0\t0.00%\t\n14400\tFE\t14400.0\t0.00%\t\n19200\tFE\t14400.0\t-25.00%\t误差过大，可改用定时器 1，SMOD = 1\n" << "";
        QTest::newRow("unreachable rate") << "baud --crystal 11.0592 --rate 115200" << 0 << "串口 1：定时器 1，SMOD = 0\n波特率\t重装值\t实际\t误差(%，实际−要求)\t说明\n115200\t无法实现\t—\t—\t超出范围，可改用定时器 2 (8052)\n" << "";
        QTest::newRow("utf8, as with no console") << "baud --crystal 11.0592 --rate 115200 --utf8" << 0 << "115200\t无法实现" << "";
        QTest::newRow("baud json") << "baud --crystal 11.0592 --rate 9600 --json" << 0 << "\"reload\":\"0xFD\"" << "";
        QTest::newRow("no code unreachable") << "baud --crystal 11.0592 --rate 115200 --code" << 1 << "" << "超出范围";
        QTest::newRow("code beyond 2 %") << "baud --crystal 11.0592 --rate 38400 --code" << 0 << "WARNING" << "误差超过 ±2%";
        QTest::newRow("2 % exactly is reliable") << "baud --crystal 19.584 --rate 5000" << 0 << "5000\tF6\t5100.0\t+2.00%\t\n" << "";
        QTest::newRow("bad rate") << "baud --crystal 12 --rate 0" << 1 << "" << "波特率无效";
        // What no chip does, refused as the windows refuse it; the bounds themselves taken.
        QTest::newRow("crystal beyond") << "baud --crystal 1e40" << 1 << "" << "晶体频率须在 0.001 到 1000 MHz 之间";
        QTest::newRow("crystal below") << "plan --interval 1s --crystal 0.00099" << 1 << "" << "晶体频率须在 0.001 到 1000 MHz 之间";
        QTest::newRow("crystal bounds") << "baud --crystal 0.001 --rate 1 --json" << 0 << "\"crystalMhz\":0.001," << "";
        QTest::newRow("rate beyond") << "baud --crystal 1000 --rate 100000001" << 1 << "" << "波特率须在 1 到 100000000 之间";
        QTest::newRow("plan without code") << "plan --interval 1s --crystal 12 --plan 2" << 2 << "" << "--plan 需要 --code";
        QTest::newRow("version and more") << "--version extra" << 2 << "" << "--version 不带参数：extra";
        QTest::newRow("plan") << "plan --interval 1s --crystal 12" << 0 << "定时器 2 (8052)\t50000\t3CB0\t20\t1000000.000\t0.000\t是\n定时器 0 方式 2\t250\t06\t4000" << "";
        QTest::newRow("plan code") << "plan --interval 1000ms --crystal 11.0592 --family stc8 --clock 1T --code --plan 2" << 0 << "    T2L = 0x00;\n    T2H = 0x28;\n" << "";
        QTest::newRow("inexact plans are no later") << "plan --interval 300 --crystal 11.0592" << 0 << "\t299.479\t+0.521\t否\n定时器 0 方式 1" << "";
        QTest::newRow("plan json") << "plan --interval 300 --crystal 11.0592 --json" << 0 << "\"exact\":false,\"lateReload\":false,\"prescale\":0,\"reload\":\"0x76\",\"reloadsItself\":true,\"tickUs\":149.7" << "";
        QTest::newRow("plan too short") << "plan --interval 5us --crystal 12" << 1 << "" << "定时时间太短，请用主窗口";
        QTest::newRow("plan beyond the list") << "plan --interval 1s --crystal 12 --code --plan 4" << 2 << "" << "--plan 只能是 1 到 3";
        QTest::newRow("mistyped sub-command") << "timers --crystal 12" << 2 << "" << "未知的子命令：timers\n用法：tickora\n      tickora timer --crystal MHZ";
        QTest::newRow("Qt's option without its value") << "-platform" << 2 << "" << "未知的子命令：-platform\n";
        QTest::newRow("full disk") << "code --timer 0 --crystal 12 --interval 1000 --mode 1 >/dev/full" << 1 << "" << "结果写不出去：磁盘已满";
        QTest::newRow("help") << "--help" << 0 << "n76e003, ms51" << "";
        QTest::newRow("delay") << "delay --delay 10ms --crystal 12" << 0 << "void delay_10ms(void) __naked" << "";
        QTest::newRow("delay by argument") << "delay --delay 1ms --crystal 11.0592 --argument --lang a51" << 0 << "\n_delay_ms:\n" << "";
        QTest::newRow("delay on a 1T core") << "delay --delay 1ms --crystal 12 --family stc8 --clock 1T" << 1 << "" << "1T 内核指令时间未知";
        QTest::newRow("delay needs a delay") << "delay --crystal 12" << 2 << "" << "缺少选项：--delay";
        QTest::newRow("wave") << "wave --frequency 38kHz --crystal 24 --family stc8 --clock 1T" << 0 << "方法\t重装值\t实际(Hz)\t误差(%，实际−要求)\t引脚\t说明\n定时器 0 时钟输出\tFEC4\t37974.684\t-0.067\tP3.5\t不占 CPU\n" << "";
        QTest::newRow("wave code: the best way") << "wave --frequency 1kHz --crystal 12 --code" << 0 << "    RCAP2L = 0x48;\n    TH2 = 0xF4;\n    TL2 = 0x48;\n    T2CON = 0x04;  /* TR2: start */\n}\n" << "";
        QTest::newRow("wave code on a timer") << "wave --frequency 1kHz --crystal 12 --timer 0 --code --lang a51" << 0 << "\tCPL\tP1.0\t; an edge of the wave every 500 us\n" << "";
        QTest::newRow("wave working") << "wave --frequency 1kHz --crystal 12 --explain --timer 0" << 0 << "3. 计数取 500（正好是整数）" << "";
        QTest::newRow("wave too fast for any way") << "wave --frequency 10MHz --crystal 12 --code" << 1 << "" << "频率太高：最高 3000000.000 Hz";
        QTest::newRow("wave: no frequency") << "wave --frequency x --crystal 12" << 1 << "" << "请输入有效的频率";
        QTest::newRow("wave: a timer with no way") << "wave --frequency 1kHz --crystal 12 --timer 3" << 2 << "" << "没有用定时器 3 的方波方法";
        QTest::newRow("a timer's delay, the 8052's timer 2") << "delay --delay 10ms --crystal 12 --timer 2 --json" << 0 << "\"timer\":2,\"uses\":[\"timer 2\"]" << "";
        QTest::newRow("a timer's delay where loops are refused") << "delay --delay 10ms --crystal 12 --family stc8 --clock 1T --timer 0" << 0 << " * uses: timer 0.\n" << "";
        QTest::newRow("a timer the chip has none of") << "delay --delay 10ms --crystal 12 --family stc12 --timer 2" << 2 << "" << "没有可用来延时的定时器 2（可用：0、1）";
        QTest::newRow("no timer's delay on a 251 core") << "delay --delay 10ms --crystal 12 --family stc32g --timer 0" << 2 << "" << "STC32G 是 251 内核";
        for (const char* command : {"timer", "code", "baud", "plan", "delay", "wave"}) // as --version
            QTest::addRow("%s help and more", command) << QString("%1 --help --bogus").arg(command) << 2 << "" << "--help 不带其他参数：--help --bogus\n用法：tickora " + QString(command);
        QTest::newRow("help is no option's value") << "baud --crystal --help" << 2 << "" << "--help 不带其他参数";
        QTest::newRow("another port's generator named") << "baud --family stc8 --clock 1T --uart 3 --crystal 24 --rate 115200" << 0 << "串口 3：定时器 2\n波特率" << "";
        // Plain figures: the locale's decimal mark and nothing else, for scripts to read.
        QTest::newRow("figures never grouped") << "timer --crystal 0.001 --interval 1000000 --mode 0 --family stc8 --clock 1T" << 0 << "longest interval (us): 65536000\ncycle (us): 1000.000\nerror (us): 0.000\nachieved interval (us): 1000000.000\n" << "";
#ifndef Q_OS_WIN
        QTest::newRow("nor in a decimal comma") << "LC_ALL=de_DE.UTF-8 timer --crystal 0,001 --interval 1000000 --mode 0 --family stc8 --clock 1T" << 0 << "longest interval (us): 65536000\ncycle (us): 1000,000\n" << "";
#endif
        for (const TimeRefusal& refusal : timeRefusals) {
            QTest::addRow("plan, %s", refusal.row) << QString("plan --crystal 12 --interval=%1s").arg(refusal.seconds) << 1 << "" << refusal.plan;
            QTest::addRow("delay, %s", refusal.row) << QString("delay --crystal 12 --delay=%1s").arg(refusal.seconds) << 1 << "" << refusal.delay;
        }
        QTest::newRow("no generators where none is taken") << "timer --help" << 0 << "经典 8051/8052，12T\n  stc89" << "";
        // clang-format on
    }
    void commandLines() {
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const auto [exit, stdOut, stdErr] = launch(command);
        QCOMPARE(exit, status);
        QVERIFY2(status == 0 ? QString::fromUtf8(stdOut).contains(out) : stdOut.isEmpty(), stdOut);
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
        // How to call it again is said for a mistaken call only, never for a refused input.
        QCOMPARE(stdErr.contains("用法："), status == 2);
    }

    // Each sub-command's help lists each of its options once, with its own placeholder and
    // words: plan's --interval takes a unit, baud's --code is uart_init()'s, plan's a plan's.
    void eachHelpListsItsOwnOptionsOnce() {
        QStringList seen;
        for (const char* command : {"timer", "code", "baud", "plan", "delay"}) {
            const auto [status, out, err] = launch(QString(command) + " --help");
            QStringList names;
            for (const QString& line : QString::fromUtf8(out).split('\n'))
                if (line.startsWith("  --"))
                    names << line.section(' ', 2, 2), seen << command + line.simplified();
            QVERIFY2(status == 0 && names.removeDuplicates() == 0, command);
        }
        for (const QString line :
             {"plan--interval TIME 定时时间：", "baud--code 只输出这个波特率的 uart_init()",
              "plan--code 输出所选方案的代码", "delay--timer 0-2 按定时器"})
            QVERIFY2(
                !seen.filter(QRegularExpression("^" + QRegularExpression::escape(line))).isEmpty(),
                qPrintable(line));
        QVERIFY(seen.filter(QRegularExpression("^(plan--interval US|baud.*方案|plan.*uart_init)"))
                    .isEmpty());
    }

    // Each unit's header names the timer and interrupt it takes, as its JSON lists them, and
    // its routine answers that interrupt; a baud or delay unit has no routine.
    void unitsSayWhatTheyTake_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("uses");
        // clang-format off
        QTest::newRow("timer 1") << "code --timer 1 --crystal 12 --interval 1000 --mode 1 --lang a51" << "timer 1, interrupt 3";
        QTest::newRow("8052 timer 2") << "plan --interval 1s --crystal 11.0592 --code --plan 1" << "timer 2, interrupt 5";
        QTest::newRow("STC timer 2") << "plan --interval 1s --crystal 11.0592 --family stc8 --clock 1T --code --plan 2" << "timer 2, interrupt 12";
        QTest::newRow("plan on timer 0") << "plan --interval 1s --crystal 12 --code --plan 2" << "timer 0, interrupt 1";
        QTest::newRow("uart from timer 1") << "baud --crystal 11.0592 --rate 9600 --code" << "timer 1";
        QTest::newRow("uart from BRT") << "baud --crystal 11.0592 --rate 9600 --family stc12 --generator brt --code" << "BRT";
        QTest::newRow("uart from timer 3") << "baud --crystal 16 --rate 9600 --family n76e003 --generator t3 --code --lang asx" << "timer 3";
        QTest::newRow("delay") << "delay --delay 1ms --crystal 12" << "";
        QTest::newRow("STC timer 3, mode 2 shown") << "code --timer 3 --crystal 24 --interval 10 --mode 2 --family stc8 --clock 1T" << "timer 3, interrupt 19";
        QTest::newRow("STC timer 4") << "code --timer 4 --crystal 24 --interval 1000 --mode 1 --family stc15 --clock 1T --lang a51" << "timer 4, interrupt 20";
        QTest::newRow("UART2") << "baud --crystal 24 --rate 115200 --family stc8 --clock 1T --uart 2 --code" << "timer 2";
        QTest::newRow("UART4 from timer 4") << "baud --crystal 24 --rate 115200 --family stc8 --uart 4 --generator t4 --code --lang asx" << "timer 4";
        // clang-format on
    }
    void unitsSayWhatTheyTake() {
        QFETCH(QString, command);
        QFETCH(QString, uses);
        const QJsonObject object =
            QJsonDocument::fromJson(std::get<1>(launch(command + " --json"))).object();
        const int plan = QRegularExpression("--plan (\\d)").match(command).captured(1).toInt();
        const QJsonValue listed = plan > 0 ? object["plans"][plan - 1]["uses"] : object["uses"];
        QCOMPARE(listed.toVariant().toStringList().join(", "), uses);
        const QString code = object["code"].toString(), interrupt = uses.section("interrupt ", 1);
        QVERIFY(
            code.contains("uses: " + (uses.isEmpty() ? "no timer, no interrupt" : uses) + ".\n"));
        const QString hex = QString("%1").arg(8 * interrupt.toInt() + 3, 4, 16, QChar('0'));
        const bool routed = code.contains("TIMER_ISR(" + interrupt + ")") ||
                            code.contains("AT " + hex.toUpper() + "H") ||
                            code.contains(".org 0x" + hex);
        QCOMPARE(QString("%1%2").arg(routed).arg(code.contains("_isr")),
                 interrupt.isEmpty() ? "00" : "11");
        QCOMPARE(code.contains("Timer 2 then cannot clock the serial port."),
                 uses.startsWith("timer 2,"));
        // The port the code is for, and the value a timer's code loads whatever the mode shows.
        const int uart = QRegularExpression("--uart (\\d)").match(command).captured(1).toInt();
        QCOMPARE(object["uart"].toInt(), command.startsWith("baud") ? std::max(uart, 1) : 0);
        const int loads = object["codeValue"].toInt(-1);
        const QString value = QString("%1").arg(loads & 0xFFFF, 4, 16, QChar('0')).toUpper(),
                      at = "\\d?(,#0?| = 0x)%1(H|;)"; // THx = 0xFC;  MOV T3L,#40H
        QVERIFY(loads < 0 || (code.contains(QRegularExpression("H" + at.arg(value.left(2)))) &&
                              code.contains(QRegularExpression("L" + at.arg(value.right(2))))));
        QCOMPARE(loads == -1, !command.startsWith("code"));
    }

    // What a launcher or a session manager passes still opens the window, which runs on.
    void qtOptionsOpenTheWindow() {
        QCOMPARE(std::get<0>(launch("-platform offscreen -session s1 -reverse", 3000)), -1);
    }

    // Each key of a wave's JSON means what its table row says, and its figures are the manuals'
    // formulas in integers: rate = crystal / P a count (P the timer clock, 2 for the 8052's
    // clock out), achieved = rate / 2 counts, the error (achieved - asked) / asked x 100, a tie
    // where the count beside is as near. Rows: a tie, a routine that drifts, ways that cannot.
    void waveJsonKeysMeanWhatTheTableSays_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<qint64>("crystalHz");
        QTest::addColumn<qint64>("hz");
        QTest::newRow("a tie at 675 kHz")
            << "--frequency 675kHz --crystal 12" << 12'000'000LL << 675'000LL;
        QTest::newRow("a 1T routine drifts")
            << "--frequency 1kHz --crystal 24 --family stc8 --clock 1T" << 24'000'000LL << 1000LL;
        QTest::newRow("8 bits, errors, too short")
            << "--frequency 7000 --crystal 12" << 12'000'000LL << 7000LL;
        QTest::newRow("STC15 at 12T") << "--frequency 3kHz --crystal 11.0592 --family stc15 "
                                         "--clock 12T"
                                      << 11'059'200LL << 3000LL;
    }
    void waveJsonKeysMeanWhatTheTableSays() {
        QFETCH(QString, arguments);
        QFETCH(qint64, crystalHz);
        QFETCH(qint64, hz);
        const auto [status, table, why] = launch("wave " + arguments);
        const auto [jsonStatus, json, jsonWhy] = launch("wave --json " + arguments);
        QCOMPARE(QString::number(status) + QString::number(jsonStatus), "00");
        const QStringList rows = QString::fromUtf8(table).trimmed().split('\n').mid(1);
        const QJsonArray ways = QJsonDocument::fromJson(json)["ways"].toArray();
        QCOMPARE(ways.size(), rows.size());
        const qint64 clock = arguments.contains("1T") ? 1 : 12;
        for (int i = 0; i < rows.size(); ++i) {
            const QStringList cell = rows[i].split('\t');
            const QJsonObject way = ways[i].toObject();
            const QString label = cell[0], remark = cell[5];
            const bool made = cell[1] != "—";
            const QString mode = QRegularExpression("方式 (\\d)").match(label).captured(1);
            QCOMPARE(QStringList({way["timer"].toVariant().toString(),
                                  way["clockOutput"].toBool() ? "时钟输出" : "中断",
                                  way["mode"].isNull() ? "" : way["mode"].toVariant().toString(),
                                  way["pin"].toString(), way["problem"].toString()}),
                     QStringList({label.mid(4, 1), label.section(' ', -1), mode, cell[4],
                                  made ? "" : remark}));
            QCOMPARE(way["drifts"].toBool(), remark.contains("略长"));
            QCOMPARE(way["tie"].toBool(), remark.contains("两侧计数一样近"));
            if (!made) {
                QCOMPARE(values(way, {"counts", "reload", "achievedHz", "errorPercent"}),
                         QStringList(4, "null"));
                continue;
            }
            const bool byHalf = way["clockOutput"].toBool() && !arguments.contains("--family");
            const qint64 p = byHalf ? 2 : clock, c = way["counts"].toInteger(),
                         range = cell[1].size() == 4 ? 65536 : 256;
            QCOMPARE(way["reload"].toString(), "0x" + cell[1]);
            QCOMPARE(cell[1].toLongLong(nullptr, 16), range - c);
            const qint64 asked = hz * p * 2 * c; // achieved / asked = crystal / asked
            QCOMPARE(values(way, {"achievedHz", "errorPercent"}),
                     (QStringList{digits(double(crystalHz) / double(p * 2 * c)),
                                  digits(double((crystalHz - asked) * 100) / double(asked))}));
            QCOMPARE(way["exact"].toBool(), crystalHz == asked && !way["drifts"].toBool());
            // |crystal - 2 P c f| / c against the counts either side, cross-multiplied.
            const auto off = [&](qint64 n) { return std::abs(crystalHz - 2 * p * n * hz); };
            QCOMPARE(way["tie"].toBool(),
                     crystalHz != asked && (off(c) * (c + 1) == off(c + 1) * c ||
                                            off(c) * (c - 1) == off(c - 1) * c));
        }
    }

    // Random chips and typed decimals: every figure `timer` prints against integer arithmetic
    // (the classic 8051 at 12T keeps its single-precision boxes: there only the achieved
    // interval), byte for byte the units the windows copy in each language (C when none is
    // asked), and the baud row the core gives.
    void agreesWithExactArithmetic() {
        QRandomGenerator random(20);
        for (int i = 0; i < 200; ++i) {
            const ChipFamily& family = chipFamilies()[random.bounded(int(chipFamilies().size()))];
            const int clock = family.clocks[random.bounded(family.clocks[1] != 0 ? 2 : 1)];
            const int mode = random.bounded(3);
            const auto& generator =
                family.generators[random.bounded(int(family.generators.size()))];
            // Crystals to 100 Hz, intervals to 0.1 µs: F / 1e4 MHz, T / 10 µs.
            const qint64 f = 5'000 + random.bounded(475'000), t = 1 + random.bounded(2'000'000);
            const int rate = 300 + random.bounded(300'000);
            const QString chip = QString("--family %1 --clock %2T --crystal %3")
                                     .arg(QString::fromUtf8(family.id.data(), family.id.size()),
                                          QString::number(clock), QString::number(f / 1e4, 'f', 4));
            const QString timer =
                QString(" --interval %1 --mode %2").arg(t / 10.0, 0, 'f', 1).arg(mode);
            const auto& language = codeLanguages()[std::size_t(i / 8 % 4) % 3]; // or none: C
            const QString id = QString::fromUtf8(language.id.data());           // in either case
            const QString lang = i / 8 % 4 == 3 ? "" : " --lang " + (i % 3 ? id : id.toUpper());
            // No unit for a toolchain the chip cannot use: a usage error.
            const int unwritten = languageProblem(family, language.language).empty() ? 1 : 2;
            if (i % 4 == 3) { // a delay of the interval: its unit, and its figures in integers
                const DelayRequest asked{Exact::ratio(t, 10), Exact::ratio(f, 10'000), family,
                                         clock, DelayKind::Fixed};
                const auto delay = planDelay(asked);
                const auto [status, json, why] =
                    launch("delay --json --delay " + timer.section(' ', 2, 2) + ' ' + chip + lang);
                QCOMPARE(status, unwritten == 2 ? 2 : delay ? 0 : 1);
                // asked t f / 1e5 clocks; the core's cycles (a 1T core's clocks, whatever the
                // timers') the nearest whole number, a tie to the even one
                const qint64 unit = family.classicCycle ? clock : 1, asks = t * f,
                             cycles = (asks + 50'000 * unit) / (100'000 * unit);
                const bool tie = asks % (100'000 * unit) == 50'000 * unit;
                const qint64 clocks = (cycles - (tie && cycles % 2)) * unit;
                if (status == 0) {
                    const QJsonObject object = QJsonDocument::fromJson(json).object();
                    QCOMPARE(
                        values(object, {"clocks", "achievedUs", "errorClocks"}),
                        (QStringList{digits(clocks), digits(double(clocks * 10'000) / double(f)),
                                     digits(double(asks - clocks * 100'000) / 1e5)}));
                    QCOMPARE(object["code"].toString().toStdString(),
                             delayCode(asked, *delay, language.language));
                }
            }
            if (i % 4 == 2) { // the first plan's unit, or why there is none
                const PlanRequest asked{Exact::ratio(t, 10), Exact::ratio(f, 10'000), family,
                                        clock};
                const auto plans = planInterval(asked);
                const auto code =
                    plans.empty() ? std::nullopt : tickPlanCode(plans[0], asked, language.language);
                const auto [status, unit, why] =
                    launch("plan --code " + chip + timer.section(" --mode", 0, 0) + lang);
                QCOMPARE(unit, code ? QByteArray::fromStdString(*code) : QByteArray());
                QCOMPARE(status, code ? 0 : plans.empty() ? 1 : unwritten);
            }
            const auto [exit, out, err] = launch("timer " + chip + timer);
            // counts = t / (D / f) = T F / (D 1e5), a tie to even; accepted from one cycle up.
            const qint64 n = countsOf(family.modes[mode].kind), product = t * f,
                         perCount = clock * 100'000LL;
            const qint64 below = product / perCount, rest = product % perCount;
            const qint64 counts =
                below + (2 * rest > perCount || (2 * rest == perCount && below % 2));
            const bool specified = &family == &classicFamily() && clock == 12;
            if (!specified && (product < perCount || counts > n)) {
                QCOMPARE(exit, 1);
                continue;
            }
            if (exit == 1 && specified)
                continue; // the single pass's own range
            QCOMPARE(exit, 0);
            const QStringList lines = QString::fromUtf8(out).split('\n');
            const qint64 shown = lines[0].section(": ", 1).toLongLong(nullptr, 16);
            if (!specified)
                QCOMPARE(shown, n - counts);
            const qint64 c = n - shown; // what the box shows, on every chip
            const auto plus = [](const QString& x) {
                return x[0] == '-' || x == "0.000" ? x : '+' + x;
            };
            // longest N D 1e4 / F (cut), cycle D 1e4 / F, error (T F - c D 1e5) / 10 F µs.
            const QStringList figures{
                "longest interval (us): " + thousandths(n * clock * 10'000LL, f, true),
                "cycle (us): " + thousandths(clock * 10'000LL, f),
                "error (us): " + thousandths(product - c * perCount, 10 * f),
                "achieved interval (us): " + thousandths(c * clock * 10'000LL, f),
                "achieved error (%): " +
                    plus(thousandths((product - c * perCount) * 100, product))};
            const int from = specified ? 3 : 0; // the single pass's boxes are its own
            QCOMPARE(lines.mid(3 + from, 5 - from), figures.mid(from));
            if (i % 4 == 1) { // JSON's numbers: the doubles nearest the exact figures
                const auto [status, json, why] = launch("timer --json " + chip + timer);
                QCOMPARE(
                    values(QJsonDocument::fromJson(json).object(),
                           {"longestUs", "cycleUs", "errorUs", "achievedUs"}),
                    (QStringList{digits(double(n * clock * 10'000LL) / f), digits(clock * 1e4 / f),
                                 digits(double(product - c * perCount) / (10.0 * f)),
                                 digits(double(c * clock * 10'000LL) / f)}));
            }
            if (i % 4 == 0) { // timer 0 or 1; no unit when its routine is too slow
                const auto code = timerInitCode(i / 4 % 2,
                                                {int(shown), mode, Exact::ratio(t, 10),
                                                 Exact::ratio(f, 10'000), clock, &family},
                                                language.language);
                const auto [status, unit, why] =
                    launch(QString("code --timer %1 ").arg(i / 4 % 2) + chip + timer + lang);
                QCOMPARE(unit, code ? QByteArray::fromStdString(*code) : QByteArray());
                QCOMPARE(status, code ? 0 : unwritten);
            }
            const auto setting = baudSetting(generator, Exact::ratio(f, 10'000), clock, rate);
            const auto [status, baud, why] =
                launch(QString("baud --json --rate %1 --generator %2 ")
                           .arg(rate)
                           .arg(QString::fromUtf8(generator.id.data(), generator.id.size())) +
                       chip + (setting ? " --code" + lang : ""));
            if (setting && unwritten == 2) {
                QCOMPARE(status, 2);
                continue;
            }
            // From the reload, in integers: f x 100 Hz / (clocks a count x counts), and the error
            // (actual - rate) / rate x 100, each a quotient of integers below 2^53 that one
            // division rounds to the nearest double.
            const qint64 each = generator.scale == ClockScale::PerClock ? generator.divisor * clock
                                : generator.scale == ClockScale::PerMachineCycle
                                    ? generator.divisor * clock / 12
                                    : generator.divisor;
            const qint64 reloadCounts = setting ? (1 << generator.reloadBits) - setting->reload : 1;
            const qint64 wanted = qint64(rate) * each * reloadCounts;
            const QStringList expected =
                setting ? QStringList{digits(setting->reload),
                                      digits(double(f * 100) / double(each * reloadCounts)),
                                      digits(double((f * 100 - wanted) * 100) / double(wanted))}
                        : QStringList(3, "null");
            QCOMPARE(values(QJsonDocument::fromJson(baud)["rates"][0],
                            {"reload", "actualBaud", "errorPercent"}),
                     expected);
            if (setting)
                QCOMPARE(QJsonDocument::fromJson(baud)["code"].toString().toStdString(),
                         *baudInitCode({family, generator, Exact::ratio(f, 10'000), clock, rate},
                                       *setting, language.language));
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
