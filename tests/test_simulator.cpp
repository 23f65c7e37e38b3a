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

struct Stop {
    int cycle;               // machine cycles since reset
    QHash<QString, int> sfr; // PCON, TCON, TMOD, TL0, TL1, TH0, TH1, SCON
};

// Compiles the program and runs it to its breakpoints, four stops in all. A breakpoint is an
// address, or the instruction after which to stop, searched for in the listing from a label on.
QList<Stop> simulate(const QString& program, const QList<std::pair<QString, QString>>& breaks) {
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
    for (const auto& [from, instruction] : breaks) {
        if (from.isEmpty()) {
            commands << "break " + instruction;
            continue;
        }
        const auto line =
            QRegularExpression("([0-9A-F]{6}) ((?:[0-9A-F]{2} )+).*\\t" + instruction + "\\b")
                .match(listing, listing.indexOf(from));
        commands << QString("break 0x%1")
                        .arg(line.captured(1).toInt(nullptr, 16) + line.captured(2).size() / 3, 0,
                             16);
    }
    for (int i = 0; i < 4; ++i)
        commands << "run"
                 << "timer get"
                 << "dump sfr 0x87 0x8d"
                 << "dump sfr 0x98 0x98";
    const QString output = run("s51", {"-t", "8051", "-X", "12M", "-b", dir.filePath("main.ihx")},
                               commands.join('\n') + "\nquit\n");
    QList<Stop> stops;
    const QRegularExpression clocks("\\((\\d+) clks\\)"), sfr("0x.. (\\w+): +0b\\d+ 0x(..)");
    for (const QString& text : output.split("Stop at").mid(1)) {
        Stop stop{clocks.match(text).captured(1).toInt() / 12, {}};
        for (const auto& match : sfr.globalMatch(text))
            stop.sfr[match.captured(1)] = match.captured(2).toInt(nullptr, 16);
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
        const QString x = field(0);
        QVERIFY(run("cpp", {"-P"}, unit)
                    .contains(
                        QString("void timer%1_isr(void) interrupt %2").arg(x).arg(timer * 2 + 1)));

        // Stops: the timer started, the routine entered at its vector and, in modes 0 and 1,
        // the reload in it, then entered again. The other timer's TMOD bits are set first.
        const int other = 0x5 << (4 - 4 * timer), mode = n == 8192 ? 0 : n == 65536 ? 1 : 2;
        QList<std::pair<QString, QString>> breaks{{"_timer" + x + "_init:", "setb\\t_TR" + x},
                                                  {"", QString::number(timer * 16 + 11)}};
        if (mode != 2)
            breaks << std::pair{"_timer" + x + "_isr:", "mov\\t_TL" + x};
        const auto stops = simulate(
            QString("#include <8051.h>\n%1void main(void)\n{\n    TMOD = %2;\n    timer%3_init();\n"
                    "    for (;;)\n        ;\n}\n")
                .arg(unit, QString::number(other), x),
            breaks);
        QCOMPARE(stops.size(), 4);
        QCOMPARE(stops[0].sfr["TMOD"], other | mode << (timer * 4));
        const auto count = [&](int stop) {
            const int th = stops[stop].sfr["TH" + x], tl = stops[stop].sfr["TL" + x];
            return mode == 0 ? th * 32 + (tl & 31) : mode == 1 ? th * 256 + tl : tl - th;
        };
        const auto overflowAt = [&](int stop) { return stops[stop].cycle - count(stop); };
        const int counts = n - state.initValue;
        QCOMPARE(overflowAt(1) - stops[0].cycle, counts);
        if (mode == 2)
            QCOMPARE(overflowAt(3) - overflowAt(2), counts);
        else // s51 stores a MOV's operand one machine cycle before the MOV ends
            QCOMPARE(overflowAt(3) - (stops[2].cycle - 1), counts);
    }

    // Timer 1 in mode 2 clocks the serial port: its count must run from TH1 up and over again
    // every 256 - TH1 counts, too fast to poll, so it is read at stops a few periods apart.
    void baudCodeReloadsTimer1_data() {
        QTest::addColumn<int>("generator");
        QTest::addColumn<double>("baud");
        QTest::newRow("SMOD 0, 9600") << int(BaudGenerator::Timer1Smod0) << 9600.0;
        QTest::newRow("SMOD 1, 57600") << int(BaudGenerator::Timer1Smod1) << 57600.0;
    }
    void baudCodeReloadsTimer1() {
        QFETCH(int, generator);
        QFETCH(double, baud);
        const BaudRequest request{BaudGenerator(generator), 11.0592f, 12, baud};
        const auto setting = baudSetting(request.generator, 11.0592f, 12, baud);
        QVERIFY(setting.has_value());
        const QString code = QString::fromStdString(baudInitCode(request, *setting));
        const auto stops =
            simulate("#include <8051.h>\n" + code +
                         "void main(void)\n{\n    TMOD = 0x05;\n    uart_init();\n"
                         "    for (;;) {\n        P1 = TL1;\n        P2++;\n    }\n}\n",
                     {{"_uart_init:", "setb\\t_TR1"},
                      {"_main:", "lcall\\t_uart_init"},
                      {"_main:", "mov\\t_P1,_TL1"}});
        QCOMPARE(stops.size(), 4);
        QCOMPARE(stops[0].sfr["TMOD"], 0x25);
        QCOMPARE(stops[0].sfr["SCON"], 0x50);
        QCOMPARE(stops[0].sfr["PCON"] >> 7, generator);
        const int reload = setting->reload, period = 256 - reload;
        for (const Stop& stop : stops)
            QCOMPARE(stop.sfr["TL1"], reload + (stop.cycle - stops[0].cycle) % period);
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
