#include "assembly.h"

#include "asmunit.h"
#include "reloadtimer.h"
#include "uses.h"

#include <string>
#include <utility>

namespace tickora {
namespace {

using Kind = AsmLine::Kind;

// C's "/* ... */" header as assembly comment lines.
std::string asComment(const std::string& c) {
    std::string text;
    for (std::size_t at = 0, end; at < c.size(); at = end + 1) {
        end = c.find('\n', at);
        const std::string line = c.substr(at, end - at);
        if (line != " */")
            text += ";" + line.substr(2) + "\n";
    }
    return text;
}

std::string timerModule(int timer) { return "timer" + std::to_string(timer); }

// Interrupt vectors: 8 bytes apart from 0003H; the STC15/STC8 timer 2 is interrupt 12.
int vectorOf(int number) { return 8 * number + 3; }

// The timer stands still from the end of CLR TRx to the end of SETB TRx: it counts the CLR's
// own cycle but not the SETB's (measured in s51). So the counts it misses are the time of
// every instruction after the CLR, the SETB included. On a classic core one count is one
// machine cycle. A 1T core's routine reloads late as its C twin does (SDCC's code on it is
// not timed here), so that a timer's plans and units agree whatever their language.
std::optional<int> stoppedCounts(const TimerSetup& setup, const std::vector<AsmLine>& stop) {
    if (!setup.family->classicCycle)
        return std::nullopt;
    int time = 0;
    for (std::size_t i = 1; i < stop.size(); ++i) {
        const auto each = classicCycles(stop[i]);
        if (!each)
            return std::nullopt;
        time += *each;
    }
    return time;
}

// The reload as one stop of the timer: what it counted since the overflow plus the addend.
// Branch-free, so that the stop always takes the same time.
std::vector<AsmLine> addingReload(const std::string& x, bool bits13, int addend) {
    AsmUnit unit{};
    const AsmOperand tl = sfr("TL" + x), th = sfr("TH" + x);
    unit.op("CLR", {bit("TR" + x)}, "stopped while the reload is added");
    unit.op("MOV", {acc(), tl});
    if (bits13) { // TLx's five low bits moved to the top, so that their carry leaves bit 7
        unit.op("ANL", {acc(), imm(0x1F)});
        unit.op("SWAP", {acc()});
        unit.op("RR", {acc()});
        unit.op("ADD", {acc(), imm((addend & 0x1F) << 3)});
        unit.op("RL", {acc()});
        unit.op("SWAP", {acc()}, "back to the low five bits");
    } else {
        unit.op("ADD", {acc(), imm(addend)});
    }
    unit.op("MOV", {tl, acc()});
    unit.op("MOV", {acc(), th});
    unit.op("ADDC", {acc(), imm(bits13 ? addend >> 5 : addend >> 8)});
    unit.op("MOV", {th, acc()});
    unit.op("SETB", {bit("TR" + x)});
    return unit.lines;
}

bool addsReload(const TimerSetup& setup) { return !reloadsItself(setup.timerMode().kind); }

// The counts the reload stands still, or nothing where the core's timing is not known.
std::optional<int> reloadStop(const TimerSetup& setup) {
    return stoppedCounts(setup, addingReload("0", setup.timerMode().kind == TimerKind::Count13, 0));
}

void reload(AsmUnit& unit, const std::string& x, const TimerSetup& setup) {
    const TimerKind kind = setup.timerMode().kind;
    const std::string m = std::to_string(setup.timerMode().bits);
    if (kind == TimerKind::Reload8)
        return unit.add(Kind::Note, "mode 2 reloads TL" + x + " from TH" + x + " by itself");
    if (kind == TimerKind::Reload16)
        return unit.add(Kind::Note, "mode " + m + " reloads TH" + x + ":TL" + x + " by itself");
    unit.add(Kind::Note, "Keep this first: it adds the reload to what the timer has counted");
    unit.add(Kind::Note, "since the overflow, so the time taken to get here does not count.");
    const auto lines = addingReload(x, kind == TimerKind::Count13,
                                    setup.initValue + reloadStop(setup).value_or(0));
    unit.lines.insert(unit.lines.end(), lines.begin(), lines.end());
}

int counterBytes(std::int64_t ticks) {
    int bytes = 1;
    while (bytes < 4 && ticks >> (8 * bytes) != 0)
        ++bytes;
    return bytes;
}

void loadCounter(AsmUnit& unit, const std::string& name, std::int64_t ticks) {
    for (int i = 0; i < counterBytes(ticks); ++i)
        unit.op("MOV", {var(name, i), imm(int(ticks >> (8 * i)))});
}

// The user's code every tick or, counted down in internal RAM, every so many: a counter of
// one to four bytes that is reloaded where it reaches zero.
void userCode(AsmUnit& unit, const std::string& prefix, const TimerSetup& setup) {
    const std::string every = "your code, every " + setup.achievedUs().text(3) + " us";
    if (setup.toggles)
        return unit.op("CPL", {bit("P1.0")},
                       "an edge of the wave every " + setup.achievedUs().text(3) + " us");
    if (setup.ticks <= 1)
        return unit.add(Kind::Note, every);
    const std::string name = prefix + "_ticks", done = prefix + "_counting";
    const int bytes = counterBytes(setup.ticks);
    unit.op("CLR", {carry()});
    for (int i = 0; i < bytes; ++i) {
        unit.op("MOV", {acc(), var(name, i)});
        unit.op("SUBB", {acc(), imm(i == 0 ? 1 : 0)});
        unit.op("MOV", {var(name, i), acc()});
    }
    for (int i = 0; i + 1 < bytes; ++i)
        unit.op("ORL", {acc(), var(name, i)});
    unit.op("JNZ", {label(done)}, "not yet zero");
    unit.add(Kind::Note, every);
    loadCounter(unit, name, setup.ticks);
    unit.add(Kind::Label, done);
}

void routine(AsmUnit& unit, const std::string& prefix, const TimerSetup& setup,
             void (*reloading)(AsmUnit&, const std::string&, const TimerSetup&)) {
    unit.add(Kind::Blank);
    unit.add(Kind::Label, prefix + "_isr");
    unit.op("PUSH", {sfr("ACC")});
    unit.op("PUSH", {sfr("PSW")});
    reloading(unit, prefix.substr(5), setup);
    userCode(unit, prefix, setup);
    unit.op("POP", {sfr("PSW")});
    unit.op("POP", {sfr("ACC")});
    unit.op("RETI");
    if (setup.ticks > 1) {
        unit.add(Kind::Data);
        unit.add(Kind::Reserve, prefix + "_ticks", counterBytes(setup.ticks));
    }
}

// The unit's start: public names, the vector, the code segment and the init's label.
AsmUnit opening(const std::string& prefix, const TimerSetup& setup, int vector) {
    AsmUnit unit{prefix, {}, setup.family, {}};
    unit.add(Kind::Public, prefix + "_init");
    unit.add(Kind::Public, prefix + "_isr");
    unit.add(Kind::Vector, prefix + "_isr", vectorOf(vector));
    unit.add(Kind::Code);
    unit.add(Kind::Label, prefix + "_init");
    return unit;
}

void bitChange(AsmUnit& unit, std::string_view reg, int mask, bool set, std::string comment) {
    unit.op(set ? "ORL" : "ANL", {sfr(std::string(reg)), imm(set ? mask : ~mask)},
            std::move(comment));
}

void clockSwitch(AsmUnit& unit, const ClockSwitch& clock, std::int32_t timerClock) {
    if (!clock.reg.empty())
        bitChange(unit, clock.reg, clock.mask, timerClock == 1,
                  std::string(clock.bitName) + (timerClock == 1 ? " = 1: 1T" : " = 0: 12T"));
}

std::string periodNote(const TimerSetup& setup) {
    if (!addsReload(setup))
        return "";
    if (const auto stop = reloadStop(setup))
        return " * The routine's reload adds what the timer counted since the overflow and the " +
               std::to_string(*stop) +
               " counts\n * it stands still, from the instructions' cycles (Intel's MCS-51 "
               "table): the\n * period keeps to the interval.\n";
    return " * The routine's reload adds what the timer counted since the overflow, but not\n"
           " * the few clocks the timer stands still on this 1T core: each period runs long\n"
           " * by those. For exact ticks use an auto-reload mode (mode 2; mode 0 on\n"
           " * STC15/STC8) or a timer 2.\n";
}

void write(AsmUnit& unit, const std::vector<RegisterWrite>& writes) {
    static constexpr const char* mnemonics[] = {"MOV", "ORL", "ANL"};
    for (const RegisterWrite& each : writes)
        unit.op(mnemonics[static_cast<int>(each.op)], {sfr(each.reg), imm(each.value)}, each.why);
}

// A prescaled timer's TMxPS, as prescalerLines() writes it in C.
void prescaler(AsmUnit& unit, const ReloadTimer& timer, std::int32_t prescale) {
    if (timer.prescaler == 0)
        return;
    const std::string name(timer.prescalerName);
    unit.op("PUSH", {sfr("P_SW2")}, "EAXFR put back below");
    unit.op("ORL", {sfr("P_SW2"), imm(0x80)}, "EAXFR: " + name + " is in extended RAM");
    unit.op("MOV", {dptr(), imm16(timer.prescaler)}, name);
    unit.op("MOV", {acc(), imm(prescale)}, countRateText(prescale));
    unit.op("MOVX", {atDptr(), acc()});
    unit.op("POP", {sfr("P_SW2")});
}

// A timer of one mode clocking a serial port: portClockWrites() with the prescaler at 1/1
// before it starts.
void portClock(AsmUnit& unit, const ReloadTimer& timer, std::int32_t reload, std::int32_t clock) {
    const std::vector<RegisterWrite> writes = portClockWrites(timer, reload, clock);
    write(unit, {writes.begin(), writes.end() - 1});
    prescaler(unit, timer, 0);
    write(unit, {writes.back()});
}

// A C line "    REG &= 0xNN;  ..." of the family's rows as the same write in assembly.
void cAndLine(AsmUnit& unit, std::string_view line) {
    const auto reg = line.find_first_not_of(' '), and_ = line.find(" &= 0x");
    if (reg == std::string_view::npos || and_ == std::string_view::npos)
        return;
    const auto comment = line.find("/* ");
    unit.op("ANL",
            {sfr(std::string(line.substr(reg, and_ - reg))),
             imm(std::stoi(std::string(line.substr(and_ + 6, 2)), nullptr, 16))},
            comment == std::string_view::npos
                ? ""
                : std::string(line.substr(comment + 3, line.find(" */") - comment - 3)));
}

// N76E003: SFR page 0 through timed access with interrupts held off, then TXD and RXD
// quasi-bidirectional, as the family's C setup does.
void uartSetup(AsmUnit& unit, const ChipFamily& family) {
    if (family.uartSetup.empty())
        return;
    unit.op("MOV", {carry(), bit("EA")}, "no interrupt between TA and SFRS");
    unit.op("CLR", {bit("EA")});
    unit.op("MOV", {sfr("TA"), imm(0xAA)});
    unit.op("MOV", {sfr("TA"), imm(0x55)});
    unit.op("MOV", {sfr("SFRS"), imm(0)}, "SFR page 0, where T3CON, RL3, RH3, P0M1 and P0M2 are");
    unit.op("MOV", {bit("EA"), carry()});
    unit.op("ANL", {sfr("P0M1"), imm(0x3F)}, "P0.6 TXD, P0.7 RXD quasi-bidirectional:");
    unit.op("ANL", {sfr("P0M2"), imm(0x3F)}, "after reset TXD is an input and sends nothing");
}

void smod(AsmUnit& unit, int smodBit) {
    bitChange(unit, "PCON", 0x80, smodBit == 1,
              smodBit == 1 ? "SMOD = 1: double rate" : "SMOD = 0");
}

void timer1Mode2(AsmUnit& unit, const BaudGeneratorCode& code) {
    cAndLine(unit, code.family.uartFromTimer1);
    unit.op("MOV", {acc(), sfr("TMOD")});
    unit.op("ANL", {acc(), imm(0x0F)}, "timer 0's bits kept");
    unit.op("ORL", {acc(), imm(0x20)}, "timer 1 mode 2");
    unit.op("MOV", {sfr("TMOD"), acc()});
    clockSwitch(unit, code.family.clockSwitch[1], code.timerClock);
    unit.op("MOV", {sfr("TH1"), imm(code.reload)});
    unit.op("MOV", {sfr("TL1"), imm(code.reload)});
    smod(unit, code.generator.smod);
    unit.op("SETB", {bit("TR1")});
}

void timer2Of8052(AsmUnit& unit, const BaudGeneratorCode& code) {
    unit.op("MOV", {sfr("T2CON"), imm(0x30)}, "RCLK and TCLK: timer 2 clocks the port");
    for (const auto& [reg, value] :
         {std::pair{"RCAP2H", code.reload >> 8}, std::pair{"RCAP2L", code.reload},
          std::pair{"TH2", code.reload >> 8}, std::pair{"TL2", code.reload}})
        unit.op("MOV", {sfr(reg), imm(value)});
    unit.op("SETB", {bit("TR2")});
}

void stc12Brt(AsmUnit& unit, const BaudGeneratorCode& code) {
    const bool fast = code.timerClock == 1;
    unit.op("ANL", {sfr("AUXR"), imm(0xEA)}, "BRT stopped, at 12T; UART1 from timer 1");
    unit.op("MOV", {sfr("BRT"), imm(code.reload)});
    smod(unit, code.generator.smod);
    unit.op("ORL", {sfr("AUXR"), imm(fast ? 0x15 : 0x11)},
            fast ? "BRTR, BRTx12 = 1: 1T, S1BRS: UART1 from BRT" : "BRTR, S1BRS: UART1 from BRT");
}

void stcTimer2(AsmUnit& unit, const BaudGeneratorCode& code) {
    const bool fast = code.timerClock == 1;
    unit.op("ANL", {sfr("AUXR"), imm(0xE2)},
            "timer 2 stopped, counting clocks at 12T; UART1 from timer 1");
    unit.op("MOV", {sfr("T2L"), imm(code.reload)});
    unit.op("MOV", {sfr("T2H"), imm(code.reload >> 8)});
    write(unit, {timerInterruptEnable(*reloadTimer(code.family, 2), false)});
    prescaler(unit, *reloadTimer(code.family, 2), 0);
    unit.op("ORL", {sfr("AUXR"), imm(fast ? 0x15 : 0x11)},
            fast ? "T2R, T2x12 = 1: 1T, S1ST2: UART1 from timer 2"
                 : "T2R, S1ST2: UART1 from timer 2");
}

void stcTimer1Mode0(AsmUnit& unit, const BaudGeneratorCode& code) {
    cAndLine(unit, code.family.uartFromTimer1);
    unit.op("CLR", {bit("TR1")}, "stopped, so TL1/TH1 also set the reload");
    unit.op("ANL", {sfr("TMOD"), imm(0x0F)}, "timer 1 mode 0: 16-bit auto-reload");
    clockSwitch(unit, code.family.clockSwitch[1], code.timerClock);
    unit.op("MOV", {sfr("TL1"), imm(code.reload)});
    unit.op("MOV", {sfr("TH1"), imm(code.reload >> 8)});
    unit.op("CLR", {bit("ET1")}, "it clocks the port: no interrupt");
    unit.op("SETB", {bit("TR1")});
}

void n76Timer3(AsmUnit& unit, const BaudGeneratorCode& code) {
    unit.op("ANL", {sfr("T3CON"), imm(0xF7)}, "TR3 = 0");
    unit.op("MOV", {sfr("RL3"), imm(code.reload)});
    unit.op("MOV", {sfr("RH3"), imm(code.reload >> 8)});
    smod(unit, code.generator.smod);
    unit.op("MOV", {acc(), sfr("T3CON")});
    unit.op("ANL", {acc(), imm(0xC0)}, "UART1's bits kept");
    unit.op("ORL", {acc(), imm(0x28)}, "BRCK: UART0 from timer 3, TR3, 1/1");
    unit.op("MOV", {sfr("T3CON"), acc()});
}

// Each generator's register writes, as its row's C function makes them; a timer 2 of the
// family's kind, the others whatever the family.
struct UartCircuit {
    std::string_view id;
    Timer2Kind timer2;
    void (*lines)(AsmUnit&, const BaudGeneratorCode&);
};
constexpr UartCircuit uartCircuits[] = {
    {"t1", Timer2Kind::None, timer1Mode2},
    {"t1-smod", Timer2Kind::None, timer1Mode2},
    {"t2", Timer2Kind::Of8052, timer2Of8052},
    {"t2", Timer2Kind::Stc, stcTimer2},
    {"brt", Timer2Kind::None, stc12Brt},
    {"brt-smod", Timer2Kind::None, stc12Brt},
    {"t1-mode0", Timer2Kind::None, stcTimer1Mode0},
    {"t3", Timer2Kind::None, n76Timer3},
};

} // namespace

std::optional<std::string> timerInitAssembly(int timer, const TimerSetup& setup,
                                             CodeLanguage language) {
    if (!languageProblem(*setup.family, language).empty() || language == CodeLanguage::C ||
        !timerInitCode(timer, setup, CodeLanguage::C))
        return std::nullopt;
    const std::string x = std::to_string(timer), prefix = timerModule(timer);
    const TimerRegisters registers = *splitRegisters(setup.initValue, setup.timerMode());
    AsmUnit unit = opening(prefix, setup, timerInterrupt(*setup.family, timer));
    unit.op("CLR", {bit("TR" + x)},
            setup.timerMode().kind == TimerKind::Reload16
                ? "stopped, so TH" + x + "/TL" + x + " also set the reload"
                : "stopped, so it counts nothing while loaded");
    unit.op("MOV", {acc(), sfr("TMOD")});
    unit.op("ANL", {acc(), imm(timer == 0 ? 0xF0 : 0x0F)}, "the other timer's bits kept");
    unit.op("ORL", {acc(), imm(registers.modeBits << (timer == 0 ? 0 : 4))});
    unit.op("MOV", {sfr("TMOD"), acc()});
    clockSwitch(unit, setup.family->clockSwitch[timer], setup.timerClock);
    unit.op("MOV", {sfr("TH" + x), imm(registers.th)});
    unit.op("MOV", {sfr("TL" + x), imm(registers.tl)});
    if (setup.ticks > 1)
        loadCounter(unit, prefix + "_ticks", setup.ticks);
    unit.op("CLR", {bit("TF" + x)}, "no overflow pending");
    unit.op("SETB", {bit("ET" + x)});
    unit.op("SETB", {bit("EA")});
    unit.op("SETB", {bit("TR" + x)}, "start");
    unit.op("RET");
    routine(unit, prefix, setup, reload);
    const std::string mode = "mode " + std::to_string(registers.modeBits) + " (" +
                             kindName(setup.timerMode().kind) + ")";
    unit.header = asComment(headerComment("Timer " + x, setup, mode,
                                          timerUses(*setup.family, timer).headerLine() +
                                              clockNote(timer, setup) + periodNote(setup)));
    return renderAssembly(unit, language);
}

std::optional<std::string> reloadTimerInitAssembly(int timer, const TimerSetup& setup,
                                                   CodeLanguage language) {
    // The C unit, which says in its header the same of the same timer.
    const auto c = reloadTimerInitCode(timer, setup, CodeLanguage::C);
    if (!languageProblem(*setup.family, language).empty() || language == CodeLanguage::C || !c)
        return std::nullopt;
    const std::string prefix = timerModule(timer);
    const ReloadTimer* row = reloadTimer(*setup.family, timer);
    const int high = setup.initValue >> 8, low = setup.initValue & 0xFF;
    AsmUnit unit = opening(prefix, setup, timerInterrupt(*setup.family, timer));
    if (row) {
        write(unit, stopAndLoad(*row, setup.initValue));
        prescaler(unit, *row, setup.prescale);
        write(unit, {startTimer(*row, setup.timerClock)});
        if (setup.ticks > 1)
            loadCounter(unit, prefix + "_ticks", setup.ticks);
        write(unit, {timerInterruptEnable(*row, true)});
        unit.op("SETB", {bit("EA")});
    } else { // the 8052's: through RCAP2 and T2CON, and its flag needs clearing
        unit.op("MOV", {sfr("T2CON"), imm(0)}, "16-bit auto-reload timer, stopped");
        for (const auto& [reg, value] : {std::pair{"RCAP2H", high}, std::pair{"RCAP2L", low},
                                         std::pair{"TH2", high}, std::pair{"TL2", low}})
            unit.op("MOV", {sfr(reg), imm(value)});
        if (setup.ticks > 1)
            loadCounter(unit, "timer2_ticks", setup.ticks);
        unit.op("SETB", {bit("ET2")});
        unit.op("SETB", {bit("EA")});
        unit.op("SETB", {bit("TR2")}, "start");
    }
    unit.op("RET");
    routine(unit, prefix, setup, [](AsmUnit& lines, const std::string& n, const TimerSetup& s) {
        if (reloadTimer(*s.family, std::stoi(n)))
            return lines.add(Kind::Note,
                             "timer " + n + " reloads T" + n + "H:T" + n + "L by itself");
        lines.op("CLR", {bit("TF2")}, "not cleared by the interrupt");
    });
    unit.header = asComment(c->substr(0, c->find(" */\n") + 4));
    return renderAssembly(unit, language);
}

std::optional<std::string> baudInitAssembly(const BaudRequest& request, const BaudSetting& setting,
                                            CodeLanguage language) {
    if (!languageProblem(request.family, language).empty())
        return std::nullopt;
    const std::string c = *baudInitCode(request, setting, CodeLanguage::C);
    const std::string name = portName(request.generator);
    AsmUnit unit{name, asComment(c.substr(0, c.find(" */\n") + 4)), &request.family, {}};
    unit.add(Kind::Public, name + "_init");
    unit.add(Kind::Code);
    unit.add(Kind::Label, name + "_init");
    const BaudGeneratorCode code{request.family, request.generator, request.timerClock,
                                 setting.reload};
    if (const SerialPort* port = serialPort(request.family, request.generator.uart)) {
        write(unit, {portControl(*port, request.generator)});
        portClock(unit, *reloadTimer(request.family, request.generator.timer), setting.reload,
                  request.timerClock);
    } else {
        uartSetup(unit, request.family);
        unit.op("MOV", {sfr("SCON"), imm(0x50)}, "mode 1: 8 bits, receiver on");
        for (const UartCircuit& circuit : uartCircuits)
            if (circuit.id == request.generator.id &&
                (circuit.timer2 == request.family.timer2 || circuit.timer2 == Timer2Kind::None))
                circuit.lines(unit, code);
    }
    unit.op("RET");
    return renderAssembly(unit, language);
}

} // namespace tickora
