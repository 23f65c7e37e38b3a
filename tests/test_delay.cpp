// Software delays, proven: every form runs in s51 from a dirty chip and takes the clocks it
// claims, from the LCALL to the instruction after it; the A51 form makes the sdas8051 form's
// bytes; a 1T core's table is read, not assumed; and the working line adds up.
#include "delay.h"
#include "interpreter.h"
#include "simulation.h"

#include <QtTest>

#include <cmath>
#include <random>

using namespace tickora;

namespace {

// "1000 12 classic 12 s": 1000 us steps (s; else fixed) at 12 MHz on the classic core at 12T;
// "... f 0" a fixed delay paced by timer 0.
DelayRequest ask(const QString& row, const ChipFamily* family = nullptr) {
    const QStringList field = row.split(' ');
    return {Exact::parse(field[0].toStdString()),
            Exact::parse(field[1].toStdString()),
            family ? *family : *findFamily(field[2].toStdString()),
            field[3].toInt(),
            field.value(4) == "s" ? DelayKind::PerStep : DelayKind::Fixed,
            field.value(5, "-1").toInt()};
}

QString code(const DelayRequest& request, const DelayResult& result, CodeLanguage language) {
    return QString::fromStdString(delayCode(request, result, language));
}

QString toQ(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The working line's sum worked again, and the total it claims: "2 (LCALL) + 3 x 1 (MOV) + ...
// = 1000 cycles x 12 = 12000 clocks" gives {1000, 1000}.
std::pair<qint64, qint64> sumOf(const std::string& working) {
    const QString text = QString::fromStdString(working).remove(QRegularExpression(" \\([^)]*\\)"));
    qint64 sum = 0;
    for (const QString& term : text.section(" = ", 0, 0).split(" + "))
        sum += term.section(" x ", 0, 0).toLongLong() *
               (term.contains(" x ") ? term.section(" x ", 1).toLongLong() : 1);
    return {sum, text.section(" = ", 1, 1).section(' ', 0, 0).toLongLong()};
}

// A fixed delay's machine cycles on the classic core, from its counts as the 8051 runs them:
// each level's DJNZ runs its count, then 256 more for each further run of the level outside it.
qint64 classicCount(const DelayLoops& loops) {
    qint64 outer = 1, djnz = 0;
    for (std::size_t level = loops.counts.size(); level-- > 0;)
        djnz += outer = loops.counts[level] + 256 * (outer - 1);
    return 2 + qint64(loops.counts.size()) + 2 * djnz + loops.nops + 2 +
           (loops.padLoop > 0 ? 1 + 2 * loops.padLoop : 0);
}

// main()'s call of a fixed delay (n < 0) or of n steps, and the clocks it takes as SDCC calls it.
std::pair<QString, qint64> called(const DelayResult& result, int n) {
    const DelayCall& call = result.sdccCall;
    return {result.name.c_str() + (n < 0 ? "()" : QString("(%1)").arg(n)),
            n < 0    ? result.clocks
            : n == 0 ? call.zeroClocks
                     : call.clocks + n * result.clocks};
}

// Each request's C unit compiles and links alone beside an empty main(), pulling nothing from
// SDCC's library, without a word from SDCC; its A51 unit through as31 makes its sdas8051 unit's
// bytes (but SDCC's 4 bytes that move n from DPH:DPL, where Keil C51 passes it in R6:R7, 4 cycles),
// and main() calling each with each n, as C and as sdas8051, each call from a chip left dirty
// (carry, AC, F0, OV and F1 set, A and R0 to R7 junk), takes the clocks expected from its LCALL to
// the instruction after it.
// A timer's delay: as the first in a program that, before each call, leaves the chip dirtier
// (prelude), and has an interrupt routine of its own (routine).
struct Harness {
    QString chip = "8051", prelude, routine;
};

void runsExactly(const std::vector<DelayRequest>& requests, const QList<int>& ns, double hz,
                 const QString& seed, const Harness& harness = {}) {
    QString cUnits, sdasUnits,
        program = "#include <8052.h>\n" + harness.routine + "void main(void)\n{\n";
    QStringList prototypes, breaks, calls;
    QList<qint64> expected;
    for (const DelayRequest& request : requests) {
        QVERIFY(planDelay(request));
        const DelayResult result = *planDelay(request);
        const int skip = request.kind == DelayKind::PerStep ? 4 : 0;
        QCOMPARE(result.sdccCall.clocks - result.keilCall.clocks, skip * request.clock);
        for (const int n : ns)
            calls << called(result, n).first, expected << called(result, n).second / request.clock;
        const QString c = code(request, result, CodeLanguage::C);
        const QString sdas = code(request, result, CodeLanguage::Sdas);
        cUnits += c, sdasUnits += sdas, prototypes << c.section('\n', -3, -3);
        const QTemporaryDir dir;
        const bool compiled =
            written(dir.filePath("unit.c"), (c + "void main(void)\n{\n}\n").toLatin1());
        const Ran sdcc = run("sdcc", {"-mmcs51", "unit.c"}, {}, dir.path());
        QVERIFY2(compiled && sdcc.ok && (sdcc.output + sdcc.errors).isEmpty(),
                 qPrintable(sdcc.errors));
        QVERIFY(assembledAlone(dir, sdas).isEmpty() &&
                written(dir.filePath("a51.asm"),
                        forAs31(code(request, result, CodeLanguage::A51)).toLatin1()) &&
                run("as31", {"-Fhex", "a51.asm"}, {}, dir.path()).ok);
        const QList<int> bytes = imageBytes(dir.filePath("main.ihx")).values();
        QCOMPARE(imageBytes(dir.filePath("a51.hex")).values(), bytes.mid(skip));
        QCOMPARE(bytes.size(), delayBytes(request, result, CodeLanguage::Sdas));
        QVERIFY(
            code(request, result, CodeLanguage::A51) // Keil C51's name for register arguments
                .contains("\tPUBLIC\t" + QString(skip ? "_" : "") + result.name.c_str() + "\n"));
    }
    for (int i = 0; i < calls.size(); ++i) {
        program += harness.prelude + "    __asm\n    mov psw,#0xE6\n    mov a,#0x5A\n";
        for (int r = 0; r < 8; ++r)
            program +=
                QString("    mov r%1,#0x%2 ; call %3\n").arg(r).arg(0x81 + 17 * r, 0, 16).arg(i);
        program += "    __endasm;\n    " + calls[i] + ";\n";
        const QString mark = QString("r7,#.*; call %1\\b").arg(i);
        breaks << mark + (calls[i].endsWith("()") ? "" : "(?:.*\\n)*?.*dptr")
               << mark + "(?:.*\\n)*?.*lcall";
    }
    program += "    for (;;)\n        ;\n}\n";
    for (const QString& units : {cUnits, QString()}) {
        const auto stops =
            simulate((units.isEmpty() ? prototypes.join('\n') + "\n" : units) + program, breaks,
                     harness.chip, hz, int(breaks.size()), {}, units.isEmpty() ? sdasUnits : "");
        QList<qint64> cycles;
        for (int i = 0; i + 1 < stops.size(); i += 2)
            cycles << stops[i + 1]["cycle"] - stops[i]["cycle"];
        QVERIFY2(cycles == expected, qPrintable(seed + (units.isEmpty() ? " sdas8051" : " C")));
    }
}

// A vendor table's CSV, a row a line: "ADD|A,Rn|28-2F|1|2", a blank clock as 0.
QStringList csvRows(const QString& name) {
    static const QRegularExpression field("(?:^|,)(\"[^\"]*\"|[^,]*)"); // moc reads no raw string
    QFile file(QStringLiteral(TICKORA_VENDOR_TIMING "/%1.csv").arg(name));
    QStringList rows;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().trimmed().split('\n').mid(1)) {
            QStringList fields;
            for (const auto& m : field.globalMatch(QString::fromUtf8(line)))
                fields << m.captured(1).remove('"');
            rows << fields.mid(0, 5).join('|').replace(QRegularExpression("\\|$"), "|0");
        }
    return rows;
}

} // namespace

class TestDelay : public QObject {
    Q_OBJECT
private slots:
    // Rows: crystal, family, clock, and a step's us. Fixed delays: random ones from the shortest
    // to over 2 s, and the edges: the shortest, one cycle more, a full level (256 counts) and one
    // more, 2 s (a tie at 6T). Steps: n = 0, 1, 2, 255, 256 and 1000, the call's cost and n steps.
    void delaysRunExactly_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"12 classic 12", "12 stc89 6", "12 classic 12 1000", "11.0592 stc89 6 1000",
              "12 classic 12 10", "22.1184 classic 12 250.5", "33.1776 stc89 12 77"})
            QTest::newRow(row) << row;
    }
    void delaysRunExactly() {
        QFETCH(QString, row);
        const int clock = row.section(' ', 2, 2).toInt();
        std::mt19937 random(20261208 + clock);
        std::uniform_real_distribution logUs(1.4, 14.7);
        const QString step = row.section(' ', 3), chip = " " + row.section(' ', 0, 2);
        QStringList lengths{"2000000.25"}; // then the edges, then random ones
        for (const double cycles : {4, 5, 517, 518, 0, 0, 0, 0, 0, 0, 0, 0})
            lengths << QString::number(cycles > 0 ? cycles * clock / 12 : std::exp(logUs(random)));
        std::vector<DelayRequest> requests;
        for (const QString& us : step.isEmpty() ? lengths : QStringList{step})
            requests.push_back(ask(us + chip + (step.isEmpty() ? "" : " s")));
        // A 6T core runs as a 12T one at twice the crystal.
        runsExactly(requests, step.isEmpty() ? QList<int>{-1} : QList<int>{0, 1, 2, 255, 256, 1000},
                    row.section(' ', 0, 0).toDouble() * 12e6 / clock,
                    QString("seed %1").arg(20261208 + clock));
    }

    // A timer's delays on the classic 8051 and the STC89 at 6T, run in s51 as loops' are, each
    // call from a chip whose timers were left running, counting external pulses under their
    // gates, flags set: every one takes the clocks its unit states. An interrupt of the other
    // timer, taken and returned within a period, lengthens none of them: the last overflow's
    // lateness is read from the timer and made up.
    void timerDelaysRunExactly_data() {
        QTest::addColumn<QString>("row"); // crystal, family, clock, timer, a step's us
        for (const char* row :
             {"12 classic 12 0", "11.0592 stc89 6 1", "12 classic 12 2", "12 classic 12 0 1000",
              "11.0592 stc89 6 2 250", "12 classic 12 1 interrupted",
              "12 classic 12 0 1000 interrupted", "12 classic 12 2 interrupted"})
            QTest::newRow(row) << row;
    }
    void timerDelaysRunExactly() {
        QFETCH(QString, row);
        const QStringList f = row.split(' ');
        const int clock = f[2].toInt(), timer = f[3].toInt();
        const bool interrupted = row.endsWith("interrupted");
        const QString step = f.value(4) == "interrupted" ? QString() : f.value(4);
        std::mt19937 random(20261208 + timer);
        // 2 s, a period's edges (one overflow or two, at timer 0's 256 counts and at 65536),
        // then random ones.
        QStringList lengths = interrupted ? QStringList{"2000000", "6500", "65536"}
                                          : QStringList{"2000000", "255", "256",   "257",
                                                        "285",     "286", "65565", "65566"};
        for (int i = 0; i < (interrupted ? 2 : 6); ++i)
            lengths << QString::number(
                std::exp(std::uniform_real_distribution(interrupted ? 8.9 : 3.5, 11.0)(random)));
        std::vector<DelayRequest> requests;
        for (const QString& us : step.isEmpty() ? lengths : QStringList{step})
            requests.push_back(
                ask(us + ' ' + f.mid(0, 3).join(' ') + (step.isEmpty() ? " f " : " s ") + f[3]));
        // The other timer interrupts 3000 cycles into each call (a 2 ms delay or longer), its
        // routine 40 cycles long, returning within a period.
        const int other = timer == 0 ? 1 : 0;
        Harness harness{timer == 2 ? "8052" : "8051",
                        QString("    TMOD = 0xDD;\n    TCON = 0xF0;\n    T2CON = 0x0F;\n"),
                        {}};
        if (interrupted) {
            harness.prelude +=
                QString("    TMOD = (TMOD & %1) | %2;\n    TH%3 = 0xF4;\n    TL%3 = 0x48;\n"
                        "    TF%3 = 0;\n    ET%3 = 1;\n    EA = 1;\n    TR%3 = 1;\n")
                    .arg(other == 0 ? "0xF0" : "0x0F", other == 0 ? "0x01" : "0x10")
                    .arg(other);
            harness.routine = QString("void other(void) __interrupt(%1)\n{\n    TR%2 = 0;\n"
                                      "    __asm\n    mov r0,#12\n00001$:\n    djnz r0,00001$\n"
                                      "    __endasm;\n}\n")
                                  .arg(other * 2 + 1)
                                  .arg(other);
            for (const DelayRequest& request : requests)
                QVERIFY(planDelay(request)->clocks / clock >= (step.isEmpty() ? 6000 : 1000));
        }
        runsExactly(requests,
                    step.isEmpty() ? QList<int>{-1}
                    : interrupted  ? QList<int>{5, 1000}
                                   : QList<int>{0, 1, 2, 255, 256, 1000},
                    f[0].toDouble() * 12e6 / clock, row, harness);
    }

    // s51 models no 1T core's timers: a timer's delay on the STC12, STC15, STC8 and N76E003 runs
    // on the 8051 written here, by the vendor's instruction times (the STC15's standing in for
    // the STC8's) and a count every D clocks (STC's 16-bit mode 0 taking TLx and THx written while
    // it runs as the reload only: STC8A8K64D4 13.2.3), from a chip left dirty, and takes the
    // clocks its header says, or no more or fewer than it says it may. It leaves the timer
    // stopped, its interrupt off, the other timer's bits and the clock switch's others kept; the C
    // form links alone too, SDCC knowing every register it names.
    void oneTTimerDelaysSetTheirTimer_data() {
        QTest::addColumn<QString>("row"); // family, clock, timer, dirt, us
        for (const char* family : {"stc12", "stc15", "stc8", "n76e003"})
            for (const char* rest :
                 {"1 0 00 10000", "12 1 FF 2000000", "1 1 FF 100", "12 0 00 77.7",
                  "1 0 FF 5463.2916"}) // 131045 counts: two of STC 16-bit periods and 5
                QTest::addRow("%s %s", family, rest) << QString("%1 %2").arg(family, rest);
    }
    void oneTTimerDelaysSetTheirTimer() {
        QFETCH(QString, row);
        const QStringList f = row.split(' ');
        const int clock = f[1].toInt(), timer = f[2].toInt(), dirt = f[3].toInt(nullptr, 16);
        const DelayRequest request = ask(QString("%1 24 %2 %3 f %4").arg(f[4], f[0], f[1], f[2]));
        const auto result = planDelay(request);
        QVERIFY(result);
        const QTemporaryDir dir, cDir;
        QCOMPARE(assembledAlone(dir, code(request, *result, CodeLanguage::Sdas)) +
                     assembledAlone(cDir, code(request, *result, CodeLanguage::C)),
                 "");
        const ChipFamily& family = *findFamily(f[0].toStdString());
        const QString core = toQ(family.core ? family.core->id : "stc15");
        Core8051 cpu(imageBytes(dir.filePath("main.ihx")),
                     Core8051::clocksFromCsv(TICKORA_VENDOR_TIMING "/" + core + ".csv"), dirt);
        cpu.countClocks = clock;
        const qint64 spent = cpu.call(0x0100, result->clocks * 2);
        QVERIFY2(spent >= result->clocks - result->pacing.earlyClocks &&
                     spent <= result->clocks + result->pacing.slackClocks,
                 qPrintable(QString::number(spent - result->clocks)));
        // Intel's map: TCON 88H, TMOD 89H, IE A8H; AUXR or CKCON 8EH.
        const int mine = timer ? 0xF0 : 0x0F, run = timer ? 0x40 : 0x10;
        const int switchBit = f[0] == "n76e003" ? (timer ? 0x10 : 0x08) : (timer ? 0x40 : 0x80);
        QCOMPARE(
            QList<int>({cpu.direct(0x88) & run, cpu.direct(0x89) & ~mine, cpu.direct(0x8E),
                        cpu.direct(0xA8) & (timer ? 8 : 2)}),
            QList<int>({0, dirt & ~mine, clock == 1 ? dirt | switchBit : dirt & ~switchBit, 0}));
    }

    // The vendors' tables as the project carries them, row for row as the shared CSVs; the MS51's
    // the N76E003's, whose table its row uses.
    void vendorTablesCopiedRowByRow() {
        for (const CoreTable* table : {&stc12Core(), &stc15Core(), &n76e003Core()}) {
            QStringList rows;
            for (const CoreInstruction& row : table->rows)
                rows << QString("%1|%2|%3|%4|%5")
                            .arg(toQ(row.mnemonic), toQ(row.operands), toQ(row.opcodes))
                            .arg(row.bytes)
                            .arg(row.clocks);
            QCOMPARE(rows, csvRows(toQ(table->id)));
            if (table->id == "n76e003") { // the MS51 16K's, in another order, opcodes aside
                const QRegularExpression opcodes("\\|[^|]*(?=\\|\\d+\\|\\d+$)");
                QStringList ms51 = csvRows("ms51").replaceInStrings(opcodes, ""),
                            n76 = rows.replaceInStrings(opcodes, "");
                std::sort(ms51.begin(), ms51.end()), std::sort(n76.begin(), n76.end());
                QCOMPARE(ms51, n76);
            }
        }
        QCOMPARE(findFamily("stc15")->core, &stc15Core()); // the STC8's core is not the STC15's
        QVERIFY(!findFamily("stc8")->core && !findFamily("stc32g")->core);
    }

    // Each 1T core whose vendor gives a table, at either timers' clock: delays from the shortest
    // to 2 s and the argument form for n = 0, 1, 2, 255, 256 and 1000, as SDCC and Keil C51 call
    // them, run on an 8051 written in the test, each instruction's clocks by opcode from the
    // vendor's CSV, take the clocks their units claim, from a chip left dirty.
    void oneTCoresTakeTheirTablesClocks_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("clock");
        for (const char* family : {"stc12", "stc15", "n76e003"})
            for (const int clock : {1, 12})
                QTest::addRow("%s %dT", family, clock) << family << clock;
    }
    void oneTCoresTakeTheirTablesClocks() {
        QFETCH(QString, family);
        QFETCH(int, clock);
        const ChipFamily& chip = *findFamily(family.toStdString());
        const auto clocks = Core8051::clocksFromCsv(
            QStringLiteral(TICKORA_VENDOR_TIMING "/%1.csv").arg(toQ(chip.core->id)));
        std::mt19937 random(20261208 + clock);
        // The shortest, a LCALL and a RET at 12 MHz, and a clock more; 2 s; random ones.
        QStringList lengths{QString::number((clocks[0x12] + clocks[0x22]) / 12.0, 'f', 9),
                            QString::number((clocks[0x12] + clocks[0x22] + 1) / 12.0, 'f', 9),
                            "2000000"};
        for (int i = 0; i < 8; ++i)
            lengths << QString::number(std::exp(std::uniform_real_distribution(0.5, 14.5)(random)));
        const auto measured = [&](const DelayRequest& request, int n, CodeLanguage language) {
            const auto result = planDelay(request);
            const QTemporaryDir dir;
            if (!result ||
                !assembledAlone(dir, code(request, *result, CodeLanguage::Sdas)).isEmpty())
                return qint64(-2);
            Core8051 cpu(imageBytes(dir.filePath("main.ihx")), clocks, 0x81); // a dirty chip
            cpu.direct(0xD0) = 0xE6;                                          // its flags too
            const bool keil = language == CodeLanguage::A51; // n in R6:R7, past SDCC's moves
            (keil ? cpu.reg(7) : cpu.direct(0x82)) = std::uint8_t(n);
            (keil ? cpu.reg(6) : cpu.direct(0x83)) = std::uint8_t(n >> 8);
            return cpu.call(keil ? 0x0104 : 0x0100, 100'000'000);
        };
        for (const QString& us : lengths) {
            const DelayRequest request = ask(us + " 12 " + family + " " + QString::number(clock));
            const auto result = planDelay(request);
            QVERIFY2(result && measured(request, 0, CodeLanguage::Sdas) == result->clocks,
                     qPrintable(us));
        }
        for (const QString step : {"1000", "7.5"}) {
            const DelayRequest request =
                ask(step + " 12 " + family + " " + QString::number(clock) + " s");
            const DelayResult result = *planDelay(request);
            for (const int n : {0, 1, 2, 255, 256, 1000})
                for (const CodeLanguage language : {CodeLanguage::Sdas, CodeLanguage::A51}) {
                    const DelayCall& call = result.call(language);
                    QCOMPARE(measured(request, n, language),
                             n == 0 ? call.zeroClocks : call.clocks + n * result.clocks);
                }
        }
    }

    // Lengths up to a day at 50 MHz, random and on the levels' edges (a count of 256, 65536
    // ...): the working line adds up to the delay, and the counts, run as the 8051 runs them,
    // make it too.
    void searchMatchesAnIndependentCount() {
        std::mt19937_64 random(7);
        std::vector<qint64> cycles;
        for (qint64 level = 512; level < (qint64{1} << 43); level *= 256)
            cycles.insert(cycles.end(), {level - 3, level - 1, level, level + 1, level + 4});
        for (int i = 0; i < 3000; ++i)
            cycles.push_back(qint64(std::exp(std::uniform_real_distribution(1.4, 26.6)(random))));
        for (const qint64 length : cycles) {
            const auto result = planDelay(ask(QString::number(length) + " 12 classic 12"));
            QVERIFY2(result && sumOf(result->working) == std::pair(length, length) &&
                         classicCount(result->loops) == length && result->clocks == 12 * length,
                     qPrintable(QString::number(length)));
        }
    }

    // Rows: delay (us), crystal, family, clock, kind | clocks achieved, or the problem named |
    // the function's name.
    void roundingAndRefusals_data() {
        QTest::addColumn<QString>("row");
        // clang-format off
        for (const char* row : {
             "4 12 classic 12|48|delay_4us", "3.5 12 classic 12|48|", "5.5 12 classic 12|72|",
             "6.5 12 classic 12|72|", "1000.9995 12 classic 12|12012|",
             "2.5 24 classic 12|60|delay_2500ns", "3.4 12 classic 12|LCALL|",
             "2 12 stc89 6|24|delay_2us", "86400000000 50 classic 12|4320000000000|delay_86400s",
             "1e15 12 classic 12|延时太长|", "1000 12 classic 6|时钟|", "1000 0 classic 12|晶体频率|",
             "0 12 classic 12|有效的延时|", "1000 12 stc8 1|1T 内核指令时间未知|",
             "1000 12 stc32g 12|也没有可用来延时的定时器|", "1000 12 stc12 12|12000|delay_1ms",
             "1000 12 n76e003 1 s|12000|delay_ms", "0.5 12 stc15 1|LCALL|", "8 12 classic 12 s|9 us|",
             "9 12 classic 12 s|108|delay_9us", "1000 12 classic 12 s|12000|delay_ms",
             "1000 12 classic 12|12000|delay_1ms", "250 12 stc89 6 s|3000|delay_250us",
             // the last: 131102 counts a step, 2 x 65551, as 3 periods of 43700.67, rounded
             "2000000 12 classic 12|24000000|delay_2s", "60e6 50 classic 12 s|3000000000|delay_60s", "5462.5833 24 stc15 1 s 0|131103|"})
            // clang-format on
            QTest::newRow(row) << QString::fromUtf8(row);
    }
    void roundingAndRefusals() {
        QFETCH(QString, row);
        const DelayRequest request = ask(row.section('|', 0, 0));
        const QString problem = QString::fromStdString(delayProblem(request));
        const auto result = planDelay(request);
        QCOMPARE(bool(result), problem.isEmpty());
        QVERIFY2(result ? row.section('|', 1, 1) == QString::number(result->clocks)
                        : problem.contains(row.section('|', 1, 1)),
                 qPrintable(problem));
        if (!result)
            return;
        QVERIFY(row.endsWith('|') || row.section('|', 2) == result->name.c_str());
        // The error, asked less achieved, in us and in clocks, as the header says it.
        const Exact clocks(result->clocks), asked = request.delayUs * request.crystalMhz;
        const std::string error = (request.delayUs - clocks / request.crystalMhz).text(3) +
                                  " us, " + (asked - clocks).text(3) + " clocks";
        QVERIFY(code(request, *result, CodeLanguage::A51).contains(error.c_str()));
    }
};

QTEST_GUILESS_MAIN(TestDelay)
#include "test_delay.moc"
