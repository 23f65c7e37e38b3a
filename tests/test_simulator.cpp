// The copied code, proven: SDCC compiles it inside a tiny main and the 8051 simulator s51 runs
// it. A timer must overflow exactly N - initValue counts after it is started, and again after
// each reload (by the routine in modes 0 and 1, by itself in mode 2), and the serial port send a
// byte in ten bit times of the rate the baud table shows.
#include "baudrate.h"
#include "calculator.h"
#include "chipfamily.h"
#include "codelanguage.h"
#include "interpreter.h"
#include "plan.h"
#include "registers.h"
#include "simulation.h"
#include "wave.h"

#include <QtTest>

using namespace tickora;

namespace {

// Every TimerSetup the tests make, so that a change of its fields is one change here.
TimerSetup timerSetup(std::int32_t initValue, int mode, const QString& us, const QString& mhz,
                      std::int32_t clock, const ChipFamily& family = classicFamily()) {
    return {initValue, mode,   Exact::parse(us.toStdString()), Exact::parse(mhz.toStdString()),
            clock,     &family};
}

// The unit preprocessed as Keil C51 sees it, its vendor header standing in empty.
QString asKeilSeesIt(const QString& unit, const ChipFamily& family) {
    QTemporaryDir dir;
    written(dir.filePath(QString::fromLatin1(family.header.data(), family.header.size())), {});
    return run("cpp", {"-P", "-I", dir.path()}, unit).output;
}

// Runs a timer's unit, C or sdas8051, from a dirty chip and checks what it writes (expected,
// "TMOD=25 8E=40"), that the first overflow comes counts after the start, that 50 periods take
// 50 x counts (where the routine's reload makes up for its latency or the timer reloads itself),
// and that the user's code runs every ticks periods. Timers s51 has no model of show their
// registers only.
void checkTicks(const QString& unit, int timer, const ChipFamily& family, int clock, TimerKind kind,
                int counts, std::int64_t ticks, const QString& expected,
                const QStringList& sdccOptions = {}, CodeLanguage language = CodeLanguage::C) {
    QVERIFY(std::all_of(unit.begin(), unit.end(), [](QChar c) { return c.unicode() < 128; }));
    const bool assembly = language == CodeLanguage::Sdas;
    const QString x = QString::number(timer);
    const int vector = timer == 2 ? (family.timer2 == Timer2Kind::Stc ? 12 : 5) : timer * 2 + 1;
    QVERIFY(
        assembly
            ? unit.contains(QString("void timer%1_isr(void) __interrupt(%2);").arg(x).arg(vector))
            : asKeilSeesIt(unit, family)
                  .contains(QString("void timer%1_isr(void) interrupt %2").arg(x).arg(vector)));
    const bool modelled = family.classicCycle || (kind != TimerKind::Reload16 && timer < 2);
    const bool plain = !reloadsItself(kind) && !family.classicCycle; // reloads after the overflow
    // TMOD left dirty: the other timer's bits, and gate, counter and mode 1 in this timer's.
    const int tmod = (timer == 0 ? 0x50 : 0x05) | (timer == 2 ? 0 : 0xD << (4 * timer));
    // An assembly unit is linked to main() as its header says: with its routine declared.
    const QString cSide = !assembly ? unit
                                    : QString("#include <8052.h>\nvoid timer%1_init(void);\n"
                                              "void timer%1_isr(void) __interrupt(%2);\n")
                                          .arg(x)
                                          .arg(vector);
    const QString program =
        QString("%1%2void main(void)\n{\n    TMOD = %3;\n%4    timer%5_init();\n"
                "    timer%5_init(); /* again, while it runs */\n    for (;;)\n"
                "        CY = 1; /* a borrow the routine must not take */\n}\n")
            .arg(cSide, dirtyRegisters, QString::number(tmod), dirtySwitches(clock), x);
    const auto simulated = [&](const QStringList& breaks, int runs) {
        return simulate(program, breaks, timer == 2 ? "8052" : "8051", 12e6, runs, sdccOptions,
                        assembly ? unit : QString());
    };
    QStringList breaks{"(?:setb\\t_TR" + x + "|orl\\t_AUXR,#0x1)", "_timer" + x + "_isr:"};
    if (plain && !assembly)
        breaks << "_timer" + x + "_isr:(?:.*\\n)*?.*mov\\t_TL" + x;
    // Timed from the second init, which finds the timer running.
    auto stops = simulated(breaks, 1 + (modelled ? (plain && !assembly ? 4 : 52) : 1));
    QVERIFY(stops.size() > 1);
    stops.removeFirst();
    QCOMPARE(shown(stops[0], expected), expected);
    if (!modelled)
        return; // s51 has no 16-bit auto-reload timer 0 or STC timer 2: registers are all it shows
    const auto since = [&](const QHash<QString, int>& stop) { // counts since the last overflow
        const int th = stop["TH" + x], tl = stop["TL" + x];
        return timer == 2 ? th * 256 + tl - (stop["RCAP2H"] * 256 + stop["RCAP2L"])
               : kind == TimerKind::Count13 ? th * 32 + (tl & 31)
               : kind == TimerKind::Reload8 ? tl - th
                                            : th * 256 + tl;
    };
    const auto overflowAt = [&](int stop) { return stops[stop]["cycle"] - since(stops[stop]); };
    QCOMPARE(overflowAt(1) - stops[0]["cycle"], counts);
    if (plain && !assembly) { // s51 stores a MOV's operand one machine cycle before the MOV ends
        QCOMPARE(overflowAt(3) - (stops[2]["cycle"] - 1), counts);
        return;
    }
    QCOMPARE(stops.size(), 52);
    const int drift = overflowAt(51) - overflowAt(1) - 50 * counts;
    // An adding reload with no core timing stands still a few counts each period, always as many.
    if (plain) {
        QVERIFY2(drift % 50 == 0 && drift > 0 && drift <= 50 * 16,
                 qPrintable(QString::number(drift)));
        return;
    }
    QCOMPARE(drift, 0);
    if (ticks == 1)
        return;
    const auto calls = simulated({assembly ? "; your code" : "timer" + x + "_ticks = 0;"}, 3);
    QCOMPARE(calls.size(), 3);
    for (int call = 1; call < 3; ++call)
        QCOMPARE(calls[call]["cycle"] - since(calls[call]) -
                     (calls[call - 1]["cycle"] - since(calls[call - 1])),
                 ticks * counts);
}

// What no assembler here checks of an A51 unit, read from its text: NAME first and END last, a
// register declared DATA and a bit BIT as the instructions use them, each segment selected by
// the RSEG after it, what DS reserves in a DATA segment the code can write, each PUBLIC name a
// label. Its faults.
QStringList a51Faults(const QString& unit) {
    QStringList lines = unit.split('\n'), faults;
    lines.removeIf([](const QString& line) { return line.isEmpty() || line.startsWith(';'); });
    if (lines.first().section('\t', 1, 1) != "NAME" || lines.last() != "\tEND")
        faults << "NAME ... END";
    QHash<QString, QString> declared, used, segments; // a name: DATA or BIT; a segment's type
    QString segment;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList f = lines[i].section(';', 0, 0).trimmed().split('\t');
        if (f.size() == 3 && (f[1] == "DATA" || f[1] == "BIT"))
            declared[f[0]] = f[1];
        if (f.size() == 3 && f[1] == "SEGMENT" && lines.value(i + 1) != "\tRSEG\t" + f[0])
            faults << "RSEG " + f[0];
        if (f.size() == 3 && f[1] == "SEGMENT")
            segments[f[0]] = f[2];
        if (f[0] == "RSEG")
            segment = f.value(1);
        if (f.value(1) == "DS" && segments.value(segment) != "DATA")
            faults << "DS in " + segment;
        if (f[0] == "PUBLIC" && !lines.contains(f.value(1) + ':'))
            faults << "label " + f.value(1);
        const QStringList operands = f.value(1).split(',');
        const bool bits = QStringList{"SETB", "CLR", "JB", "JNB"}.contains(f[0]) ||
                          (f[0] == "MOV" && operands.contains("C"));
        for (const QString& operand : operands)
            if (declared.contains(operand))
                used[operand] = bits ? "BIT" : "DATA";
    }
    for (auto name = used.begin(); name != used.end(); ++name)
        if (declared[name.key()] != name.value())
            faults << name.key() + " used as " + name.value();
    return faults;
}

} // namespace

// Every unit the windows can copy for the family: timers 0 and 1 in each mode at each clock, each
// generator's uart_init() and the plans' timers 2 to 4, each timer 2 to 4 as the main window
// copies it, each port's uart2_init() to uart4_init(). Empty where one is missing.
std::vector<std::string> unitsOf(const ChipFamily& family,
                                 CodeLanguage language = CodeLanguage::C) {
    std::vector<std::string> units;
    for (const std::int32_t clock : family.clocks) {
        if (clock == 0)
            continue;
        for (int mode = 0; mode < 3; ++mode) {
            const TimerKind kind = family.modes[mode].kind;
            const auto setup = timerSetup(countsOf(kind) / 4, mode, "1", "11.0592", clock, family);
            for (int timer = 0; timer < 2; ++timer)
                units.push_back(timerInitCode(timer, setup, language).value_or(""));
        }
        for (const int uart : uartsOf(family))
            for (const BaudGenerator& generator : generatorsOf(family, uart)) {
                const Exact crystal = Exact::parse("11.0592");
                const auto setting = baudSetting(generator, crystal, clock, 9600);
                units.push_back(setting ? baudInitCode({family, generator, crystal, clock, 9600},
                                                       *setting, language)
                                              .value_or("")
                                        : "");
            }
        const PlanRequest request{1'000'000, Exact::parse("11.0592"), family, clock};
        for (const TickPlan& plan : planInterval(request))
            if (plan.timer->timer >= 2)
                units.push_back(tickPlanCode(plan, request, language).value_or(""));
        const auto shown = timerSetup(0, 1, "1000", "11.0592", clock, family);
        for (const int timer : timersOf(family))
            if (timer >= 2)
                units.push_back(
                    timerInitCode(timer, *reloadTimerSetup(shown, timer), language).value_or(""));
        // Each way of a square wave: 38 kHz for the clock outputs, 1 kHz for the routines.
        for (const char* hz : {"38000", "1000"}) {
            const WaveRequest wave{Exact::parse(hz), Exact::parse("11.0592"), family, clock};
            for (const WaveWay& way : waveWays(wave))
                if (way.problem.empty() && way.clockOutput == (hz[0] == '3'))
                    units.push_back(waveCode(wave, way, language).value_or(""));
        }
    }
    return units;
}

class TestSimulator : public QObject {
    Q_OBJECT
private slots:
    // Pasted alone into a file of its own, each unit compiles with SDCC without a word of
    // complaint: it declares every register it names. The 8052's and STC's timers 2 to 4 and
    // STC's UART2 to UART4 are among them.
    void everyUnitCompilesAlone() {
        int oneModeUnits = 0, portUnits = 0;
        QTemporaryDir dir;
        for (const ChipFamily& family : chipFamilies())
            for (const std::string& unit : unitsOf(family)) {
                const QString name = QString::fromLatin1(family.id.data(), family.id.size()) +
                                     QString::fromStdString(unit).section('\n', 0, 0);
                if (family.sdccHeader.empty() && unit.find("__SDCC") == std::string::npos &&
                    unit.find("#include <STC32G.H>  /* Keil C251") != std::string::npos)
                    continue; // a 251 core: Keil C251's header only
                QVERIFY2(!unit.empty() && written(dir.filePath("unit.c"), unit.c_str()),
                         qPrintable(name));
                const Ran ran = run("sdcc", {"-mmcs51", "-c", "unit.c"}, {}, dir.path());
                QVERIFY2(ran.ok && (ran.output + ran.errors).isEmpty(),
                         qPrintable(name + ":\n" + ran.output + ran.errors));
                oneModeUnits += unit.find("Square wave") == std::string::npos &&
                                unit.find("TIMER_ISR(1)") == std::string::npos &&
                                unit.find("TIMER_ISR(3)") == std::string::npos &&
                                unit.find("_isr(void)") != std::string::npos;
                portUnits += unit.find("void uart_init") == std::string::npos &&
                             unit.find("_init(void)\n{\n    S") != std::string::npos;
            }
        // Plan and main window: the 8052's timer 2 at classic 12T, STC89 12T and 6T; timers 2 to
        // 4 of STC15, STC8, STC8G and STC8H at 12T and 1T, and the STC8G's and STC8H's
        // prescaled plans of 1 s. UART2, UART3 by 2 timers, UART4 by 2: 5 a clock.
        QCOMPARE(oneModeUnits, 2 * 3 + 4 * 2 * 2 * 3 + 2 * 2 * 3);
        QCOMPARE(portUnits, 5 * 2 * 4);
    }

    // Every assembly unit of every family: the sdas8051 one assembles and links alone without a
    // word from the tools, and the A51 one, through as31, makes the same bytes at the same places.
    void assemblyUnitsAssembleAlike() {
        for (const ChipFamily& family : chipFamilies()) {
            const auto sdas = unitsOf(family, CodeLanguage::Sdas);
            const auto a51 = unitsOf(family, CodeLanguage::A51);
            QCOMPARE(sdas.size(), a51.size());
            if (!family.noAssembly.empty()) { // no unit for a toolchain it cannot work in
                QVERIFY(std::all_of(sdas.begin(), sdas.end(), std::mem_fn(&std::string::empty)) &&
                        std::all_of(a51.begin(), a51.end(), std::mem_fn(&std::string::empty)));
                continue;
            }
            for (std::size_t i = 0; i < sdas.size(); ++i) {
                const QString name = QString::fromLatin1(family.id.data(), family.id.size()) +
                                     QString::fromStdString(sdas[i]).section('\n', 0, 0);
                const QTemporaryDir dir;
                const QString complaints = assembledAlone(dir, QString::fromStdString(sdas[i]));
                QVERIFY2(!sdas[i].empty() && complaints.isEmpty(),
                         qPrintable(name + ":\n" + complaints));
                QCOMPARE(a51Faults(QString::fromStdString(a51[i])), QStringList());
                QVERIFY(written(dir.filePath("a51.asm"),
                                forAs31(QString::fromStdString(a51[i])).toLatin1()));
                const Ran as31 = run("as31", {"-Fhex", "a51.asm"}, {}, dir.path());
                QVERIFY2(as31.ok, qPrintable(name + ":\n" + as31.output + as31.errors));
                const auto bytes = imageBytes(dir.filePath("a51.hex"));
                QVERIFY2(!bytes.isEmpty() && bytes == imageBytes(dir.filePath("main.ihx")),
                         qPrintable(name));
            }
        }
    }

    // Linked beside SDCC's C, a unit takes no internal RAM but what it reserves: a C program
    // that fills the RAM links with it. Declared beside main() as its header says, the routine
    // gets the same LJMP at its vector from SDCC; left out, SDCC's start-up code and the unit's
    // vector overwrite each other, as the header warns, or for a far vector SDCC's code starts
    // below it at 0003H and would run over it once long enough.
    void sdasUnitsLinkBesideSdccsC() {
        const QTemporaryDir dir;
        const auto linked = [&](const QString& declaration, int ramBytes, QList<int>* clashes) {
            const QString program = QString("#include <8052.h>\n%1__data unsigned char ram[%2];\n"
                                            "void main(void)\n{\n    unsigned char i;\n    for "
                                            "(i = 0; i < sizeof ram; ++i)\n        ram[i] = i * "
                                            "P1;\n    for (;;)\n        P2 = ram[P1];\n}\n")
                                        .arg(declaration)
                                        .arg(ramBytes);
            const auto unit =
                QFile::exists(dir.filePath("unit.rel")) ? QStringList{"unit.rel"} : QStringList();
            // The reset vector where the core starts: SDCC's LJMP to its start-up code.
            return written(dir.filePath("main.c"), program.toLatin1()) &&
                   run("sdcc", QStringList{"-mmcs51", "main.c"} + unit, {}, dir.path()).ok &&
                   imageBytes(dir.filePath("main.ihx"), clashes).value(0) == 0x02;
        };
        const int fullRam = 120; // SDCC's small model, measured: no more links alone
        QVERIFY(linked({}, fullRam, nullptr) && !linked({}, fullRam + 1, nullptr));
        const QRegularExpression reserved("\\.ds (\\d+)"), vector("\\.org 0x([0-9a-f]{4})"),
            declared(";     (void \\w+\\(void\\) __interrupt\\(\\d+\\);)");
        for (const ChipFamily& family : chipFamilies())
            for (const std::string& text : unitsOf(family, CodeLanguage::Sdas)) {
                const QString unit = QString::fromStdString(text), name = unit.section('\n', 0, 0);
                int ram = fullRam;
                for (const auto& match : reserved.globalMatch(unit))
                    ram -= match.captured(1).toInt();
                const QString declaration = declared.match(unit).captured(1);
                QList<int> clashes;
                QVERIFY2(text.empty() ||
                             (assembledIn(dir.path(), unit).isEmpty() &&
                              linked(declaration + "\n", ram, &clashes) && clashes.isEmpty()),
                         qPrintable(name));
                if (declaration.isEmpty())
                    continue; // uart_init, or no unit for the chip: no vector
                const int at = vector.match(unit).captured(1).toInt(nullptr, 16); // LJMP: 3 bytes
                // SDCC's own code from 0003H up: over the vector, or below one beyond its end.
                QVERIFY2(linked({}, ram, &clashes) &&
                             (clashes.contains(at) || clashes.contains(at + 1) ||
                              clashes.contains(at + 2) ||
                              (at > 0x80 && imageBytes(dir.filePath("main.ihx")).contains(3))),
                         qPrintable(name));
            }
    }

    // Rows: timer, interval, crystal, mode button, family, clock | registers after the init, by
    // hand from the family's switch bits (the switch register starts dirty, see dirtySwitches).
    void timerCodeKeepsTime_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"0 1000 11.0592 1 classic 12|TMOD=51", "1 1000 11.0592 1 stc12 1|TMOD=15 8E=41",
              "0 1000 12 0 classic 12|TMOD=50", "1 1000 24 0 stc89 6|TMOD=05",
              "0 250 11.0592 2 n76e003 12|TMOD=52 8E=F7", "1 10 22.1184 2 stc15 1|TMOD=25 8E=41",
              "0 1000 11.0592 0 stc15 1|TMOD=50 8E=81 TH0=D4 TL0=CD",
              "1 5000 11.0592 0 stc15 12|TMOD=05 8E=BF TH1=EE TL1=00", "0 79 12 1 classic 12|",
              // The reload's low byte or five bits carry into THx.
              "0 1042 12 1 classic 12|TMOD=51", "1 1008 12 0 stc89 12|TMOD=05",
              // The compensated reload in every memory model: its variables stay in internal RAM.
              "0 1000 11.0592 1 classic 12 --model-medium|TMOD=51",
              "1 1000 12 0 classic 12 --model-medium|TMOD=05",
              "1 1000 11.0592 1 stc89 12 --model-large|TMOD=15",
              "0 1000 24 0 stc89 6 --model-large|TMOD=50",
              "0 1000 11.0592 1 classic 12 --stack-auto|TMOD=51",
              "1 1000 12 0 classic 12 --stack-auto|TMOD=05"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void timerCodeKeepsTime() {
        QFETCH(QString, row);
        const auto field = [&row](int i) { return row.section('|', 0, 0).section(' ', i, i); };
        const int timer = field(0).toInt(), mode = field(3).toInt(), clock = field(5).toInt();
        const ChipFamily& family = *findFamily(field(4).toStdString());
        CalcState state{field(1).toFloat(),
                        countsOf(family.modes[mode].kind),
                        0,
                        field(2).toFloat(),
                        0,
                        0,
                        0,
                        0,
                        clock};
        QCOMPARE(calculate(state), CalcOutcome::Ok);
        const auto setup = timerSetup(state.initValue, mode, field(1), field(2), clock, family);
        if (row.endsWith('|')) { // the fewest counts the routine keeps up with, and one less
            for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::Sdas})
                QVERIFY(!timerInitCode(timer, setup, language) &&
                        timerInitCode(timer, timerSetup(65536 - 80, 1, "80", "12", 12), language));
            return;
        }
        const QStringList options = field(6).isEmpty() ? QStringList() : QStringList{field(6)};
        for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::Sdas})
            if (language == CodeLanguage::C || options.isEmpty())
                checkTicks(QString::fromStdString(*timerInitCode(timer, setup, language)), timer,
                           family, clock, family.modes[mode].kind,
                           state.modeCount - state.initValue, 1, row.section('|', 1), options,
                           language);
    }

    // The long-interval plans the table starts with, run: the user's code every interval.
    void planCodeKeepsTime_data() {
        QTest::addColumn<QString>("row"); // interval, crystal, family, clock, plan | registers
        for (const char* row :
             {"1000000 12 classic 12 0|T2CON=04 RCAP2H=3C RCAP2L=B0",
              "1000000 12 classic 12 1|TMOD=52 TH0=06",
              "1000000 11.0592 stc89 12 0|RCAP2H=4C RCAP2L=00", "1000000 11.0592 stc89 12 1|TH0=00",
              "1000000 11.0592 stc15 1 0|TMOD=50 8E=81 TH0=28 TL0=00",
              "1000000 11.0592 stc15 1 1|8E=15 D6=28 D7=00 AF=04", "70000 12 classic 12 2|TMOD=51",
              "300 11.0592 classic 12 1|TMOD=51"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void planCodeKeepsTime() {
        QFETCH(QString, row);
        const auto field = [&row](int i) { return row.section('|', 0, 0).section(' ', i, i); };
        const ChipFamily& family = *findFamily(field(2).toStdString());
        const PlanRequest request{Exact::parse(field(0).toStdString()),
                                  Exact::parse(field(1).toStdString()), family, field(3).toInt()};
        const TickPlan plan = planInterval(request).at(field(4).toInt());
        for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::Sdas})
            checkTicks(QString::fromStdString(*tickPlanCode(plan, request, language)),
                       plan.timer->timer, family, request.clock, plan.timer->kind,
                       int(plan.countsPerTick), plan.ticks, row.section('|', 1), {}, language);
    }
    // An assembly unit's tick counter holds every byte of its ticks: its init loads all four,
    // its routine counts down across each byte's edge (2^8, 2^16, 2^24 ticks left) and, at the
    // last tick, reloads all four; run on the test's own 8051 (s51 would take 2^32 periods).
    void assemblyTickCountersHoldEveryByte_data() {
        QTest::addColumn<qint64>("ticks");
        for (const qint64 ticks : {qint64(65536), (qint64(1) << 24) + 5, qint64(4294967295)})
            QTest::addRow("%lld ticks", ticks) << ticks;
    }
    void assemblyTickCountersHoldEveryByte() {
        QFETCH(qint64, ticks);
        const PlanRequest request{Exact(ticks * 250), 12, classicFamily(), 12}; // 250 us ticks
        const auto plans = planInterval(request);
        const auto plan = std::find_if(plans.begin(), plans.end(),
                                       [](const TickPlan& p) { return p.timer->id == "t0-mode2"; });
        QVERIFY(plan != plans.end() && plan->ticks == ticks);
        const QTemporaryDir dir;
        const QString unit =
            QString::fromStdString(*tickPlanCode(*plan, request, CodeLanguage::Sdas));
        QVERIFY(assembledAlone(dir, unit).isEmpty());
        const int bytes = QRegularExpression("\\.ds (\\d+)").match(unit).captured(1).toInt();
        QCOMPARE(bytes, ticks >> 24 ? 4 : 3); // the fewest that hold the ticks
        const auto image = imageBytes(dir.filePath("main.ihx"));
        Core8051 cpu(image, Core8051::clocksFromCsv(TICKORA_VENDOR_TIMING "/n76e003.csv"));
        const auto counter = [&cpu, bytes] { // at 30H, where the unit's only variable is linked
            qint64 value = 0;
            for (int i = 0; i < bytes; ++i)
                value |= qint64(cpu.direct(0x30 + i)) << (8 * i);
            return value;
        };
        const auto setCounter = [&cpu](qint64 value) {
            for (int i = 0; i < 4; ++i)
                cpu.direct(0x30 + i) = std::uint8_t(value >> (8 * i));
        };
        setCounter(0xA5A5A5A5);                                      // dirty RAM
        QVERIFY(cpu.call(0x0100, 10'000) > 0 && counter() == ticks); // the init
        const int isr = image.value(0x0C) << 8 | image.value(0x0D);  // the LJMP at 000BH
        for (const qint64 left : {qint64(1) << 8, qint64(1) << 16, qint64(1) << 24, qint64(1)}) {
            if (left >> (8 * bytes) != 0)
                continue;
            setCounter(left);
            QVERIFY(cpu.call(isr, 10'000) > 0);
            QCOMPARE(counter(), left == 1 ? ticks : left - 1);
        }
    }

    // A routine's square wave in s51, on the classic 8051 at 12T and the STC89 at 6T, each way a
    // routine makes 5 kHz, C and sdas8051, from a dirty chip: from one edge to the next but one,
    // two half periods of its counts to the clock (two, as the interrupt's latency takes turns).
    void waveRoutinesToggleEveryHalfPeriod_data() {
        QTest::addColumn<QString>("row"); // crystal, family, clock
        for (const char* row : {"12 classic 12", "11.0592 stc89 6"})
            QTest::newRow(row) << row;
    }
    void waveRoutinesToggleEveryHalfPeriod() {
        QFETCH(QString, row);
        const QStringList f = row.split(' ');
        const int clock = f[2].toInt();
        const WaveRequest wave{5000, Exact::parse(f[0].toStdString()),
                               *findFamily(f[1].toStdString()), clock};
        int routines = 0;
        for (const WaveWay& way : waveWays(wave)) {
            if (way.clockOutput || !way.problem.empty())
                continue;
            ++routines;
            const QString x = QString::number(way.timer);
            for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::Sdas}) {
                const QString unit = QString::fromStdString(*waveCode(wave, way, language));
                const bool assembly = language == CodeLanguage::Sdas;
                const int vector = way.timer == 2 ? 5 : 1;
                const QString cSide =
                    assembly ? QString("#include <8052.h>\nvoid timer%1_init(void);\nvoid "
                                       "timer%1_isr(void) __interrupt(%2);\n")
                                   .arg(x)
                                   .arg(vector)
                             : unit;
                const auto stops = simulate(
                    cSide + dirtyRegisters +
                        QString("void main(void)\n{\n    TMOD = 0xDD;\n    TCON = 0xF0;\n"
                                "    timer%1_init();\n    for (;;)\n        ;\n}\n")
                            .arg(x),
                    {assembly ? "cpl\tp1.0" : "cpl\t_P1_0"}, way.timer == 2 ? "8052" : "8051",
                    f[0].toDouble() * 1e6 * 12 / clock, 4, {}, assembly ? unit : QString());
                QCOMPARE(stops.size(), 4);
                for (int edge = 0; edge < 2; ++edge)
                    QVERIFY2(stops[edge + 2]["cycle"] - stops[edge]["cycle"] == 2 * way.counts,
                             qPrintable(QString::fromStdString(way.label)));
            }
        }
        QCOMPARE(routines, 3); // timer 2 and timer 0 in modes 1 and 2
    }

    // Each clock output's unit, C as SDCC compiles it and sdas8051, run on the 8051 written here
    // from a chip left all 0s or all 1s: it leaves the timer running at 50 kHz by the manual's
    // formula, its output on, its interrupt off, its count loaded while it was stopped (a running
    // STC timer takes a write as the next reload only), and every other bit as it found it.
    // Rows: family, clock, timer | run bit | 1T bit | output enable | interrupt enable | mode
    // bits ("=": their value; none: written, any value) | the count's registers, low first | the
    // crystal's divisor for the count rate | the pin. Bits and pins from the vendors' manuals.
    void clockOutputsSetTheirRegisters_data() {
        QTest::addColumn<QString>("row");
        // clang-format off
        for (const char* row : {
             "classic 12 2|T2CON 04|-|T2MOD 02|IE 20|T2CON 3B=00,T2CON C0,T2MOD FD=00|TL2 TH2 RCAP2L RCAP2H|2|P1.0",
             "stc89 12 2|T2CON 04|-|T2MOD 02|IE 20|T2CON 3B=00,T2CON C0,T2MOD FD=00|TL2 TH2 RCAP2L RCAP2H|2|P1.0",
             "stc12 1 0|TCON 10|AUXR 80|WAKE_CLKO 01|IE 02|TMOD 0F=02|TL0 TH0|1|P3.4",
             "stc12 12 1|TCON 40|AUXR 40|WAKE_CLKO 02|IE 08|TMOD F0=20|TL1 TH1|12|P3.5",
             "stc15 1 0|TCON 10|AUXR 80|INT_CLKO 01|IE 02|TMOD 0F=00|TL0 TH0|1|P3.5",
             "stc15 12 1|TCON 40|AUXR 40|INT_CLKO 02|IE 08|TMOD F0=00|TL1 TH1|12|P3.4",
             "stc15 1 2|AUXR 10|AUXR 04|INT_CLKO 04|IE2 04|AUXR 08=00|T2L T2H|1|P3.0",
             "stc15 12 3|T4T3M 08|T4T3M 02|T4T3M 01|IE2 20|T4T3M 04=00|T3L T3H|12|P0.4",
             "stc15 1 4|T4T3M 80|T4T3M 20|T4T3M 10|IE2 40|T4T3M 40=00|T4L T4H|1|P0.6",
             "stc8 1 0|TCON 10|AUXR 80|INT_CLKO 01|IE 02|TMOD 0F=00|TL0 TH0|1|P3.5",
             "stc8h 12 0|TCON 10|AUXR 80|INT_CLKO 01|IE 02|TMOD 0F=00|TL0 TH0|12|P3.5",
             "n76e003 1 0|TCON 10|CKCON 08|P2S 04|IE 02|TMOD 0F=02|TL0 TH0|1|P0.5",
             "n76e003 12 1|TCON 40|CKCON 10|P2S 08|IE 08|TMOD F0=20|TL1 TH1|12|P0.0"})
            for (const int dirt : {0x00, 0xFF})
                QTest::addRow("%s %02X", QString(row).section('|', 0, 0).toUtf8().data(), dirt)
                    << QString("%1|%2").arg(row).arg(dirt);
        // clang-format on
    }
    void clockOutputsSetTheirRegisters() {
        QFETCH(QString, row);
        QHash<QString, int> address; // the manuals' register map
        const QStringList map =
            QString("TCON 88 TMOD 89 TL0 8A TL1 8B TH0 8C TH1 8D AUXR 8E CKCON 8E INT_CLKO 8F "
                    "WAKE_CLKO 8F IE A8 IE2 AF P2S B5 T2CON C8 T2MOD C9 RCAP2L CA RCAP2H CB TL2 CC "
                    "TH2 CD T4T3M D1 T4H D2 T4L D3 T3H D4 T3L D5 T2H D6 T2L D7")
                .split(' ');
        for (int i = 0; i < map.size(); i += 2)
            address[map[i]] = map[i + 1].toInt(nullptr, 16);
        const QStringList f = row.split('|'), chip = f[0].split(' '), counter = f[6].split(' ');
        const int clock = chip[1].toInt(), timer = chip[2].toInt(), dirt = f[9].toInt();
        QHash<int, int> touched;                     // the bits the unit may change
        const auto bits = [&](const QString& text) { // "AUXR 04=FF": at, mask, value (-1: any)
            const QStringList p = text.split(QRegularExpression("[ =]"));
            touched[address.value(p[0])] |= p[1].toInt(nullptr, 16);
            return std::array<int, 3>{address.value(p[0]), p[1].toInt(nullptr, 16),
                                      p.size() > 2 ? p[2].toInt(nullptr, 16) : -1};
        };
        QList<std::array<int, 3>> want{bits(f[1] + "=FF"), bits(f[3] + "=FF"), bits(f[4] + "=00")};
        if (f[2] != "-")
            want << bits(f[2] + (clock == 1 ? "=FF" : "=00"));
        for (const QString& mode : f[5].split(','))
            want << bits(mode);
        for (const QString& name : counter)
            touched[address.value(name)] = 0xFF;
        const WaveRequest wave{50000, 24, *findFamily(chip[0].toStdString()), clock};
        const auto ways = waveWays(wave);
        const auto way = std::find_if(ways.begin(), ways.end(), [&](const WaveWay& w) {
            return w.clockOutput && w.timer == timer && w.problem.empty();
        });
        QVERIFY(way != ways.end() && way->pin == f[8].toStdString());
        for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::Sdas}) {
            const QTemporaryDir dir;
            const QString unit = QString::fromStdString(*waveCode(wave, *way, language));
            QCOMPARE(assembledAlone(dir, unit), QString()); // wave_init() at 0100H
            Core8051 cpu(imageBytes(dir.filePath("main.ihx")),
                         Core8051::clocksFromCsv(TICKORA_VENDOR_TIMING "/stc15.csv"), dirt);
            cpu.tracing = true;
            QVERIFY(cpu.call(0x0100, 1000) > 0);
            const auto& end = cpu.states.back();
            for (const auto& [at, mask, value] : want)
                QVERIFY2(value < 0 || (end[at] & mask) == (value & mask),
                         qPrintable(QString("%1 %2").arg(at, 0, 16).arg(mask, 0, 16)));
            for (int at = 0x80; at < 0x100; ++at)
                if (!QList<int>{0x81, 0x82, 0x83, 0xD0, 0xE0, 0xF0}.contains(at))
                    QVERIFY2((end[at] & ~touched.value(at)) == (dirt & ~touched.value(at)),
                             qPrintable(QString::number(at, 16)));
            // The count read back as the manual reads it: 8-bit mode 2 reloads TH from itself.
            const bool eightBit = f[5].endsWith("=02") || f[5].endsWith("=20");
            const int low = address[counter[0]], high = address[counter[1]];
            const int counts = eightBit ? 256 - end[high] : 65536 - (end[high] << 8 | end[low]);
            QVERIFY(!eightBit || end[low] == end[high]);
            if (counter.size() == 4) // the 8052's reload beside its count
                QCOMPARE(end[address[counter[3]]] << 8 | end[address[counter[2]]],
                         end[high] << 8 | end[low]);
            QCOMPARE(qint64(50000) * 2 * f[7].toInt() * counts, qint64(24'000'000));
            // Loaded while stopped: no count register changes once the run bit is set.
            for (std::size_t i = 1; i < cpu.states.size(); ++i)
                if (cpu.states[i - 1][want[0][0]] & want[0][1])
                    for (const QString& name : counter)
                        QVERIFY(cpu.states[i][address[name]] == cpu.states[i - 1][address[name]]);
        }
    }

    // Rows: family, generator, baud, crystal, clock, what s51 runs it as (8051, 8052, or only
    // its registers where s51 has no model of the generator) | registers after uart_init(), by
    // hand from the vendors' formulas, from a dirty chip.
    void baudCodeRunsAtTheTableRate_data() {
        QTest::addColumn<QString>("row");
        // clang-format off
        for (const char* row : {
             "classic t1 9600 11.0592 12 8051|TMOD=25 SCON=50 PCON=0C TH1=FD",
             "classic t1-smod 57600 11.0592 12 8051|TMOD=25 PCON=8C TH1=FF",
             "stc89 t1 4800 11.0592 6 8051|TMOD=25 PCON=0C TH1=F4",
             "classic t2 9600 11.0592 12 8052|TMOD=55 T2CON=34 RCAP2H=FF RCAP2L=DC",
             "classic t2 19200 11.0592 12 8052|T2CON=34 RCAP2H=FF RCAP2L=EE",
             "classic t2 1200 12 12 8052|T2CON=34 RCAP2H=FE RCAP2L=C7", // the nearer rate
             "stc89 t2 9600 11.0592 6 8052|T2CON=34 RCAP2H=FF RCAP2L=B8",
             "stc12 t1 115200 11.0592 1 8051|TMOD=25 8E=40 TH1=FD",
             "stc15 t1 9600 11.0592 12 8051|TMOD=25 8E=BE TH1=FD",
             // Port 0's TXD and RXD quasi-bidirectional, on SFR page 0 (SFRS 0x91, TA 0xC7).
             "n76e003 t1-smod 9600 16 1 8051|8E=11 C4=DF PCON=8C TH1=98 91=00 B1=3F B2=3F",
             "stc12 brt 9600 11.0592 1 regs|8E=15 9C=DC PCON=0C",
             "stc12 brt-smod 4800 11.0592 12 regs|8E=FB 9C=F4 PCON=8C",
             "stc15 t2 115200 11.0592 1 regs|TMOD=55 8E=15 D6=FF D7=E8",
             "stc15 t1-mode0 115200 11.0592 1 regs|TMOD=05 8E=40 TH1=FF", // TL1 counts at once
             "n76e003 t3 9600 16 1 regs|C4=E8 C5=98 C6=FF PCON=8C 91=00 B1=3F B2=3F C7=55"})
            QTest::newRow(row) << QString::fromLatin1(row);
        // clang-format on
    }
    void baudCodeRunsAtTheTableRate() {
        QFETCH(QString, row);
        const auto field = [&row](int i) { return row.section('|', 0, 0).section(' ', i, i); };
        const ChipFamily& family = *findFamily(field(0).toStdString());
        const auto& generator = *std::find_if(
            family.generators.begin(), family.generators.end(), [&](const BaudGenerator& g) {
                return QString::fromUtf8(g.id.data(), g.id.size()) == field(1);
            });
        const bool timer2 = field(5) == "8052", registersOnly = field(5) == "regs";
        const int clock = field(4).toInt(), smod = generator.smod == 1;
        const BaudRequest request{family, generator, Exact::parse(field(3).toStdString()), clock,
                                  Exact::parse(field(2).toStdString())};
        const auto setting = baudSetting(generator, request.crystalMhz, clock, request.baud);
        QVERIFY(setting);
        // A boot loader's leftovers: SMOD the wrong way and PCON's flag bits, timer 1 running in
        // the wrong mode. As a counter it counts nothing: s51 would add its overflows to timer 2's.
        // A 6T or 1T chip runs as a 12T one at 12 / D times the clock.
        const int pcon = 0x0C | (smod ^ 1) << 7;
        const double hz = field(3).toDouble() * 1e6 * 12 / clock;
        // The C unit, and the sdas8051 one linked to the same main().
        for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::Sdas}) {
            const bool assembly = language == CodeLanguage::Sdas;
            const QString code = QString::fromStdString(*baudInitCode(request, *setting, language));
            const QString cSide = assembly ? "#include <8052.h>\nvoid uart_init(void);\n" : code;
            const auto stops =
                simulate(QString("%1%2void main(void) {\n    PCON = %3; TMOD = 0x55; TH1 = TL1 = "
                                 "0x42; TR1 = 1;\n"
                                 "%4    uart_init();\n    for (;;) {\n        TI = 0;\n"
                                 "        SBUF = 0x55;\n        while (!TI);\n    }\n}\n")
                             .arg(cSide, dirtyRegisters)
                             .arg(pcon)
                             .arg(dirtySwitches(clock)),
                         {"clr\\t_TI", "jnb\\t_TI"}, timer2 ? "8052" : "8051", hz,
                         registersOnly ? 1 : 4, {}, assembly ? code : QString());
            QCOMPARE(stops.size(), registersOnly ? 1 : 4);
            // T2CON RCLK, TCLK and TR2 (0x34), PCON GF1 and GF0 (0x0C): SDCC's 8052.h. s51 takes
            // timer 2 for both directions when RCLK or TCLK is set: only T2CON shows a missing
            // TCLK.
            auto s = stops[0];
            QCOMPARE(shown(s, row.section('|', 1)), row.section('|', 1));
            if (registersOnly)
                continue;

            // Each byte, stops at the MOV to SBUF and after the TI poll, is ten bits of 16 (32 at
            // SMOD 0) overflows. Timer 2 counts at fosc/2, timer 1 every machine cycle (12 clocks).
            // s51 ticks the timers through the MOV before its write lands and restarts the bit
            // count there: the byte starts at the last overflow before the MOV ends. TI shows at
            // the end of the 2-cycle JNB holding the last overflow, for timer 2 one cycle later:
            // the byte ends less than one JNB (24 clocks) before that. A reload one count off moves
            // it 320 or more.
            const int reload = timer2 ? s["RCAP2H"] << 8 | s["RCAP2L"] : s["TH1"];
            const int expected = qRound(10 * hz / setting->actualBaud.toDouble());
            const int unit = timer2 ? 2 : 12;
            const int period = unit * ((timer2 ? 65536 : 256) - reload);
            for (int byte = 0; byte < 4; byte += 2) {
                s = stops[byte];
                const int since = unit * ((timer2 ? s["TH2"] << 8 | s["TL2"] : s["TL1"]) - reload);
                const int start = s["clock"] - since + (since + 23) / period * period;
                const int late = stops[byte + 1]["clock"] - start - expected - (timer2 ? 12 : 0);
                QVERIFY2(late >= 0 && late < 24, qPrintable(QString("%1 clocks late").arg(late)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
