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

// "1000 12 classic 12 s": 1000 us steps (s; else fixed) at 12 MHz on the classic core at 12T.
DelayRequest ask(const QString& row, const ChipFamily* family = nullptr) {
    const QStringList field = row.split(' ');
    return {Exact::parse(field[0].toStdString()), Exact::parse(field[1].toStdString()),
            family ? *family : *findFamily(field[2].toStdString()), field[3].toInt(),
            field.value(4) == "s" ? DelayKind::PerStep : DelayKind::Fixed};
}

QString code(const DelayRequest& request, const DelayResult& result, CodeLanguage language) {
    return QString::fromStdString(delayCode(request, result, language));
}

int hex(const QString& text) { return text.toInt(nullptr, 16); }

// A made-up 1T core, its times listed as a vendor's manual would list them, jumps and
// fall-throughs apart (no real 1T core's table is known here; this one proves the table-driven
// path): for the generator by mnemonic, and for timing s51's trace by opcode (mask, opcode,
// jumps, falls).
// clang-format off
constexpr InstructionTiming testCore[] = {
    {"LCALL", "l", 4}, {"RET", "", 4}, {"NOP", "", 1}, {"MOV", "r#", 2}, {"DJNZ", "rl", 4, 3},
    {"JZ", "l", 3, 2}, {"JNZ", "l", 3, 2}, {"MOV", "Ar", 1}, {"ORL", "Ar", 1}, {"ADD", "A#", 2},
    {"ADDC", "A#", 2}, {"MOV", "rA", 1}, {"MOV", "rd", 3}};
constexpr int testCoreByOpcode[][4] = {
    {0xFF, 0x12, 4, 4}, {0xFF, 0x22, 4, 4}, {0xFF, 0x00, 1, 1}, {0xF8, 0x78, 2, 2},
    {0xF8, 0xD8, 4, 3}, {0xFF, 0x60, 3, 2}, {0xFF, 0x70, 3, 2}, {0xF8, 0xE8, 1, 1},
    {0xF8, 0x48, 1, 1}, {0xFF, 0x24, 2, 2}, {0xFF, 0x34, 2, 2}, {0xF8, 0xF8, 1, 1},
    {0xF8, 0xA8, 3, 3}};
// clang-format on

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
void runsExactly(const std::vector<DelayRequest>& requests, const QList<int>& ns, double hz,
                 const QString& seed) {
    QString cUnits, sdasUnits, program = "void main(void)\n{\n";
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
        program += "    __asm\n    mov psw,#0xE6\n    mov a,#0x5A\n";
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
                     "8051", hz, int(breaks.size()), {}, units.isEmpty() ? sdasUnits : "");
        QList<qint64> cycles;
        for (int i = 0; i + 1 < stops.size(); i += 2)
            cycles << stops[i + 1]["cycle"] - stops[i]["cycle"];
        QVERIFY2(cycles == expected, qPrintable(seed + (units.isEmpty() ? " sdas8051" : " C")));
    }
}

// s51's trace of main()'s call, timed by the test core's table by opcode: a branch (all 2 bytes
// long) jumped where the next instruction is not the one after it.
qint64 tracedClocks(const DelayRequest& request, const DelayResult& result, int n) {
    const QTemporaryDir dir;
    QFile rst(dir.filePath("main.rst"));
    const QString main = code(request, result, CodeLanguage::C) + "void main(void)\n{\n    " +
                         called(result, n).first + ";\n    for (;;)\n        ;\n}\n";
    if (!written(dir.filePath("main.c"), main.toLatin1()) ||
        !run("sdcc", {"-mmcs51", "main.c"}, {}, dir.path()).ok || !rst.open(QIODevice::ReadOnly))
        return -1;
    const int call =
        hex(QRegularExpression("(\\w{6}) 12 .*lcall\\t_delay").match(rst.readAll()).captured(1));
    const QString steps =
        QString("break 0x%1\nrun\n").arg(call, 0, 16) + QString("step\n").repeated(2000);
    auto line =
        QRegularExpression("\\n0x(\\w{4}) +F?\\?? *(\\w\\w) ")
            .globalMatch(run("s51", {"-t", "8051", "-b", dir.filePath("main.ihx")}, steps).output);
    qint64 clocks = 0;
    for (auto at = line.next(); line.hasNext() && hex(at.captured(1)) != call + 3;) {
        const auto next = line.next();
        const bool jumped = hex(next.captured(1)) != hex(at.captured(1)) + 2;
        qint64 time = 1'000'000; // an instruction the table lacks
        for (const auto& row : testCoreByOpcode)
            time = (hex(at.captured(2)) & row[0]) == row[1] ? row[jumped ? 2 : 3] : time;
        clocks += time, at = next;
    }
    return clocks;
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

    // A 1T core's delays run in s51, and its trace, timed by the core's table, takes the clocks
    // the generator claims: fixed delays (n = -1), and a 5 us step for n = 0, 1 and 2.
    void oneTCoreByItsTable() {
        ChipFamily core = *findFamily("stc15");
        core.instructionClocks = testCore;
        for (const QString row :
             {"0.75 -1", "1 -1", "3.25 -1", "17.5 -1", "60 -1", "5 0", "5 1", "5 2"}) {
            const int n = row.section(' ', 1).toInt();
            const DelayRequest request =
                ask(row.section(' ', 0, 0) + " 12 stc15 1" + (n < 0 ? "" : " s"), &core);
            const auto result = planDelay(request);
            QVERIFY(result && sumOf(result->working).first == result->clocks);
            QCOMPARE(tracedClocks(request, *result, n), called(*result, n).second);
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
             "0 12 classic 12|有效的延时|", "1000 12 stc15 1|1T 内核指令时间未知|",
             "1000 12 stc12 12|1T|", "1000 12 n76e003 1 s|1T|", "8 12 classic 12 s|9 us|",
             "9 12 classic 12 s|108|delay_9us", "1000 12 classic 12 s|12000|delay_ms",
             "1000 12 classic 12|12000|delay_1ms", "250 12 stc89 6 s|3000|delay_250us",
             "2000000 12 classic 12|24000000|delay_2s", "60e6 50 classic 12 s|3000000000|delay_60s"})
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
