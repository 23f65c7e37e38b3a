// The copied code, proven: SDCC compiles it inside a tiny main and the 8051 simulator s51 runs
// it. A timer must overflow exactly N - initValue counts after it is started, and again after
// each reload (by the routine in modes 0 and 1, by itself in mode 2).
#include "baudrate.h"
#include "calculator.h"
#include "registers.h"

#include <QtTest>

using namespace tickora;

namespace {

QString run(const QString& program, const QStringList& arguments, const QString& input = {},
            const QString& directory = {}) {
    QProcess process;
    process.setWorkingDirectory(directory);
    process.start(program, arguments);
    process.write(input.toLatin1());
    process.closeWriteChannel();
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        qWarning() << program << process.readAllStandardError();
    return QString::fromLatin1(process.readAllStandardOutput());
}

// Compiles the program and runs it to its breakpoints, four stops in all: each at the first
// instruction after where a pattern matches the listing. At each stop, the machine cycle since
// reset ("cycle") and the special function registers by name (PCON to TH1, and SCON).
QList<QHash<QString, int>> simulate(const QString& program, const QStringList& breaks) {
    QTemporaryDir dir;
    QFile main(dir.filePath("main.c"));
    if (!main.open(QIODevice::WriteOnly) || main.write(program.toLatin1()) < 0)
        return {};
    main.close();
    run("sdcc", {"-mmcs51", "main.c"}, {}, dir.path());
    QFile rst(dir.filePath("main.rst"));
    if (!rst.open(QIODevice::ReadOnly))
        return {};
    const QString listing = QString::fromLatin1(rst.readAll());
    QStringList commands;
    for (const QString& pattern : breaks)
        commands << "break 0x" +
                        QRegularExpression(pattern + ".*\\n(?:.*\\n)*?\\s+(\\w{6}) \\w\\w ")
                            .match(listing)
                            .captured(1);
    for (int i = 0; i < 4; ++i)
        commands << "run\ntimer get\ndump sfr 0x87 0x8d\ndump sfr 0x98 0x98";
    const QString output = run("s51", {"-t", "8051", "-X", "12M", "-b", dir.filePath("main.ihx")},
                               commands.join('\n') + "\nquit\n");
    QList<QHash<QString, int>> stops;
    const QRegularExpression clocks("\\((\\d+) clks\\)"), sfr("0x.. (\\w+): +0b\\d+ 0x(..)");
    for (const QString& text : output.split("Stop at").mid(1)) {
        QHash<QString, int> stop{{"cycle", clocks.match(text).captured(1).toInt() / 12}};
        for (const auto& match : sfr.globalMatch(text))
            stop[match.captured(1)] = match.captured(2).toInt(nullptr, 16);
        stops << stop;
    }
    return stops;
}

} // namespace

class TestSimulator : public QObject {
    Q_OBJECT
private slots:
    void timerCodeRunsAsCalculated_data() {
        QTest::addColumn<QString>("row"); // timer, interval, crystal, mode count, clock
        for (const char* row :
             {"0 1000 11.0592 65536 12", "1 1000 11.0592 65536 1", "0 100 12 8192 12",
              "1 1000 24 8192 6", "0 250 11.0592 256 12", "1 10 22.1184 256 1"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void timerCodeRunsAsCalculated() {
        QFETCH(QString, row);
        const auto field = [&row](int i) { return row.section(' ', i, i); };
        const int timer = field(0).toInt(), n = field(3).toInt();
        CalcState state{field(1).toFloat(), n, 0, field(2).toFloat(), 0, 0, 0, 0, field(4).toInt()};
        QCOMPARE(calculate(state), CalcOutcome::Ok);
        const auto unit = QString::fromStdString(
            *timerInitCode(timer, {state.initValue, n, state.timeUs, state.crystalMhz,
                                   state.initErrorUs, state.timerClock}));
        QVERIFY(std::all_of(unit.begin(), unit.end(), [](QChar c) { return c.unicode() < 128; }));
        const QString x = field(0), isr = QString("void timer%1_isr(void) interrupt %2");
        QVERIFY(run("cpp", {"-P"}, unit).contains(isr.arg(x).arg(timer * 2 + 1))); // Keil's

        // Stops: the timer started, the routine entered and, in modes 0 and 1, the reload in
        // it, then the routine entered again. The other timer's TMOD bits are set first.
        const int other = 0x5 << (4 - 4 * timer), mode = n == 8192 ? 0 : n == 65536 ? 1 : 2;
        QStringList breaks{"setb\\t_TR" + x, "_timer" + x + "_isr:"};
        if (mode != 2)
            breaks << "_timer" + x + "_isr:(?:.*\\n)*?.*mov\\t_TL" + x;
        const auto stops = simulate(
            QString("#include <8051.h>\n%1void main(void)\n{\n    TMOD = %2;\n    timer%3_init();\n"
                    "    for (;;)\n        ;\n}\n")
                .arg(unit, QString::number(other), x),
            breaks);
        QCOMPARE(stops.size(), 4);
        QCOMPARE(stops[0]["TMOD"], other | mode << (timer * 4));
        const auto overflowAt = [&](int stop) { // the cycle less the counts since the overflow
            const int th = stops[stop]["TH" + x], tl = stops[stop]["TL" + x];
            return stops[stop]["cycle"] - (mode == 0   ? th * 32 + (tl & 31)
                                           : mode == 1 ? th * 256 + tl
                                                       : tl - th);
        };
        const int counts = n - state.initValue;
        QCOMPARE(overflowAt(1) - stops[0]["cycle"], counts);
        if (mode == 2)
            QCOMPARE(overflowAt(3) - overflowAt(2), counts);
        else // s51 stores a MOV's operand one machine cycle before the MOV ends
            QCOMPARE(overflowAt(3) - (stops[2]["cycle"] - 1), counts);
    }

    // Timer 1 in mode 2 clocks the serial port: its count must run from TH1 up and over again
    // every 256 - TH1 counts, too fast to poll, so it is read at stops a few periods apart.
    void baudCodeReloadsTimer1() {
        for (const auto generator : {BaudGenerator::Timer1Smod0, BaudGenerator::Timer1Smod1}) {
            const double baud = generator == BaudGenerator::Timer1Smod0 ? 9600 : 57600;
            const auto setting = baudSetting(generator, 11.0592f, 12, baud);
            const auto code = baudInitCode({generator, 11.0592f, 12, baud}, setting.value());
            const auto stops =
                simulate("#include <8051.h>\n" + QString::fromStdString(code) +
                             "void main(void)\n{\n    TMOD = 0x05;\n    uart_init();\n"
                             "    for (;;) {\n        P1 = TL1;\n        P2++;\n    }\n}\n",
                         {"setb\\t_TR1", "lcall\\t_uart_init", "mov\\t_P1,_TL1"});
            QCOMPARE(stops.size(), 4);
            QCOMPARE(QString::asprintf("%X %X %d", stops[0]["TMOD"], stops[0]["SCON"],
                                       stops[0]["PCON"] >> 7),
                     QString::asprintf("25 50 %d", generator == BaudGenerator::Timer1Smod1));
            const int reload = setting->reload, period = 256 - reload;
            for (const auto& stop : stops)
                QCOMPARE(stop["TL1"], reload + (stop["cycle"] - stops[0]["cycle"]) % period);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
