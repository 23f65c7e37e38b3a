// The calculation without any window: the core's worked examples, number text, the timer
// registers and the serial port's baud rates.
#include "baudrate.h"
#include "calcpass.h"
#include "calculator.h"
#include "chipfamily.h"
#include "dialogservices.h"
#include "numbertext.h"
#include "plan.h"
#include "registers.h"

#include <QtTest>

using namespace tickora;

const QLocale usEnglish(QLocale::English);

Exact exact(const QString& text) { return Exact::parse(text.toStdString()); }

struct LastMessage : DialogServices {
    void showMessage(const QString& text) override { message = text; }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QString message;
};
QString text(const Exact& value) { return QString::fromStdString(value.fixed(3)); }

// The STC15/STC8 registers as STC's manual and headers lay them out (STC8H.H, STC15.H,
// STC8A8K64D4 manual: timer 2 and 4): written here, not read from the code under test.
const QHash<QString, int> stcAddress{
    {"AUXR", 0x8E},  {"T4T3M", 0xD1}, {"T4H", 0xD2},   {"T4L", 0xD3},
    {"T3H", 0xD4},   {"T3L", 0xD5},   {"T2H", 0xD6},   {"T2L", 0xD7},
    {"IE2", 0xAF},   {"S2CON", 0x9A}, {"S2BUF", 0x9B}, {"S3CON", 0xAC},
    {"S3BUF", 0xAD}, {"S4CON", 0x84}, {"S4BUF", 0x85}, {"P_SW2", 0xBA}};
// STC8G/STC8H: TM2PS to TM4PS in extended RAM, written only while P_SW2's EAXFR (bit 7) is set
// (STC8H.h).
const QHash<int, QString> stcPrescalers{{0xFEA2, "TM2PS"}, {0xFEA3, "TM3PS"}, {0xFEA4, "TM4PS"}};
struct ManualTimer {
    QString control;
    int run, counter, fast; // TxR, Tx_C/T, Txx12
    QString high, low;
    int enable, vector; // IE2 bit, interrupt number
};
// RxD and TxD of UART2 to UART4 while P_SW2's S2_S to S4_S are clear (STC15Fxxxx.H, STC8Hxxx.h).
const QHash<int, QStringList> manualPins{
    {2, {"P1.0", "P1.1"}}, {3, {"P0.0", "P0.1"}}, {4, {"P0.2", "P0.3"}}};
const QHash<int, ManualTimer> manualTimers{
    {2, {"AUXR", 0x10, 0x08, 0x04, "T2H", "T2L", 0x04, 12}},
    {3, {"T4T3M", 0x08, 0x04, 0x02, "T3H", "T3L", 0x20, 19}},
    {4, {"T4T3M", 0x80, 0x40, 0x20, "T4H", "T4L", 0x40, 20}}};

// The registers after a unit's writes, from a chip whose registers all hold dirt. Written while
// its timer runs, TxH/TxL reach only the hidden reload (manual): count and reload then differ.
struct StcModel {
    QHash<QString, int> sfr, reload, xfr;
    QStringList unknown; // registers written that the table lacks, or a prescaler with EAXFR clear
    int acc = 0, dptr = 0;
    QList<int> stack;
    StcModel(int dirt, const QString& unit) {
        for (auto at = stcAddress.begin(); at != stcAddress.end(); ++at)
            sfr[at.key()] = reload[at.key()] = dirt;
        for (const QString& name : stcPrescalers)
            xfr[name] = dirt;
        apply(unit);
    }
    // The prescaler's writes: C's block that sets EAXFR, writes TMxPS and puts P_SW2 back; A51's
    // PUSH, ORL, MOV DPTR, MOV A, MOVX, POP.
    bool prescaler(const QString& line) {
        static const QRegularExpression c(R"(^        (TM\dPS) = 0x([0-9A-F]{2});)"),
            pointer(R"(^\tMOV\tDPTR,#0?([0-9A-F]{4})H)"),
            immediate(R"(^\tMOV\tA,#0?([0-9A-F]{2})H)");
        const auto write = [this](const QString& name, int value) {
            if (sfr["P_SW2"] & 0x80)
                xfr[name] = value;
            else
                unknown << name + " with EAXFR clear";
        };
        if (line == "        unsigned char eaxfr = P_SW2;")
            stack << sfr["P_SW2"];
        else if (line == "        P_SW2 = eaxfr | 0x80;")
            sfr["P_SW2"] = stack.last() | 0x80;
        else if (line == "        P_SW2 = eaxfr;" && !stack.isEmpty())
            sfr["P_SW2"] = stack.takeLast();
        else if (const auto m = c.match(line); m.hasMatch())
            write(m.captured(1), m.captured(2).toInt(nullptr, 16));
        else if (line.startsWith("\tPUSH\tP_SW2"))
            stack << sfr["P_SW2"];
        else if (line.startsWith("\tPOP\tP_SW2") && !stack.isEmpty())
            sfr["P_SW2"] = stack.takeLast();
        else if (const auto m = pointer.match(line); m.hasMatch())
            dptr = m.captured(1).toInt(nullptr, 16);
        else if (const auto m = immediate.match(line); m.hasMatch())
            acc = m.captured(1).toInt(nullptr, 16);
        else if (line.startsWith("\tMOVX\t@DPTR,A"))
            write(stcPrescalers.value(dptr, "xdata"), acc);
        else
            return false;
        return true;
    }
    bool running(const QString& reg) const {
        for (const ManualTimer& timer : manualTimers)
            if (reg == timer.high || reg == timer.low)
                return sfr[timer.control] & timer.run;
        return false;
    }
    // "    T4T3M |= 0x0A;" in C, "\tORL\tT4T3M,#0AH" in A51; other lines are not register writes.
    void apply(const QString& unit) {
        static const QRegularExpression c(R"(^    (\w+) (=|\|=|&=) 0x([0-9A-F]{2});)"),
            a51(R"(^\t(MOV|ORL|ANL)\t(\w+),#0?([0-9A-F]{2})H)");
        for (const QString& line : unit.split('\n')) {
            if (prescaler(line))
                continue;
            auto m = c.match(line);
            const bool isC = m.hasMatch();
            if (!isC && !(m = a51.match(line)).hasMatch())
                continue;
            const QString reg = m.captured(isC ? 1 : 2), op = m.captured(isC ? 2 : 1);
            if (!stcAddress.contains(reg))
                unknown << reg;
            const int value = m.captured(3).toInt(nullptr, 16), old = sfr.value(reg);
            const int now = op == "|=" || op == "ORL"   ? old | value
                            : op == "&=" || op == "ANL" ? old & value
                                                        : value;
            if (!running(reg))
                sfr[reg] = now;
            reload[reg] = now;
        }
    }
    int count(const ManualTimer& timer) const { return sfr[timer.high] << 8 | sfr[timer.low]; }
    int reloads(const ManualTimer& timer) const {
        return reload[timer.high] << 8 | reload[timer.low];
    }
};

// Every register the unit declares, for SDCC (__sfr __at) or A51 (DATA), at the manual's address.
QStringList misplaced(const QString& unit) {
    static const QRegularExpression declared(
        R"(__sfr __at\(0x([0-9A-F]{2})\) (\w+);|(\w+)\tDATA\t0?([0-9A-F]{2})H)");
    QStringList wrong;
    for (const auto& m : declared.globalMatch(unit)) {
        const QString name = m.captured(2) + m.captured(3); // one of the two is empty
        const int at = (m.captured(1) + m.captured(4)).toInt(nullptr, 16);
        if (stcAddress.value(name, at) != at)
            wrong << name;
    }
    return wrong;
}

// A numbered step of a working text: "3. 计数 = t × f ÷ D：1000 × 11.0592 ÷ 12 = 921.6".
struct StepLine {
    QString label, expression, relation, result, note;
};
QList<StepLine> stepLines(const QString& text) {
    static const QRegularExpression step(
        R"(^\d+\. (.+?)：(.+) (=|≈) ([^\s（]+)(?: (?:µs|MHz|Hz|%))?(（.+）)?$)");
    QList<StepLine> steps;
    for (const QString& line : text.split('\n'))
        if (const auto m = step.match(line); m.hasMatch())
            steps << StepLine{m.captured(1), m.captured(2), m.captured(3), m.captured(4),
                              m.captured(5)};
    return steps;
}

// The expression redone from its printed operands, × and ÷ before + and −, brackets first:
// exactly, or in doubles as the window's single-precision pass does.
template <typename Number> struct Redo {
    QStringList tokens;
    Number (*parse)(const QString&);
    qsizetype at = 0;
    bool next(const QString& op) { return at < tokens.size() && tokens[at] == op && ++at; }
    Number sum() {
        Number value = product();
        while (at < tokens.size() && (tokens[at] == "+" || tokens[at] == "−"))
            value = next("+") ? value + product() : (next("−"), value - product());
        return value;
    }
    Number product() {
        Number value = factor();
        while (at < tokens.size() && (tokens[at] == "×" || tokens[at] == "÷"))
            value = next("×") ? value * factor() : (next("÷"), value / factor());
        return value;
    }
    Number factor() {
        if (next("(")) {
            const Number inner = sum();
            next(")");
            return inner;
        }
        return parse(tokens.value(at++));
    }
};
QStringList tokensOf(const QString& expression) {
    static const QRegularExpression token(R"(\(|\)|[×÷+−]|-?[0-9.]+(?:e[-+]?\d+)?)");
    QStringList tokens;
    for (const auto& m : token.globalMatch(expression))
        tokens << m.captured();
    return tokens;
}
Exact exactOf(const QString& text) {
    return text.endsWith('H') ? Exact(text.chopped(1).toLongLong(nullptr, 16))
                              : Exact::parse(text.toStdString());
}
// Why the step's result does not follow from its expression as its note says; empty when it
// does.
QString misworked(const StepLine& step) {
    const QStringList tokens = tokensOf(step.expression);
    if (step.note.contains("精度")) { // the stored float or the double the window's pass holds
        const auto value =
            Redo<double>{tokens, [](const QString& t) { return t.toDouble(); }}.sum();
        const bool holds = step.note.contains("单精度") ? float(value) == step.result.toFloat()
                                                        : value == step.result.toDouble();
        return holds ? QString() : step.label;
    }
    const Exact value = Redo<Exact>{tokens, [](const QString& t) { return exactOf(t); }}.sum();
    const Exact result = exactOf(step.result), gap = value - result;
    const int decimals = step.result.contains('.') ? step.result.section('.', 1).size() : 0;
    const Exact unit = Exact::parse("1e-" + std::to_string(decimals)); // of the last digit
    const Exact size = gap.sign() < 0 ? -gap : gap;
    const bool holds = step.relation == "=" ? gap == Exact(0)
                       : step.note.contains("偶数")
                           ? Exact(*value.roundedToEven()) == result && gap != Exact(0)
                       : step.note.contains("舍去") ? gap.sign() * value.sign() >= 0 && size < unit
                                                    : size * Exact(2) <= unit && gap != Exact(0);
    return holds ? QString() : step.label + ": " + step.expression + step.relation + step.result;
}
QString resultOf(const QList<StepLine>& steps, const QString& label) {
    for (const StepLine& step : steps)
        if (step.label.startsWith(label))
            return step.result;
    return "none";
}

class TestCalculation : public QObject {
    Q_OBJECT
private slots:
    void calculates_data() {
        QTest::addColumn<float>("t");
        QTest::addColumn<float>("f");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("clock"); // D
        // The outcome, then the fields as the result boxes would show them. Every row starts
        // from maxTimeUs -7, cycleUs -7, initValue 0x3039 and initErrorUs 42.25, so what a
        // calculation leaves alone shows.
        QTest::addColumn<QString>("seen");

        // clang-format off
        QTest::newRow("mode 0 at 12") << 100.f << 12.f << 8192 << 12 << "Ok 8192 1.000 1F9C 0.000";
        QTest::newRow("mode 1 at 12") << 100.f << 12.f << 65536 << 12 << "Ok 65536 1.000 FF9C 0.000";
        QTest::newRow("modes 2,3 at 12") << 100.f << 12.f << 256 << 12 << "Ok 256 1.000 9C 0.000";
        QTest::newRow("50ms at 11.0592") << 50000.f << 11.0592f << 65536 << 12 << "Ok 71111 1.085 4C00 0.001";
        QTest::newRow("1ms at 11.0592") << 1000.f << 11.0592f << 65536 << 12 << "Ok 71111 1.085 FC66 -0.434";
        QTest::newRow("250us at 11.0592") << 250.f << 11.0592f << 256 << 12 << "Ok 278 1.085 1A 0.434";
        QTest::newRow("mode 0 at 6") << 1000.f << 6.f << 8192 << 12 << "Ok 16384 2.000 1E0C 0.000";
        QTest::newRow("20us at 24") << 20.f << 24.f << 256 << 12 << "Ok 128 0.500 D8 0.000";
        // The count and the error come from the exact cycle, not from the one stored as float.
        QTest::newRow("count from the exact cycle") << 5456.f << 3.579545f << 8192 << 12 << "Ok 27463 3.352 19A4 -1.677";
        QTest::newRow("error from the exact cycle") << 7000.f << 3.579545f << 8192 << 12 << "Ok 27463 3.352 17D8 0.228";
        QTest::newRow("longest interval") << 65536.f << 12.f << 65536 << 12 << "Ok 65536 1.000 0 0.000";
        QTest::newRow("one cycle") << 1.f << 12.f << 256 << 12 << "Ok 256 1.000 FF 0.000";
        QTest::newRow("beyond q*N, 256 counts") << 76.9f << 40.f << 256 << 12 << "Ok 77 0.300 0 0.100";
        QTest::newRow("beyond q*N needs 257 counts") << 77.f << 40.f << 256 << 12 << "OutOfRange 77 0.300 3039 42.250";
        QTest::newRow("count tie to even") << 101.5f << 12.f << 256 << 12 << "Ok 256 1.000 9A -0.500";
        QTest::newRow("mode 0 too long") << 10000.f << 11.0592f << 8192 << 12 << "OutOfRange 8889 1.085 3039 42.250";
        QTest::newRow("one beyond mode 1") << 65537.f << 12.f << 65536 << 12 << "OutOfRange 65536 1.000 3039 42.250";
        QTest::newRow("half a cycle") << 0.5f << 12.f << 256 << 12 << "OutOfRange 256 1.000 3039 42.250";
        QTest::newRow("no mode") << 100.f << 12.f << 0 << 12 << "OutOfRange 0 1.000 3039 42.250";
        QTest::newRow("negative crystal") << 100.f << -12.f << 256 << 12 << "OutOfRange -256 -1.000 3039 42.250";
        QTest::newRow("zero interval") << 0.f << -1e9f << 256 << 12 << "OutOfRange 0 0.000 3039 42.250";
        QTest::newRow("tiny crystal, 8 bits") << 100.f << 0.0001f << 256 << 12 << "OutOfRange 30720001 120,000.000 3039 42.250";
        QTest::newRow("zero crystal") << 100.f << 0.f << 256 << 12 << "BadCrystal -7 -7.000 3039 42.250";
        QTest::newRow("cycle beyond float, no mode") << 100.f << 3e-38f << 0 << 12 << "Fault -7 -7.000 3039 42.250";
        QTest::newRow("longest beyond 32 bits") << 100.f << 0.0001f << 65536 << 12 << "Fault -7 120,000.000 3039 42.250";
        QTest::newRow("count beyond float") << 3e38f << 1200.f << 256 << 12 << "Fault -7 0.010 3039 42.250";
        // clang-format on
    }
    void calculates() {
        QFETCH(float, t);
        QFETCH(float, f);
        QFETCH(int, n);
        QFETCH(int, clock);
        QFETCH(QString, seen);
        CalcState state{t, n, 0, f, -7, -7, 42.25f, 0x3039, clock};
        const int outcome = int(calculate(state));
        const NumberText text(usEnglish);
        QCOMPARE(QString("%1 %2 %3 %4 %5")
                     .arg(QString("Ok BadCrystal OutOfRange Fault").section(' ', outcome, outcome),
                          text.formatDecimal(state.maxTimeUs), text.formatFixed3(state.cycleUs),
                          text.formatHex(state.initValue), text.formatFixed3(state.initErrorUs)),
                 seen);
    }

    // The four boxes as a pass fills them: the single-precision pass on the classic 8051 at 12T,
    // every other chip and clock worked from the typed decimals to the last digit; then what the
    // value really times. A value needing more counts than the mode has is refused everywhere.
    void passShowsEveryDigit_data() {
        QTest::addColumn<QString>("input"); // interval, crystal, family, clock, mode
        QTest::addColumn<QString>("shown"); // the boxes and the achieved interval, or the message
        // clang-format off
        QTest::newRow("classic keeps its single pass") << "34187.4 18.432 classic 12 1" << "42667 32E0 0.651 -0.103 34187.500";
        QTest::newRow("stc12 at 12T from the decimals") << "34187.4 18.432 stc12 12 1" << "42666.666 32E0 0.651 -0.100 34187.500";
        QTest::newRow("6T longest in full") << "1000 22.1184 stc89 6 1" << "17777.777 F19A 0.271 0.109 999.891";
        QTest::newRow("6T longest cut, not rounded") << "1000 11.0592 stc89 6 1" << "35555.555 F8CD 0.543 0.109 999.891";
        QTest::newRow("4C00 is 50000 exactly") << "50000 11.0592 classic 12 1" << "71111 4C00 1.085 0.001 50000.000";
        QTest::newRow("a cycle tie rounds up") << "1000 16 n76e003 1 1" << "4096 C180 0.063 0.000 1000.000";
        QTest::newRow("257 counts refused at 12T") << "88 35 classic 12 2" << "超出定时范围，请重新输入定时时间或晶体频率";
        QTest::newRow("257 counts refused at 6T") << "44 35 stc89 6 2" << "超出定时范围，请重新输入定时时间或晶体频率";
        // The classic 8051 at 12T keeps its check against the longest interval in whole µs.
        QTest::newRow("255 counts refused at classic 12T") << "61.2 50 classic 12 2" << "超出定时范围，请重新输入定时时间或晶体频率";
        QTest::newRow("255 counts fit on an STC89 at 12T") << "61.2 50 stc89 12 2" << "61.44 1 0.240 0.000 61.200";
        QTest::newRow("256 counts fit at 1T") << "7.32 35 stc15 1 2" << "7.314 0 0.029 0.006 7.314";
        QTest::newRow("under one count at 1T") << "0.028 35 stc15 1 2" << "超出定时范围，请重新输入定时时间或晶体频率";
        QTest::newRow("exactly one count") << "1 12 stc89 12 2" << "256 FF 1.000 0.000 1.000";
        QTest::newRow("an exponent typed") << "1e3 11.0592 stc12 1 1" << "5925.925 D4CD 0.090 0.018 999.982";
        QTest::newRow("zero crystal at 1T") << "100 0 stc12 1 1" << "晶体频率设置不当，请重新设置";
        QTest::newRow("letters at 1T") << "100 12x stc12 1 1" << "你输入的值中含有字符，请修正，重新输入数字";
        // clang-format on
    }
    void passShowsEveryDigit() {
        QFETCH(QString, input);
        QFETCH(QString, shown);
        const QStringList f = input.split(' ');
        const ChipFamily& family = *findFamily(f[2].toStdString());
        CalcState state{.modeCount = countsOf(family.modes[f[4].toInt()].kind),
                        .timerClock = f[3].toInt()};
        LastMessage dialogs;
        const auto result = cal(f[0], f[1], state, family, NumberText(usEnglish), dialogs);
        const QString seen = result ? QStringList{result->texts.maxTime, result->texts.initValue,
                                                  result->texts.cycle, result->texts.error,
                                                  text(result->timing.achievedUs())}
                                          .join(' ')
                                    : dialogs.message;
        QCOMPARE(seen, shown);
    }

    // Decimals as typed and their figures: half away from zero, carrying into the units; a
    // count's tie to the even one; one decimal point; the double nearest, rounded once.
    void exactDecimals_data() {
        // A double is no exact value by accident: Exact x = 11.0592; would be 11.
        static_assert(!std::is_constructible_v<Exact, double> &&
                      !std::is_convertible_v<float, Exact> && std::is_convertible_v<int, Exact>);
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("seen"); // fixed(3), the nearest whole number
        QTest::newRow("carry into the units") << "0.9995"
                                              << "1.000 1";
        QTest::newRow("below the carry") << "-9.99949"
                                         << "-9.999 -10";
        QTest::newRow("a tie to the even below") << "100.5"
                                                 << "100.500 100";
        QTest::newRow("a tie to the even above") << "101.5"
                                                 << "101.500 102";
        QTest::newRow("a second point") << "1.2.3"
                                        << "invalid 0";
    }
    void exactDecimals() {
        QFETCH(QString, typed);
        QFETCH(QString, seen);
        const Exact value = exact(typed);
        QCOMPARE(QString::fromStdString(value.fixed(3)) + ' ' +
                     QString::number(value.roundedToEven().value_or(0)),
                 seen);
        // Just over half way between 1 and the next double: nearer the next, though a long
        // double rounds it to the half way, which a second rounding takes to 1.
        const Exact::Int over = (Exact::Int(1) << 70) + (Exact::Int(1) << 17) + 1;
        QCOMPARE(QString::number(Exact::ratio(over, Exact::Int(1) << 70).toDouble(), 'g', 17),
                 "1.0000000000000002"); // as text: QCOMPARE on doubles is fuzzy
        // Past 128-bit cross products still exact, where a long double takes both for 1.
        const Exact::Int big = Exact::Int(1) << 100;
        QVERIFY(Exact::ratio(big + 1, big + 3) < Exact::ratio(big + 3, big + 5));
        QVERIFY(Exact::ratio(big, 3 * big + 1) < Exact::ratio(big, 2 * big + 1));
        const Exact nearOne = Exact::ratio(big << 26, (big << 26) + 1); // ten times passes 2^127
        QCOMPARE(QString::fromStdString(nearOne.fixed(3) + ' ' + nearOne.cut(3)), "1.000 0.999");
        QVERIFY(Exact::ratio(-big - 3, big + 5) < Exact::ratio(-big - 1, big + 3));
    }

    void parses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("value"); // NaN: no number

        const float no = std::numeric_limits<float>::quiet_NaN();
        // clang-format off
        const std::pair<const char*, float> usEnglishTexts[] = {
            {"100", 100}, {"-12", -12}, {"\u221212", -12}, {"－１９．５", -19.5f}, {"\u3000 12 \t", 12},
            {".5e1", 5}, {"11,0592", no}, {"1e-50", 0}, {"1e39", no}, {"3.4028236e38", no},
            {"1.00000005960464477539062500000000001", std::nextafter(1.f, 2.f)}, {"", no}, {" ", no},
            {"12abc", no}, {"1 2", no}, {"--1", no}, {"-", no}, {".", no}, {"1e", no}, {"0x10", no},
            {"inf", no}, {"nan", no}, {"1.2.3", no}, {"١٢", no}};
        for (const auto& [text, value] : usEnglishTexts)
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << value;
        // clang-format on
    }
    void parses() {
        QFETCH(QString, text);
        QFETCH(float, value);
        // As text of nine digits, which tells every float apart (QCOMPARE on floats is fuzzy).
        const float parsed = NumberText(usEnglish).parseSingle(text).value_or(NAN);
        QCOMPARE(QString::number(parsed, 'g', 9), QString::number(value, 'g', 9));
    }

    void followsTheRegionalFormat() {
        const NumberText numbers(QLocale(QLocale::German));
        QCOMPARE(numbers.parseSingle(u"11,0592").value_or(0), 11.0592f);
        QCOMPARE(numbers.formatFixed3(-1234.5f) + ' ' + NumberText::formatHex(-1),
                 "-1.234,500 FFFFFFFF");
    }

    void baudRates_data() {
        QTest::addColumn<QString>("request"); // family, generator, MHz, D, baud
        QTest::addColumn<QString>("setting"); // reload and error per cent, or none
        // clang-format off
        const char* rows[][2] = {
            {"classic t1 11.0592 12 9600", "FD +0.00"}, {"classic t1 11.0592 12 4800", "FA +0.00"},
            {"classic t1 11.0592 12 2400", "F4 +0.00"}, {"classic t1 11.0592 12 1200", "E8 +0.00"},
            {"classic t1-smod 11.0592 12 19200", "FD +0.00"}, {"classic t1-smod 11.0592 12 57600", "FF +0.00"},
            {"classic t1-smod 12 12 9600", "F9 -6.99"}, {"classic t1 12 12 2400", "F3 +0.16"},
            {"stc12 t1 11.0592 1 115200", "FD +0.00"}, {"stc89 t1 11.0592 6 19200", "FD +0.00"},
            {"classic t2 11.0592 12 9600", "FFDC +0.00"}, {"stc89 t2 11.0592 6 9600", "FFB8 +0.00"},
            // The nearer rate, not the nearer count.
            {"classic t1 35 12 9600", "F6 -5.06"}, {"classic t2 12 12 1200", "FEC7 -0.16"},
            {"stc15 t2 11.0592 1 115200", "FFE8 +0.00"}, {"stc15 t2 11.0592 12 9600", "FFE8 +0.00"},
            {"stc15 t1-mode0 24 1 115200", "FFCC +0.16"}, {"stc15 t2 48 1 3000000", "FFFC +0.00"}, {"stc12 brt 11.0592 1 9600", "DC +0.00"},
            {"stc12 brt-smod 11.0592 12 4800", "F4 +0.00"}, {"n76e003 t3 16 1 115200", "FFF7 -3.55"},
            {"n76e003 t1-smod 16 1 9600", "98 +0.16"}, {"n76e003 t1 16 12 1200", "DD -0.79"},
            // The whole register, then one count beyond it; a rate needing under one count.
            {"classic t1 11.0592 12 112.5", "0 +0.00"}, {"classic t2 11.0592 12 5.2734375", "0 +0.00"},
            {"classic t1 11.0592 12 112", ""}, {"classic t2 11.0592 12 5.27", ""}, {"classic t1 11.0592 12 115200", ""},
            {"classic t1 0 12 9600", ""}, {"classic t1 -11.0592 12 9600", ""}, {"classic t1 11.0592 12 0", ""}};
        // clang-format on
        for (const auto& [request, setting] : rows)
            QTest::newRow(request) << request << setting;
    }
    void baudRates() {
        QFETCH(QString, request);
        QFETCH(QString, setting);
        const QStringList f = request.split(' ');
        const ChipFamily& family = *findFamily(f[0].toStdString());
        const auto generator = std::find_if(
            family.generators.begin(), family.generators.end(), [&](const BaudGenerator& g) {
                return f[1] == QLatin1String(g.id.data(), g.id.size());
            });
        const Exact crystal = exact(f[2]), baud = exact(f[4]);
        const auto got = baudSetting(*generator, crystal, f[3].toInt(), baud);
        const QString error = got ? QString::fromStdString(got->errorPercent.fixed(2)) : QString();
        QCOMPARE(got ? QString::asprintf("%X ", got->reload) + (error[0] == '-' ? "" : "+") + error
                     : QString(),
                 setting);
        if (!got)
            return;
        // What reading the reload back gives, and the code's header with the numbers in full.
        QCOMPARE(baudOfReload(*generator, crystal, f[3].toInt(), got->reload), got->actualBaud);
        const auto code = baudInitCode({family, *generator, crystal, f[3].toInt(), baud}, *got);
        QVERIFY(QString::fromStdString(code.value_or(""))
                    .startsWith(
                        QString("/* UART mode 1, %1 baud at %2 MHz, %3T").arg(f[4], f[2], f[3])));
    }

    void plansLongIntervals_data() {
        QTest::addColumn<QString>("request"); // interval (µs), crystal, family, clock
        QTest::addColumn<QString>("plans");   // timer ticks x counts reload, = exact or the error
        // clang-format off
        QTest::newRow("1 s at 12 MHz") << "1000000 12 classic 12" << "t2 20x50000 3CB0=, t0-mode2 4000x250 06=, t0-mode1 20x50000 3CB0=";
        QTest::newRow("1 s at 11.0592 MHz") << "1000000 11.0592 stc89 12" << "t2 20x46080 4C00=, t0-mode2 3600x256 00=, t0-mode1 20x46080 4C00=";
        QTest::newRow("1 s on an STC8 at 1T") << "1000000 11.0592 stc15 1" << "t0-mode0 200x55296 2800=, t2 200x55296 2800=, t3 200x55296 2800=, t4 200x55296 2800=, t0-mode2 43200x256 00=, t0-mode1 200x55296 2800~0.000";
        QTest::newRow("1 s on an STC8 at 24 MHz") << "1000000 24 stc8 1" << "t0-mode0 400x60000 15A0=, t2 400x60000 15A0=, t3 400x60000 15A0=, t4 400x60000 15A0=, t0-mode2 100000x240 10=, t0-mode1 400x60000 15A0~0.000";
        QTest::newRow("a day at 50 MHz, 1T") << "86400000000 50 stc15 1" << "t0-mode0 86400000x50000 3CB0=, t2 86400000x50000 3CB0=, t3 86400000x50000 3CB0=, t4 86400000x50000 3CB0=, t0-mode2 17280000000x250 06=, t0-mode1 86400000x50000 3CB0~0.000";
        QTest::newRow("late reloads last on 1T") << "1000 11.0592 stc12 1" << "t0-mode2 57x194 3E0.109, t0-mode1 1x11059 D4CD~0.018";
        QTest::newRow("no exact plan") << "300 11.0592 classic 12" << "t2 1x276 FEEC0.521, t0-mode1 1x276 FEEC0.521, t0-mode2 2x138 760.521";
        QTest::newRow("shorter than a routine") << "10 12 n76e003 12" << "";
        // Half a count over 100: the tick tried longest is the nearest count, and of two ticks
        // that miss alike the longer.
        QTest::newRow("a tie of ticks") << "100.5 12 classic 12" << "t2 1x101 FF9B-0.500, t0-mode2 1x101 9B-0.500, t0-mode1 1x101 FF9B-0.500";
        QTest::newRow("65536 ticks: a long counter") << "16384000 12 classic 12" << "t2 8192x2000 F830=, t0-mode2 65536x250 06=, t0-mode1 8192x2000 F830=";
        QTest::newRow("2^32 - 1 ticks still counted") << "1073741823750 12 classic 12" << "t2 4294967295x250 FF06=, t0-mode2 4294967295x250 06=, t0-mode1 4294967295x250 FF06=";
        // clang-format on
    }
    void plansLongIntervals() {
        QFETCH(QString, request);
        QFETCH(QString, plans);
        const QStringList f = request.split(' ');
        const PlanRequest asked{exact(f[0]), exact(f[1]), *findFamily(f[2].toStdString()),
                                f[3].toInt()};
        QStringList shown;
        for (const TickPlan& plan : planInterval(asked)) {
            shown << QString::fromStdString(std::string(plan.timer->id)) +
                         QString::asprintf(" %lldx%lld %0*X", qlonglong(plan.ticks),
                                           qlonglong(plan.countsPerTick),
                                           plan.timer->kind == TimerKind::Reload8 ? 2 : 4,
                                           plan.reload) +
                         (plan.exact ? "=" : (plan.lateReload ? "~" : "") + text(plan.errorUs));
            // The routine's tick counter holds the ticks it counts, or there is no routine; only
            // where it reloads late does it reload by hand, its header saying so.
            const QString code = QString::fromStdString(tickPlanCode(plan, asked).value_or(""));
            QCOMPARE(!code.isEmpty() && planCodeProblem(plan).empty(), plan.ticks <= 4294967295);
            QVERIFY(code.isEmpty() || (code.contains("unsigned long") == (plan.ticks > 65535) &&
                                       code.contains("by the counts") == plan.lateReload &&
                                       code.contains("does not reload") == plan.lateReload));
        }
        QCOMPARE(shown.join(", "), plans);
    }

    // Over random typed decimals on every family and clock, against integer arithmetic: each
    // plan achieves k x c counts with a tick its routine keeps up with, its error is what is
    // left, and it is exact just when some tick of its timer divides the interval's counts.
    void plansHoldForAnyTypedInterval() {
        QRandomGenerator random(19);
        for (int trial = 0; trial < 60; ++trial) {
            const ChipFamily& family = chipFamilies()[trial % chipFamilies().size()];
            const int clock = family.clocks[trial / 5 % 2] ? family.clocks[trial / 5 % 2] : 12;
            // Crystals in 100 Hz steps, intervals in ns: the typed decimals as integers.
            const qint64 hundredHz = 10'000 + random.bounded(490'000),
                         ns = 1000 * qint64(std::pow(10.0, 2.5 + random.bounded(6.5))) +
                              random.bounded(3) * random.bounded(1000);
            const PlanRequest asked{Exact::ratio(ns, 1000), Exact::ratio(hundredHz, 10'000), family,
                                    clock};
            // counts = ns x 100 Hz / (D x 1e7)
            const Exact::Int total = Exact::Int(ns) * hundredHz, perCount = clock * 10'000'000LL;
            for (const TickPlan& plan : planInterval(asked)) {
                const std::int64_t range = countsOf(plan.timer->kind),
                                   fewest = minimumRoutineCounts(family, clock, plan.timer->kind);
                QVERIFY(plan.countsPerTick >= fewest && plan.reload == range - plan.countsPerTick);
                const Exact::Int counts =
                    Exact::Int(plan.ticks) * plan.countsPerTick * (plan.prescale + 1);
                QCOMPARE(plan.achievedUs, Exact::ratio(counts * clock * 10'000, hundredHz));
                QCOMPARE(plan.errorUs,
                         Exact::ratio(total - counts * perCount, Exact::Int(hundredHz) * 1000));
                if (plan.prescale > 0) // one tick of a divided clock: its own rows below
                    continue;
                bool divisible = false;
                for (std::int64_t c = fewest; c <= range && total % perCount == 0 && !divisible;
                     ++c)
                    divisible = total / perCount % c == 0;
                QCOMPARE(plan.exact, divisible && !plan.lateReload);
                QCOMPARE(plan.lateReload, !reloadsItself(plan.timer->kind) && !family.classicCycle);
            }
        }
    }

    // Reading the bytes back gives the value, and the value the interval the calculation got.
    void readsRegistersBack() {
        for (const ChipFamily& family : chipFamilies())
            for (const TimerMode& mode : family.modes)
                for (const std::int32_t value : {1, 200, countsOf(mode.kind) - 1}) {
                    const auto bytes = splitRegisters(value, mode).value();
                    QCOMPARE(valueOfRegisters(bytes.th, bytes.tl, mode.kind), value);
                    const Exact us = intervalOfValue(value, mode.kind, exact("11.0592"), 12);
                    CalcState state{float(us.toDouble()), countsOf(mode.kind), 0, 11.0592f};
                    QVERIFY(calculate(state) == CalcOutcome::Ok && state.initValue == value);
                }
        // Mode 2 runs in TL and reloads from TH: TH holds the value. Mode 0 counts in TL's low
        // five bits only, whatever its upper three hold.
        QCOMPARE(valueOfRegisters(0x9C, 0xF0, TimerKind::Reload8), 0x9C);
        QCOMPARE(valueOfRegisters(0xFC, 0xF8, TimerKind::Count13), 0xFC * 32 + 0x18);
    }

    void initCodeShowsNoMinusZeroAndNeedsARealTimer() {
        const TimerSetup setup{0x1000, 0, exact("2047.9999"), 24, 12};
        QVERIFY(timerInitCode(1, setup).value_or("").find("error (asked - achieved) 0.000 us") !=
                std::string::npos);
        QVERIFY(!timerInitCode(3, setup) && !splitRegisters(8192, classicFamily().modes[0]));
        const auto header = timerInitCode(0, {0xFC66, 1, 1000, exact("11.0592"), 12});
        QVERIFY(header->find("1000 us asked, 1000.434 us timed,\n * error (asked - achieved) "
                             "-0.434 us.") != std::string::npos);
    }

    // s51 has no STC timer 3 or 4, nor UART2 to UART4: their units' writes, in C and A51, run on
    // the manual's register table from dirt of all ones and of all zeros, and must leave the
    // timer loaded while stopped, started at the clock asked, counting clocks, its interrupt as
    // the unit needs it, every other bit as it was, and each register at its address.
    void stcTimersAndPortsWriteTheManualsBits_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("clock");
        QTest::addColumn<int>("dirt");
        for (const char* family : {"stc15", "stc8", "stc8h"})
            for (const int clock : {12, 1})
                for (const int dirt : {0x00, 0xFF})
                    QTest::addRow("%s %dT from %02X", family, clock, dirt)
                        << family << clock << dirt;
    }
    void stcTimersAndPortsWriteTheManualsBits() {
        QFETCH(QString, family);
        QFETCH(int, clock);
        QFETCH(int, dirt);
        const ChipFamily& chip = *findFamily(family.toStdString());
        const auto expectTimer = [&](const StcModel& model, int timer, int value, bool enabled) {
            const ManualTimer& row = manualTimers[timer];
            const int others = ~(row.run | row.counter | row.fast) & 0xFF; // kept as they were
            QCOMPARE(model.sfr[row.control],
                     (dirt & others) | row.run | (clock == 1 ? row.fast : 0));
            QCOMPARE(QList<int>({model.count(row), model.reloads(row)}),
                     QList<int>({value, value}));
            QCOMPARE(model.sfr["IE2"], enabled ? dirt | row.enable : dirt & ~row.enable);
            // A prescaler left by a boot loader set to 1/1, EAXFR as it was.
            QCOMPARE(QList<int>({model.xfr[QString("TM%1PS").arg(timer)], model.sfr["P_SW2"]}),
                     QList<int>({family == "stc8h" ? 0 : dirt, dirt}));
        };
        const auto setup =
            *reloadTimerSetup({0, 1, exact("1000"), exact("22.1184"), clock, &chip}, 2);
        QCOMPARE(setup.initValue, clock == 1 ? 65536 - 22118 : 65536 - 1843); // 22118.4, 1843.2
        for (const int timer : {2, 3, 4})
            for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::A51}) {
                const QString unit = QString::fromStdString(*timerInitCode(timer, setup, language));
                const StcModel model(dirt, unit);
                expectTimer(model, timer, setup.initValue, true);
                QCOMPARE(misplaced(unit) + model.unknown, QStringList());
                QVERIFY(unit.contains(
                    language == CodeLanguage::C
                        ? QString("TIMER_ISR(%1)").arg(manualTimers[timer].vector)
                        : QString("CSEG\tAT %1H")
                              .arg(8 * manualTimers[timer].vector + 3, 4, 16, QLatin1Char('0'))
                              .toUpper()));
            }
        // The manual's reload table, 22.1184 MHz: 115200 at FFD0 (1T) or FFFC (12T); the port's
        // control 8 bits with the receiver on, its own timer's select bit set or clear.
        const Exact crystal = exact("22.1184");
        // UART1 from timer 2 too leaves no timer 2 interrupt a boot loader enabled: with EA set
        // its overflows would reach an empty vector. AUXR's S1ST2 (bit 0) takes the port's clock.
        for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::A51}) {
            const BaudGenerator& timer2 = chip.generators[0];
            const auto setting = *baudSetting(timer2, crystal, clock, 115200);
            const StcModel model(
                dirt, QString::fromStdString(*baudInitCode({chip, timer2, crystal, clock, 115200},
                                                           setting, language)));
            QCOMPARE(QList<int>({model.sfr["IE2"], model.sfr["AUXR"] & 0x1D,
                                 model.count(manualTimers[2])}),
                     QList<int>({dirt & ~0x04, 0x11 | (clock == 1 ? 0x04 : 0),
                                 clock == 1 ? 0xFFD0 : 0xFFFC}));
        }
        for (const SerialPort& port : chip.ports)
            for (const BaudGenerator& generator : port.generators)
                for (const CodeLanguage language : {CodeLanguage::C, CodeLanguage::A51}) {
                    const auto setting = *baudSetting(generator, crystal, clock, 115200);
                    const QString unit = QString::fromStdString(*baudInitCode(
                        {chip, generator, crystal, clock, 115200}, setting, language));
                    const StcModel model(dirt, unit);
                    // UARTn's own timer is timer n (S3ST3, S4ST4); every port can take timer 2.
                    const int timer = generator.id == "t2" ? 2 : port.uart;
                    QCOMPARE(generator.timer, timer); // what its header and the clash rule say
                    expectTimer(model, timer, clock == 1 ? 0xFFD0 : 0xFFFC, false);
                    const QString control = QString("S%1CON").arg(port.uart);
                    for (const QString other : {"S2CON", "S3CON", "S4CON"}) // its own alone
                        QCOMPARE(model.sfr[other], other != control ? dirt
                                                   : timer == 2     ? 0x10
                                                                    : 0x50);
                    QCOMPARE(misplaced(unit) + model.unknown, QStringList());
                    const QStringList pins = manualPins[port.uart]; // P_SW2 as reset leaves it
                    QVERIFY(
                        unit.contains(QString("uart%1_init").arg(port.uart)) &&
                        unit.contains(
                            QString("RxD%1 %2, TxD%1 %3").arg(port.uart).arg(pins[0], pins[1])) &&
                        unit.contains(QString(": actual %1 baud")
                                          .arg(22118400.0 / clock / 4 /
                                                   (65536 - (clock == 1 ? 0xFFD0 : 0xFFFC)),
                                               0, 'f', 1)));
                }
    }

    // Beyond 65536 counts a prescaled timer divides its clock: by the smallest TMxPS + 1 that
    // makes the interval a whole number of counts, else the nearest (the smaller of two as
    // near); too long for any division, under half a count, or on a timer without a prescaler,
    // refused. Timer 3 at 24 MHz, 12T: a count is 0.5 us.
    void prescalerReachesBeyondTheRange_data() {
        QTest::addColumn<QString>("input"); // family, us
        QTest::addColumn<QString>("shown"); // TMxPS, counts, error; or the refusal
        // clang-format off
        QTest::newRow("1 s") << "stc8h 1000000" << "31 62500 0.000";
        QTest::newRow("the longest undivided") << "stc8h 32768" << "0 65536 0.000";
        QTest::newRow("half a count more, a tie to the even") << "stc8h 32768.25" << "0 65536 0.250";
        QTest::newRow("a count more: the nearest") << "stc8g 32768.5" << "1 32768 0.500";
        QTest::newRow("the longest divided") << "stc8h 8388608" << "255 65536 0.000";
        QTest::newRow("beyond every division") << "stc8h 8388736.5" << "定时器 3 只有 16 位自动重装方式，最长 8388608.000 uS（预分频 256 时）";
        QTest::newRow("under half a count") << "stc8h 0.2" << "定时器 3 的一个计数就要 0.500 uS，定时时间不到半个计数";
        QTest::newRow("no prescaler on the STC8") << "stc8 1000000" << "定时器 3 只有 16 位自动重装方式，最长 32768.000 uS，超出定时范围";
        // clang-format on
    }
    void prescalerReachesBeyondTheRange() {
        QFETCH(QString, input);
        QFETCH(QString, shown);
        const ChipFamily& family = *findFamily(input.section(' ', 0, 0).toStdString());
        const TimerSetup asked{0, 0, exact(input.section(' ', 1)), 24, 12, &family};
        const auto setup = reloadTimerSetup(asked, 3);
        QCOMPARE(setup ? QString("%1 %2 %3")
                             .arg(setup->prescale)
                             .arg(setup->counts())
                             .arg(text(setup->errorUs()))
                       : oneModeTooLong(3, asked).left(shown.size()),
                 shown);
        if (!setup)
            return;
        // What the unit writes, and says.
        const QString hex = QString::number(setup->prescale, 16).rightJustified(2, '0').toUpper();
        const QString rate = setup->prescale == 0
                                 ? QString("each timer clock")
                                 : QString("every %1 timer clocks").arg(setup->prescale + 1);
        QVERIFY(QString::fromStdString(*timerInitCode(3, *setup))
                    .contains(QString("TM3PS = 0x%1;  /* one count %2 */").arg(hex, rate)));
    }

    // Every way of a square wave at the edges of its counts, at 12 MHz: the 8052's clock-out
    // counts at 6 MHz (one count its highest, 3 MHz; 65536 its lowest), a routine at 1 MHz (no
    // fewer counts than it keeps up with). Between two counts the nearer frequency wins, a tie
    // going to the shorter count and said; a 1T core's reloading routine drifts, ranked last.
    void waveWaysAtTheirEdges_data() {
        QTest::addColumn<QString>("input"); // family, clock, Hz
        QTest::addColumn<QString>("ways");  // best first: counts, reload, Hz, %; or why none
        // clang-format off
        QTest::newRow("one count") << "classic 12 3000000" << "out2 1 FFFF 3000000.000 0.000, int2 频率太高：最高 500000.000 Hz, int0m2 频率太高：最高 500000.000 Hz, int0m1 频率太高：最高 500000.000 Hz";
        QTest::newRow("the whole range, within half a count") << "classic 12 45.7761" << "out2 65536 0000 45.776 0.001, int2 10923 D555 45.775 -0.002, int0m1 10923 D555 45.775 -0.002, int0m2 频率太低：最低 1953.125 Hz";
        QTest::newRow("below it") << "classic 12 45.77" << "int2 10924 D554 45.771 0.002, int0m1 10924 D554 45.771 0.002, out2 频率太低：最低 45.776 Hz, int0m2 频率太低：最低 1953.125 Hz";
        QTest::newRow("a tie") << "classic 12 875000" << "out2 3 FFFD 1000000.000 14.286 tie, int2 半周期太短：中断程序至少要 48 个计数, int0m2 半周期太短：中断程序至少要 48 个计数, int0m1 半周期太短：中断程序至少要 80 个计数";
        QTest::newRow("the nearer frequency, not count") << "classic 12 869565.2174" << "out2 4 FFFC 750000.000 -13.750, int2 半周期太短：中断程序至少要 48 个计数, int0m2 半周期太短：中断程序至少要 48 个计数, int0m1 半周期太短：中断程序至少要 80 个计数";
        QTest::newRow("the routine's fewest counts") << "classic 12 10416.6666" << "out2 288 FEE0 10416.667 0.000, int2 48 FFD0 10416.667 0.000, int0m2 48 D0 10416.667 0.000, int0m1 半周期太短：中断程序至少要 80 个计数";
        QTest::newRow("one fewer") << "classic 12 10638.3" << "out2 282 FEE6 10638.298 0.000, int2 半周期太短：中断程序至少要 48 个计数, int0m2 半周期太短：中断程序至少要 48 个计数, int0m1 半周期太短：中断程序至少要 80 个计数";
        QTest::newRow("a 1T core's drift") << "stc12 1 1000" << "int0m1 6000 E890 1000.000 0.000 drifts, out0 频率太低：最低 23437.500 Hz, out1 频率太低：最低 23437.500 Hz, int0m2 频率太低：最低 23437.500 Hz";
        QTest::newRow("no 6T clock-out rate") << "stc89 6 1000" << "int2 1000 FC18 1000.000 0.000, int0m1 1000 FC18 1000.000 0.000, int0m2 频率太低：最低 3906.250 Hz";
        QTest::newRow("no frequency") << "classic 12 0" << "请输入有效的频率";
        // clang-format on
    }
    void waveWaysAtTheirEdges() {
        QFETCH(QString, input);
        QFETCH(QString, ways);
        const QStringList f = input.split(' ');
        const WaveRequest request{exact(f[2]), exact("12"), *findFamily(f[0].toStdString()),
                                  f[1].toInt()};
        QStringList shown;
        for (const WaveWay& way : waveWays(request)) {
            const QString name = (way.clockOutput ? "out" : "int") + QString::number(way.timer) +
                                 (way.mode >= 0 ? QString("m%1").arg(way.mode) : QString());
            shown << name + ' ' +
                         (way.problem.empty()
                              ? QString("%1 %2 %3 %4%5%6")
                                    .arg(way.counts)
                                    .arg(way.reload, countsOf(way.kind) > 256 ? 4 : 2, 16,
                                         QChar('0'))
                                    .toUpper()
                                    .arg(text(way.achievedHz), text(way.errorPercent),
                                         way.tie ? " tie" : "", way.drifts ? " drifts" : "")
                              : QString::fromStdString(way.problem));
            // The achieved frequency is what the counts give; exact only where it is the asked.
            QVERIFY(!way.problem.empty() ||
                    (way.exact == (way.achievedHz == request.frequencyHz && !way.drifts)));
        }
        QCOMPARE(shown.isEmpty() ? QString::fromStdString(waveProblem(request)) : shown.join(", "),
                 ways);
    }

    // The working of each figure: every step redone from its printed operands gives its printed
    // result as its note says, and the results are the window's own figures.
    void workingRedoesEveryStep_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");   // family clock, then what the kind needs
        QTest::addColumn<QString>("figures"); // the window's, as it prints them
        // clang-format off
        QTest::newRow("classic 12T, mode 1: floats") << "timer" << "classic 12 1 1000 11.0592" << "71111 FC66 1.085 -0.434";
        QTest::newRow("classic 12T, mode 2, x.9995") << "timer" << "classic 12 2 200.9995 11.0592" << "278 47 1.085 0.262";
        QTest::newRow("STC89 6T, exactly") << "timer" << "stc89 6 1 1000.9995 22.1184" << "17777.777 F196 0.271 0.023";
        QTest::newRow("STC12 1T, mode 2") << "timer" << "stc12 1 2 10 24" << "10.666 10 0.042 0.000";
        QTest::newRow("N76E003 1T, a tie to even") << "timer" << "n76e003 1 1 0.5 5" << "13107.2 FFFE 0.200 0.100";
        QTest::newRow("STC8 1T, too many counts") << "timer" << "stc8 1 1 10000 11.0592" << "refused";
        QTest::newRow("classic 12T, beyond the longest") << "timer" << "classic 12 1 100000 12" << "refused";
        QTest::newRow("8052 timer 2 at 6T") << "baud" << "stc89 6 t2 115200 11.0592" << "FFFA 115200.0 0.00";
        QTest::newRow("timer 1, SMOD 1") << "baud" << "classic 12 t1-smod 4800 12" << "F3 4807.7 +0.16";
        QTest::newRow("BRT at 1T") << "baud" << "stc12 1 brt 57600 22.1184" << "F4 57600.0 0.00";
        QTest::newRow("UART3 from timer 3") << "baud" << "stc8 1 t3 115200 24" << "FFCC 115384.6 +0.16";
        QTest::newRow("N76E003 timer 3") << "baud" << "n76e003 1 t3 115200 16" << "FFF7 111111.1 -3.55";
        QTest::newRow("unreachable") << "baud" << "classic 12 t1 300 33" << "refused";
        for (const ChipFamily& family : chipFamilies()) // each family, clock and mode, asked alike
            for (const int clock : family.clocks)
                for (int mode = 0; mode < 3 && clock != 0; ++mode)
                    QTest::addRow("%s %dT mode %d", family.id.data(), clock, mode) << "timer" << QString("%1 %2 %3 1000.9995 22.1184").arg(family.id.data()).arg(clock).arg(mode) << "";
        QTest::newRow("plan: exact, second") << "plan" << "classic 12 2 1000000 11.0592" << "00 3600 0.000";
        QTest::newRow("plan: none exact") << "plan" << "classic 12 1 300 11.0592" << "FEEC 1 0.521";
        QTest::newRow("plan: late on 1T") << "plan" << "stc12 1 1 1000 11.0592" << "3E 57 0.109";
        QTest::newRow("delay 10 ms") << "delay" << "classic 12 fixed 10000 12" << "10000 0";
        QTest::newRow("delay steps at 6T") << "delay" << "stc89 6 step 1000 11.0592" << "999.891 0.109";
        QTest::newRow("delay: 921.6 cycles make 922") << "delay" << "classic 12 fixed 1000 11.0592" << "1000.434 -0.434 11064";
        QTest::newRow("wave: the 8052's clock-out") << "wave" << "classic 12 0 1000 12" << "F448 1000.000 0.000";
        QTest::newRow("wave: nearer by frequency") << "wave" << "classic 12 0 869565.2174 12" << "FFFC 750000.000 -13.750";
        QTest::newRow("wave: 38 kHz on an STC8 at 1T") << "wave" << "stc8 1 0 38000 24" << "FEC4 37974.684 -0.067";
        QTest::newRow("wave: a routine at 6T") << "wave" << "stc89 6 0 1000 11.0592" << "FC66 999.566 -0.043";
        QTest::newRow("delay by timer 0") << "delay" << "classic 12 fixed 1000.5 11.0592 0" << "1000.434 0.066 11064";
        QTest::newRow("delay steps by timer 2 at 6T") << "delay" << "stc89 6 step 1000 11.0592 2" << "999.891 0.109 11058";
        QTest::newRow("delay by timer 1, 1T at 12T") << "delay" << "stc12 12 fixed 2000 24 1" << "1999.958 0.042 47999";
        QTest::newRow("delay by timer 0, times unknown") << "delay" << "stc8 1 fixed 77.7 22.1184 0" << "77.718 -0.018 1719";
        QTest::newRow("baud: the nearer rate, not count") << "baud" << "classic 12 t1 9600 12" << "FD 10416.7 +8.51";
        // clang-format on
    }
    void workingRedoesEveryStep() {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, figures);
        const QStringList in = input.split(' ');
        const ChipFamily& family = *findFamily(in[0].toStdString());
        const int clock = in[1].toInt();
        const NumberText numbers(usEnglish);
        const auto hex = [](int value, int digits) {
            return QString("%1").arg(value, digits, 16, QChar('0')).toUpper();
        };
        Working working;
        QStringList shown, labels; // the window's figures, from its own code; their steps
        if (kind == "timer") {
            CalcState state{0, countsOf(family.modes[in[2].toInt()].kind), 0, 0, 0, 0, 0, 0, clock};
            LastMessage dialogs;
            const auto pass = cal(in[3], in[4], state, family, numbers, dialogs);
            working = passWorking(in[3], in[4], state, family, in[2].toInt(), numbers);
            const bool floats = clock == 12 && &family == &classicFamily();
            if (pass)
                shown = {pass->texts.maxTime, pass->texts.initValue, pass->texts.cycle,
                         pass->texts.error};
            labels = {"最长定时", "十六进制", floats ? "结果框的机器周期" : "机器周期",
                      floats ? "结果框的误差" : "误差 ="};
        } else if (kind == "baud") {
            const BaudGenerator* generator = nullptr;
            for (const int uart : uartsOf(family))
                for (const BaudGenerator& each : generatorsOf(family, uart))
                    generator =
                        generator != nullptr || each.id != in[2].toStdString() ? generator : &each;
            const Exact baud = exact(in[3]), crystal = exact(in[4]);
            const auto setting = baudSetting(*generator, crystal, clock, baud);
            working = baudWorking({family, *generator, crystal, clock, baud}, setting);
            if (setting)
                shown = {hex(setting->reload, generator->reloadBits / 4),
                         QString::fromStdString(setting->actualBaud.fixed(1)),
                         numbers.localizedSigned(setting->errorPercent.fixed(2))};
            labels = {"十六进制", "实际波特率", "误差"};
        } else if (kind == "plan") {
            const PlanRequest request{exact(in[3]), exact(in[4]), family, clock};
            const TickPlan plan = planInterval(request)[in[2].toInt() - 1];
            working = planWorking(request, plan, in[2].toInt(), false);
            shown = {hex(plan.reload, countsOf(plan.timer->kind) > 256 ? 4 : 2),
                     QString::number(plan.ticks), QString::fromStdString(plan.errorUs.fixed(3))};
            labels = {"十六进制", "次数", "误差"};
            QCOMPARE(working.notes.back(), "按这些比较排在第 " + in[2].toStdString() + " 个。");
        } else if (kind == "wave") {
            const WaveRequest request{exact(in[3]), exact(in[4]), family, clock};
            const WaveWay way = waveWays(request)[in[2].toUInt()];
            working = waveWorking(request, way);
            shown = {hex(way.reload, countsOf(way.kind) > 256 ? 4 : 2),
                     QString::fromStdString(way.achievedHz.fixed(3)),
                     numbers.localizedSigned(way.errorPercent.fixed(3))};
            labels = {"十六进制", "实际频率", "误差"};
        } else {
            const DelayKind delay = in[2] == "fixed" ? DelayKind::Fixed : DelayKind::PerStep;
            const DelayRequest request{exact(in[3]), exact(in[4]), family,
                                       clock,        delay,        in.value(5, "-1").toInt()};
            const auto result = planDelay(request);
            working = delayWorking(request, *result);
            shown = {QString::fromStdString(result->achievedUs.text(3)),
                     QString::fromStdString(result->errorUs.text(3)),
                     QString::number(result->clocks)};
            labels = {"实际延时", "误差", "时钟数"};
        }
        const QString text = workingQText(working, numbers);
        const QList<StepLine> steps = stepLines(text);
        const QRegularExpression padding("H$|^0+(?=[0-9A-F])"); // hexadecimal as the boxes have it
        QStringList found;
        for (const QString& label : labels)
            found << resultOf(steps, label);
        if (!shown.isEmpty())
            QCOMPARE(found.replaceInStrings(padding, ""),
                     QStringList(shown).replaceInStrings(padding, ""));
        if (!figures.isEmpty()) // worked by hand
            QCOMPARE(shown.isEmpty() ? "refused" : shown.mid(0, figures.count(' ') + 1).join(' '),
                     figures);
        QVERIFY(!shown.isEmpty() || text.contains("超出"));
        QVERIFY(steps.size() >= 2);
        for (const StepLine& step : steps)
            QCOMPARE(misworked(step), QString());
        // Each number a step works with is one already shown: an input, an earlier result, a
        // figure its own label names; 100 and 1000000 only convert.
        QString before;
        for (const QString& line : text.split('\n')) {
            for (const StepLine& step : stepLines(line))
                for (const QString& token : tokensOf(step.expression))
                    QVERIFY2(!token.back().isDigit() || token == "100" || token == "1000000" ||
                                 (before + step.label)
                                     .contains(QRegularExpression(
                                         "(?<![0-9.])" + QRegularExpression::escape(token) +
                                         "(?![0-9]|\\.[0-9])")),
                             qPrintable(token + " in " + line));
            before += line + '\n';
        }
    }
};

QTEST_GUILESS_MAIN(TestCalculation)
#include "test_calculation.moc"
