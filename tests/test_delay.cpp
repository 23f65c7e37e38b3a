// Software delays, proven: every form runs in s51 from a dirty chip and takes the clocks it
// claims, from the LCALL to the instruction after it; the A51 form makes the sdas8051 form's
// bytes; a 1T core's table is read, not assumed; and the working line adds up.
#include "delay.h"
#include "simulation.h"

#include <QtTest>

#include <cmath>
#include <random>

using namespace tickora;

namespace {

DelayRequest ask(const QString& us, const QString& mhz, const ChipFamily& family, int clock,
                 DelayKind kind = DelayKind::Fixed) {
    return {Exact::parse(us.toStdString()), Exact::parse(mhz.toStdString()), family, clock, kind};
}

QString code(const DelayRequest& request, const DelayResult& result, CodeLanguage language) {
    return QString::fromStdString(delayCode(request, result, language));
}

// A 1T core as a vendor's manual might list it, jumps and fall-throughs apart: for the
// generator by mnemonic, and for timing s51's trace by opcode (mask, opcode, jumps, falls).
constexpr InstructionTiming testCore[] = {
    {"LCALL", "l", 4}, {"RET", "", 4},     {"NOP", "", 1},   {"MOV", "r#", 2}, {"DJNZ", "rl", 4, 3},
    {"JZ", "l", 3, 2}, {"JNZ", "l", 3, 2}, {"MOV", "Ar", 1}, {"ORL", "Ar", 1}, {"ADD", "A#", 2},
    {"ADDC", "A#", 2}, {"MOV", "rA", 1},   {"MOV", "rd", 3}};
constexpr int testCoreByOpcode[][4] = {{0xFF, 0x12, 4, 4}, {0xFF, 0x22, 4, 4}, {0xFF, 0x00, 1, 1},
                                       {0xF8, 0x78, 2, 2}, {0xF8, 0xD8, 4, 3}, {0xFF, 0x60, 3, 2},
                                       {0xFF, 0x70, 3, 2}, {0xF8, 0xE8, 1, 1}, {0xF8, 0x48, 1, 1},
                                       {0xFF, 0x24, 2, 2}, {0xFF, 0x34, 2, 2}, {0xF8, 0xF8, 1, 1},
                                       {0xF8, 0xA8, 3, 3}};

ChipFamily testCoreFamily() {
    ChipFamily family = *findFamily("stc15");
    family.instructionClocks = testCore;
    family.instructionSource = "a test core's table";
    return family;
}

// The working line's sum worked again, and the total it claims: "2 (LCALL) + 3 x 1 (MOV) + ...
// = 1000 cycles x 12 = 12000 clocks" gives {1000, 1000}.
std::pair<qint64, qint64> sumOf(const std::string& working) {
    QString text = QString::fromStdString(working);
    text.remove(QRegularExpression(" \\([^)]*\\)"));
    qint64 sum = 0;
    for (const QString& term : text.section(" = ", 0, 0).split(" + ")) {
        const QStringList factors = term.split(" x ");
        sum += factors[0].toLongLong() * (factors.size() > 1 ? factors[1].toLongLong() : 1);
    }
    return {sum, text.section(" = ", 1, 1).section(' ', 0, 0).toLongLong()};
}

// A fixed delay's machine cycles on the classic core, from its counts as the 8051 runs them:
// each level's DJNZ runs its count, then 256 more for each further run of the level outside it.
qint64 classicCount(const DelayLoops& loops) {
    qint64 outer = 1, djnz = 0;
    for (std::size_t level = loops.counts.size(); level-- > 0;)
        djnz += outer = loops.counts[level] + 256 * (outer - 1);
    const qint64 pad = loops.padLoop > 0 ? 1 + 2 * loops.padLoop : 0;
    return 2 + qint64(loops.counts.size()) + 2 * djnz + pad + loops.nops + 2;
}

// Each call of main() from a chip left dirty (carry, AC, F0, OV and F1 set, A and R0 to R7
// junk): the machine cycles from its LCALL to the instruction after it, in s51.
QList<qint64> cyclesOfCalls(const QString& cSide, const QStringList& calls, double hz,
                            const QString& assembly = {}) {
    QString program = cSide + "void main(void)\n{\n";
    QStringList breaks;
    for (int i = 0; i < calls.size(); ++i) {
        program += "    __asm\n    mov psw,#0xE6\n    mov a,#0x5A\n";
        for (int r = 0; r < 8; ++r)
            program +=
                QString("    mov r%1,#0x%2 ; call %3\n").arg(r).arg(0x81 + 17 * r, 0, 16).arg(i);
        program += "    __endasm;\n    " + calls[i] + ";\n";
        const QString mark = QString("r7,#.*; call %1\\b").arg(i);
        breaks << mark + (calls[i].endsWith("()") ? "" : "(?:.*\\n)*?.*dptr")
               << mark + "(?:.*\\n)*?.*lcall";
    }
    const auto stops = simulate(program + "    for (;;)\n        ;\n}\n", breaks, "8051", hz,
                                int(breaks.size()), {}, assembly);
    QList<qint64> cycles;
    for (int i = 0; i + 1 < stops.size(); i += 2)
        cycles << stops[i + 1]["cycle"] - stops[i]["cycle"];
    return cycles;
}

// The A51 unit through as31 makes the sdas8051 unit's bytes, the sdas8051 one's first skip
// bytes apart.
void sameBytes(const QString& a51, const QString& sdas, int skip) {
    const QTemporaryDir dir;
    QVERIFY(assembledAlone(dir, sdas).isEmpty());
    QVERIFY(written(dir.filePath("a51.asm"), forAs31(a51).toLatin1()));
    QVERIFY(run("as31", {"-Fhex", "a51.asm"}, {}, dir.path()).ok);
    QMap<int, int> shifted;
    for (const auto& [at, byte] : imageBytes(dir.filePath("main.ihx")).asKeyValueRange())
        if (at >= 0x100 + skip)
            shifted[at - skip] = byte;
    QCOMPARE(imageBytes(dir.filePath("a51.hex")), shifted);
}

void compilesAlone(const QString& unit) {
    const QTemporaryDir dir;
    QVERIFY(written(dir.filePath("unit.c"), unit.toLatin1()));
    const Ran ran = run("sdcc", {"-mmcs51", "-c", "unit.c"}, {}, dir.path());
    QVERIFY2(ran.ok && (ran.output + ran.errors).isEmpty(), qPrintable(ran.output + ran.errors));
}

// s51's trace of one call (its LCALL the first in main.rst), timed by the test core's table by
// opcode: a branch jumped where the next instruction is not the one after it.
qint64 tracedClocks(const QString& program, qint64 steps) {
    const QTemporaryDir dir;
    if (!written(dir.filePath("main.c"), program.toLatin1()) ||
        !run("sdcc", {"-mmcs51", "main.c"}, {}, dir.path()).ok)
        return -1;
    QFile rst(dir.filePath("main.rst"));
    rst.open(QIODevice::ReadOnly);
    const int call = QRegularExpression("(\\w{6}) 12 \\w\\w \\w\\w .*lcall\\t_delay")
                         .match(rst.readAll())
                         .captured(1)
                         .toInt(nullptr, 16);
    const QString trace = run("s51", {"-t", "8051", "-b", dir.filePath("main.ihx")},
                              QString("break 0x%1\nrun\n").arg(call, 0, 16) +
                                  QString("step\n").repeated(int(steps)) + "quit\n")
                              .output;
    QList<QPair<int, QStringList>> executed;
    for (const auto& line :
         QRegularExpression("\\n0x([0-9a-f]{4}) +F?\\?? *((?:[0-9a-f]{2} )+)").globalMatch(trace))
        executed.append(
            {line.captured(1).toInt(nullptr, 16), line.captured(2).split(' ', Qt::SkipEmptyParts)});
    qint64 clocks = 0;
    for (int i = 0; i + 1 < executed.size() && executed[i].first != call + 3; ++i) {
        const int opcode = executed[i].second[0].toInt(nullptr, 16);
        const bool jumped = executed[i + 1].first != executed[i].first + executed[i].second.size();
        qint64 time = 1'000'000; // an instruction the table lacks
        for (const auto& row : testCoreByOpcode)
            if ((opcode & row[0]) == row[1])
                time = jumped ? row[2] : row[3];
        clocks += time;
    }
    return clocks;
}

} // namespace

class TestDelay : public QObject {
    Q_OBJECT
private slots:
    // Random delays from the shortest to over 2 s, and the edges: the shortest, one cycle more,
    // a full level (256 counts) and one more. Rows: family, clock.
    void fixedDelaysRunExactly_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("clock");
        QTest::newRow("classic 12T") << "classic" << 12;
        QTest::newRow("stc89 6T") << "stc89" << 6;
    }
    void fixedDelaysRunExactly() {
        QFETCH(QString, family);
        QFETCH(int, clock);
        const unsigned seed = 20261208 + clock;
        std::mt19937 random(seed);
        const ChipFamily& chip = *findFamily(family.toStdString());
        QStringList lengths{"2000000.25"};           // 2 s: 4000000.5 cycles at 6T, a tie
        for (const double cycles : {4, 5, 517, 518}) // the shortest, a full level of 256 counts
            lengths << QString::number(cycles * clock / 12, 'f', 2);
        for (int i = 0; i < 8; ++i)
            lengths << QString::number(std::exp(std::uniform_real_distribution(1.4, 14.7)(random)),
                                       'f', 3);
        QString cUnits, sdasUnits, prototypes;
        QStringList calls;
        QList<qint64> expected;
        for (const QString& us : lengths) {
            const DelayRequest request = ask(us, "12", chip, clock);
            const auto result = planDelay(request);
            QVERIFY2(result, qPrintable(us));
            const QString name = QString::fromStdString(result->name);
            if (calls.contains(name + "()"))
                continue;
            calls << name + "()";
            expected << result->clocks / clock;
            cUnits += code(request, *result, CodeLanguage::C);
            compilesAlone(code(request, *result, CodeLanguage::C));
            sdasUnits += code(request, *result, CodeLanguage::Sdas);
            prototypes += "void " + name + "(void);\n";
            sameBytes(code(request, *result, CodeLanguage::A51),
                      code(request, *result, CodeLanguage::Sdas), 0);
        }
        const QString failed = QString("seed %1").arg(seed);
        QVERIFY2(cyclesOfCalls(cUnits, calls, 144e6 / clock) == expected, qPrintable(failed));
        QVERIFY2(cyclesOfCalls(prototypes, calls, 144e6 / clock, sdasUnits) == expected,
                 qPrintable(failed));
    }

    // delay_ms(n) and the like, n = 0, 1, 2, 255, 256 and 1000: the call's fixed cost and n
    // steps. Rows: step, crystal, family, clock.
    void stepDelaysRunExactly_data() {
        QTest::addColumn<QString>("row");
        for (const char* row : {"1000 12 classic 12", "1000 11.0592 stc89 6", "10 12 classic 12",
                                "250.5 22.1184 classic 12", "77 33.1776 stc89 12"})
            QTest::newRow(row) << row;
    }
    void stepDelaysRunExactly() {
        QFETCH(QString, row);
        const QStringList field = row.split(' ');
        const int clock = field[3].toInt();
        const DelayRequest request =
            ask(field[0], field[1], *findFamily(field[2].toStdString()), clock, DelayKind::PerStep);
        const auto result = planDelay(request);
        QVERIFY(result);
        const QString name = QString::fromStdString(result->name);
        QStringList calls;
        QList<qint64> expected;
        for (const int n : {0, 1, 2, 255, 256, 1000}) {
            calls << QString("%1(%2)").arg(name).arg(n);
            const DelayCall& call = result->sdccCall;
            expected << (n == 0 ? call.zeroClocks : call.clocks + n * result->clocks) / clock;
        }
        QCOMPARE(result->sdccCall.zeroClocks,
                 result->sdccCall.clocks); // the classic core's branches
        const QString c = code(request, *result, CodeLanguage::C);
        compilesAlone(c);
        const double hz =
            field[1].toDouble() * 12e6 / clock; // a 6T core runs as a 12T one twice as fast
        QCOMPARE(cyclesOfCalls(c, calls, hz), expected);
        const QString sdas = code(request, *result, CodeLanguage::Sdas);
        QCOMPARE(cyclesOfCalls("void " + name + "(unsigned int n);\n", calls, hz, sdas), expected);
        // Keil C51 passes n in R6:R7 already: only SDCC's two moves from DPH:DPL (4 bytes) differ.
        sameBytes(code(request, *result, CodeLanguage::A51), sdas, 4);
        QCOMPARE(result->sdccCall.clocks - result->keilCall.clocks, 4 * clock);
    }

    // A 1T core's delays run in s51, and its trace, timed by the core's table, takes the clocks
    // the generator claims: fixed delays, and a step for n = 0, 1 and 2.
    void oneTCoreByItsTable() {
        const ChipFamily core = testCoreFamily();
        for (const char* us : {"0.75", "1", "3.25", "17.5", "60"}) {
            const DelayRequest request = ask(us, "12", core, 1);
            const auto result = planDelay(request);
            QVERIFY(result);
            QCOMPARE(sumOf(result->working).first, result->clocks);
            QCOMPARE(tracedClocks(code(request, *result, CodeLanguage::C) +
                                      "void main(void)\n{\n    " + result->name.c_str() +
                                      "();\n    for (;;)\n        ;\n}\n",
                                  result->clocks + 4),
                     result->clocks);
        }
        const DelayRequest request = ask("5", "12", core, 1, DelayKind::PerStep);
        const auto result = planDelay(request);
        QVERIFY(result);
        for (const int n : {0, 1, 2})
            QCOMPARE(tracedClocks(code(request, *result, CodeLanguage::C) +
                                      QString("void main(void)\n{\n    delay_5us(%1);\n"
                                              "    for (;;)\n        ;\n}\n")
                                          .arg(n),
                                  result->sdccCall.clocks + 3 * result->clocks),
                     n == 0 ? result->sdccCall.zeroClocks
                            : result->sdccCall.clocks + n * result->clocks);
    }

    // Lengths up to a day at 50 MHz, random and on the levels' edges (a count of 256, 65536
    // ...): the working line adds up to the delay, and the counts, run as the 8051 runs them,
    // make it too.
    void searchMatchesAnIndependentCount() {
        std::mt19937_64 random(7);
        std::vector<qint64> cycles;
        for (qint64 level = 256; level < (qint64{1} << 42); level *= 256)
            for (qint64 near = -3; near <= 3; ++near)
                cycles.push_back(2 * level + near);
        for (int i = 0; i < 3000; ++i)
            cycles.push_back(qint64(std::exp(std::uniform_real_distribution(1.4, 26.6)(random))));
        for (const qint64 length : cycles) {
            const DelayRequest request = ask(QString::number(length), "12", classicFamily(), 12);
            const auto result = planDelay(request);
            QVERIFY2(result, qPrintable(QString::number(length)));
            const auto [sum, total] = sumOf(result->working);
            QVERIFY2(sum == length && total == length && classicCount(result->loops) == length &&
                         result->clocks == 12 * length,
                     qPrintable(QString::fromStdString(result->working)));
        }
    }

    // Rows: delay (us), crystal, family, clock, kind | clocks achieved, or the problem named |
    // the function's name.
    void roundingAndRefusals_data() {
        QTest::addColumn<QString>("row");
        for (const char* row : {"4 12 classic 12 f|48|delay_4us",
                                "3.5 12 classic 12 f|48|",
                                "5.5 12 classic 12 f|72|",
                                "6.5 12 classic 12 f|72|",
                                "1000.9995 12 classic 12 f|12012|",
                                "2.5 24 classic 12 f|60|delay_2500ns",
                                "3.4 12 classic 12 f|LCALL|",
                                "2 12 stc89 6 f|24|delay_2us",
                                "86400000000 50 classic 12 f|4320000000000|delay_86400s",
                                "1e15 12 classic 12 f|延时太长|",
                                "1000 12 classic 6 f|时钟|",
                                "1000 0 classic 12 f|晶振|",
                                "0 12 classic 12 f|延时必须|",
                                "1000 12 stc15 1 f|1T 内核指令时间未知|",
                                "1000 12 stc12 12 f|1T|",
                                "1000 12 n76e003 1 s|1T|",
                                "8 12 classic 12 s|9 us|",
                                "9 12 classic 12 s|108|delay_9us",
                                "1000 12 classic 12 s|12000|delay_ms",
                                "250 12 stc89 6 s|3000|delay_250us",
                                "2000000 12 classic 12 f|24000000|delay_2s"})
            QTest::newRow(row) << QString::fromUtf8(row);
    }
    void roundingAndRefusals() {
        QFETCH(QString, row);
        const QStringList field = row.section('|', 0, 0).split(' ');
        const QString outcome = row.section('|', 1, 1), name = row.section('|', 2);
        const DelayRequest request =
            ask(field[0], field[1], *findFamily(field[2].toStdString()), field[3].toInt(),
                field[4] == "f" ? DelayKind::Fixed : DelayKind::PerStep);
        const QString problem = QString::fromStdString(delayProblem(request));
        const auto result = planDelay(request);
        QCOMPARE(bool(result), problem.isEmpty());
        QVERIFY2(problem.contains(outcome) || outcome == QString::number(result->clocks),
                 qPrintable(problem));
        if (!result)
            return;
        QVERIFY(name.isEmpty() || QString::fromStdString(result->name) == name);
        // The error, asked less achieved, in us and in clocks, as the header says it.
        const Exact clocks(result->clocks), asked = request.delayUs * request.crystalMhz;
        const std::string error = (request.delayUs - clocks / request.crystalMhz).text(3) +
                                  " us, " + (asked - clocks).text(3) + " clocks";
        QVERIFY(code(request, *result, CodeLanguage::A51).contains(error.c_str()));
    }
};

QTEST_GUILESS_MAIN(TestDelay)
#include "test_delay.moc"
