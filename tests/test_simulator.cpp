// The copied timer code, proven: SDCC compiles it inside a tiny main, and the 8051 simulator
// s51 runs it. The timer must overflow exactly N - initValue counts after it is started, and
// again N - initValue counts after the routine's reload (mode 2: after each overflow).
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
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        qWarning() << program << process.readAllStandardError();
    return QString::fromLatin1(process.readAllStandardOutput());
}

// The address of the instruction after the first one in an SDCC listing that matches.
QString addressAfter(const QString& listing, const QString& instruction) {
    const auto line =
        QRegularExpression("([0-9A-F]{6}) ((?:[0-9A-F]{2} )+).*\\t" + instruction + "\\b")
            .match(listing);
    return QString("0x%1").arg(line.captured(1).toInt(nullptr, 16) + line.captured(2).size() / 3, 0,
                               16);
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
        const QString x = field(0), isr = QString("void timer%1_isr(void) ").arg(x);
        QVERIFY(
            run("cpp", {"-P"}, unit).contains(isr + QString("interrupt %1").arg(timer * 2 + 1)));

        // The other timer's TMOD bits are set first, and the init must keep them.
        const int other = 0x5 << (4 - 4 * timer), mode = n == 8192 ? 0 : n == 65536 ? 1 : 2;
        QTemporaryDir dir;
        QFile main(dir.filePath("main.c"));
        QVERIFY(main.open(QIODevice::WriteOnly));
        main.write(
            QString("#include <8051.h>\n%1void main(void)\n{\n    TMOD = %2;\n    timer%3_init();"
                    "\n    for (;;)\n        ;\n}\n")
                .arg(unit, QString::number(other), x)
                .toLatin1());
        main.close();
        run("sdcc", {"-mmcs51", "main.c"}, {}, dir.path());
        QFile rst(dir.filePath("main.rst"));
        QVERIFY(rst.open(QIODevice::ReadOnly));
        const QString listing = QString::fromLatin1(rst.readAll());

        // Stops: the timer started, each entry to the routine (at its vector) and, in modes 0
        // and 1, each reload in it. At each, the machine cycle and THx and TLx.
        QStringList commands{"break " + addressAfter(listing, "setb\\t_TR" + x),
                             QString("break 0x%1").arg(timer * 16 + 11, 0, 16)};
        if (mode != 2)
            commands << "break " +
                            addressAfter(listing.mid(listing.indexOf("_timer" + x + "_isr:")),
                                         "mov\\t_TL" + x);
        const QString dump = QString("timer get\ndump sfr 0x89 0x89\ndump sfr 0x8%1 0x8%1\n"
                                     "dump sfr 0x8%2 0x8%2")
                                 .arg(QChar('c' + timer), QChar('a' + timer));
        for (int i = 0; i < 4; ++i)
            commands << "run" << dump;
        const QString output =
            run("s51", {"-t", "8051", "-X", "12M", "-b", dir.filePath("main.ihx")},
                commands.join('\n') + "\nquit\n");
        QVERIFY2(output.contains(" words read from "), qPrintable(output));
        QList<std::pair<int, int>> stops; // machine cycle, count (mode 2: from its reload value)
        const QRegularExpression cycles("\\((\\d+) clks\\)"), bytes("T[HL][01]: +0b\\d+ 0x(..)");
        for (const QString& stop : output.split("Stop at").mid(1)) {
            auto byte = bytes.globalMatch(stop);
            const int th = byte.next().captured(1).toInt(nullptr, 16);
            const int tl = byte.next().captured(1).toInt(nullptr, 16);
            const int count = mode == 0 ? th * 32 + (tl & 31) : mode == 1 ? th * 256 + tl : tl;
            stops.append({cycles.match(stop).captured(1).toInt() / 12, count});
        }
        QCOMPARE(stops.size(), 4);
        const auto overflowAt = [&](int stop) {
            return stops[stop].first - stops[stop].second + (mode == 2 ? state.initValue : 0);
        };
        const int counts = n - state.initValue;
        QCOMPARE(overflowAt(1) - stops[0].first, counts);
        if (mode == 2) {
            QCOMPARE(overflowAt(2) - overflowAt(1), counts);
            QCOMPARE(overflowAt(3) - overflowAt(2), counts);
        } else { // s51 stores a MOV's operand one machine cycle before the MOV ends
            QCOMPARE(overflowAt(3) - (stops[2].first - 1), counts);
        }
        const int tmod = other | mode << (timer * 4);
        QVERIFY(output.contains(
            QRegularExpression(QString("TMOD: +0b\\d+ 0x%1 ").arg(tmod, 2, 16, QChar('0')))));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
