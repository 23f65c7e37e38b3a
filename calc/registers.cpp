#include "registers.h"

#include "assembly.h"
#include "reloadtimer.h"
#include "timing.h"
#include "uses.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace tickora {
// Room for every digit of any double: the largest has 309 before the point.
std::string shortestText(double value) {
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    return {buffer.data(), result.ptr};
}

std::string registerByteText(std::uint8_t value) {
    std::array<char, 8> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "0x%02X", unsigned{value});
    return buffer.data();
}

std::optional<TimerRegisters> splitRegisters(std::int32_t initValue, const TimerMode& mode) {
    if (initValue < 0 || initValue >= countsOf(mode.kind))
        return std::nullopt;
    const auto value = static_cast<std::uint32_t>(initValue);
    const auto byte = [](std::uint32_t bits) { return static_cast<std::uint8_t>(bits); };
    switch (mode.kind) {
    case TimerKind::Count13:
        return TimerRegisters{byte(value >> 5), byte(value & 0x1Fu), mode.bits};
    case TimerKind::Reload8:
        return TimerRegisters{byte(value), byte(value), mode.bits};
    case TimerKind::Count16:
    case TimerKind::Reload16:
        break;
    }
    return TimerRegisters{byte(value >> 8), byte(value & 0xFFu), mode.bits};
}

namespace {

// TIMER_DATA keeps the routine's variables in internal RAM whatever the memory model, so that
// the stopped reload takes the same cycles in each. Keil C251 spells both as Keil C51 does
// (C251 User's Guide: memory types, interrupt functions).
std::string isrMacros(const ChipFamily& family) {
    const std::string keil = "#define TIMER_ISR(vector) interrupt vector\n"
                             "#define TIMER_DATA data\n";
    if (family.sdccHeader.empty())
        return "#ifndef TIMER_ISR\n" + keil + "#endif\n\n";
    return "#ifndef TIMER_ISR\n"
           "#ifdef __SDCC\n"
           "#define TIMER_ISR(vector) __interrupt(vector)\n"
           "#define TIMER_DATA __data\n"
           "#else /* Keil C51 */\n" +
           keil + "#endif\n#endif\n\n";
}

} // namespace

const char* kindName(TimerKind kind) {
    switch (kind) {
    case TimerKind::Count13:
        return "13-bit";
    case TimerKind::Count16:
        return "16-bit";
    case TimerKind::Reload16:
        return "16-bit auto-reload";
    case TimerKind::Reload8:
        break;
    }
    return "8-bit auto-reload";
}

namespace {

// Machine cycles from an overflow to the end of the routine as SDCC compiles it: latency, the
// reload, the tick counter, reti. Measured in s51 with an unsigned int counter: at most 30
// reloading by itself, 68 reloading 16 bits, 101 reloading 13 bits; the limits leave room for
// a long counter and for the user's code to start within the tick.
std::int64_t routineCycles(TimerKind kind) {
    return reloadsItself(kind) ? 48 : kind == TimerKind::Count16 ? 80 : 112;
}
// Machine cycles the timer stands still in the compensated reload as SDCC compiles it (any
// memory model, its variables in internal RAM), measured in s51: the reload adds them.
constexpr std::int32_t stoppedCycles[] = {/* 13-bit */ 54, /* 16-bit */ 21};

bool compensated(const TimerSetup& setup) {
    return setup.family->classicCycle && !reloadsItself(setup.timerMode().kind);
}

} // namespace

// A clock the code cannot switch (chosen when the chip is programmed) is said in the header.
std::string clockNote(int timer, const TimerSetup& setup) {
    const bool switched = timer < 2 && !setup.family->clockSwitch[timer].reg.empty();
    return setup.timerClock == 12 || switched ? "" : std::string(setup.family->slowClockNote);
}

namespace {

std::string periodNote(const TimerSetup& setup) {
    if (reloadsItself(setup.timerMode().kind))
        return "";
    if (compensated(setup))
        return " * The routine's reload makes up for the counts from the overflow to it: the\n"
               " * period keeps to the interval, with a cycle or two of jitter. The counts it\n"
               " * adds for its own stop were measured for SDCC's code, in any memory model: with\n"
               " * Keil C51 use mode 2 for exact periods, or time the stop and change the "
               "addend.\n";
    return " * Each period runs a few clocks long: the routine reloads after the overflow. For\n"
           " * exact ticks use an auto-reload mode (mode 2; mode 0 on STC15/STC8) or a timer 2.\n";
}

std::string ticksNote(const TimerSetup& setup) {
    if (setup.ticks <= 1)
        return "";
    return " * " + std::to_string(setup.ticks) + " ticks of " + setup.tickUs().text(3) +
           " us: the routine counts them.\n";
}

} // namespace

// What was asked for and what the code times, signed as everywhere in the program.
std::string headerComment(const std::string& timerName, const TimerSetup& setup,
                          const std::string& modeText, const std::string& notes) {
    // A timer 0 or 1 reloaded by the routine on a 1T core: only the counts are known.
    const bool late = setup.range == 0 && reloadsLate(*setup.family, setup.timerMode().kind);
    return "/* " + timerName + ", " + modeText + ", " + std::to_string(setup.timerClock) + "T at " +
           setup.crystalMhz.text(6) + " MHz: " + setup.timeUs.text(6) + " us asked, " +
           setup.achievedUs().text(3) + (late ? " us counted" : " us timed") +
           ",\n * error (asked - achieved) " + setup.errorUs().fixed(3) +
           (late ? " us by the counts, less a few clocks a period.\n" : " us.\n") +
           ticksNote(setup) + notes + " */\n";
}

namespace {

// THx and TLx loaded, indented as a statement of a function body.
std::string loadStatements(const std::string& x, const TimerRegisters& registers) {
    return "    TH" + x + " = " + registerByteText(registers.th) + ";\n    TL" + x + " = " +
           registerByteText(registers.tl) + ";\n";
}

std::string initBody(int timer, const TimerSetup& setup, const TimerRegisters& registers) {
    const std::string x = std::to_string(timer);
    const unsigned shift = timer == 0 ? 0 : 4;
    // A timer left running (an earlier init, a boot loader) would count between the loads and
    // carry from TLx into the new THx.
    const std::string stop = "    TR" + x + " = 0;  /* stopped, so " +
                             (setup.timerMode().kind == TimerKind::Reload16
                                  ? "TH" + x + "/TL" + x + " also set the reload */\n"
                                  : "it counts nothing while loaded */\n");
    return stop + "    TMOD = (TMOD & " + std::string(timer == 0 ? "0xF0" : "0x0F") + ") | " +
           registerByteText(static_cast<std::uint8_t>(registers.modeBits << shift)) +
           ";  /* the other timer's bits kept */\n" +
           clockSwitchLine(setup.family->clockSwitch[timer], setup.timerClock) +
           loadStatements(x, registers) + "    TF" + x +
           " = 0;  /* no overflow pending */\n    ET" + x + " = 1;\n    EA = 1;\n    TR" + x +
           " = 1;  /* start */\n";
}

// The value the compensated reload adds, at file scope so that any value compiles the same.
std::string reloadVariable(const std::string& x, const TimerSetup& setup) {
    const bool bits13 = setup.timerMode().kind == TimerKind::Count13;
    const std::int32_t stopped = stoppedCycles[bits13 ? 0 : 1];
    char value[8];
    std::snprintf(value, sizeof value, "0x%04X", unsigned(setup.initValue + stopped));
    return "static unsigned int TIMER_DATA timer" + x + "_reload = " + value + ";  /* + " +
           std::to_string(stopped) + " counts the reload stands still */\n" +
           "static unsigned int TIMER_DATA timer" + x + "_count;\n";
}

std::string compensatedReload(const std::string& x, const TimerSetup& setup) {
    const bool bits13 = setup.timerMode().kind == TimerKind::Count13;
    const std::string th = "TH" + x, tl = "TL" + x, count = "timer" + x + "_count";
    return "    /* Keep this first: it adds the reload to what the timer has counted since the\n"
           "     * overflow, so the time taken to get here does not lengthen the period. */\n"
           "    TR" +
           x + " = 0;\n    " + count + " = ((unsigned int)" + th +
           (bits13 ? " << 5 | (" + tl + " & 0x1F))" : " << 8 | " + tl + ")") + " + timer" + x +
           "_reload;\n    " + tl + " = " + count + (bits13 ? " & 0x1F;\n    " : ";\n    ") + th +
           " = " + count + (bits13 ? " >> 5;\n" : " >> 8;\n") + "    TR" + x + " = 1;\n";
}

std::string routineReload(int timer, const TimerSetup& setup, const TimerRegisters& registers) {
    const std::string x = std::to_string(timer), m = std::to_string(registers.modeBits);
    switch (setup.timerMode().kind) {
    case TimerKind::Reload8:
        return "    /* mode 2 reloads TL" + x + " from TH" + x + " by itself */\n";
    case TimerKind::Reload16:
        return "    /* mode " + m + " reloads TH" + x + ":TL" + x + " by itself */\n";
    case TimerKind::Count13:
    case TimerKind::Count16:
        break;
    }
    if (compensated(setup))
        return compensatedReload(x, setup);
    return "    /* mode " + m + " does not reload by itself */\n" + loadStatements(x, registers);
}

// The user's code, run every tick or, counted, every so many.
std::string userCode(const std::string& x, const TimerSetup& setup) {
    const std::string every = setup.achievedUs().text(3);
    if (setup.toggles)
        return "    WAVE_PIN = !WAVE_PIN;  /* an edge of the wave every " + every + " us */\n";
    if (setup.ticks <= 1)
        return "    /* your code, every " + every + " us */\n";
    return "    if (++timer" + x + "_ticks == " + std::to_string(setup.ticks) +
           ") {\n        timer" + x + "_ticks = 0;\n        /* your code, every " + every +
           " us */\n    }\n";
}

// The wave's pin as each compiler names it: SDCC's header declares P1_0, Keil's reg52.h only P1.
std::string wavePin(const TimerSetup& setup) {
    if (!setup.toggles)
        return "";
    if (setup.family->sdccHeader.empty()) // Keil's compiler alone
        return "sbit WAVE_PIN = P1^0;\n\n";
    return "#ifdef __SDCC\n#define WAVE_PIN P1_0\n#else /* Keil */\nsbit WAVE_PIN = "
           "P1^0;\n#endif\n\n";
}

std::string counterVariable(const std::string& x, const TimerSetup& setup) {
    if (setup.ticks <= 1)
        return "";
    return std::string(setup.ticks > 65535 ? "static unsigned long" : "static unsigned int") +
           " timer" + x + "_ticks;\n";
}

bool keepsUp(const TimerSetup& setup, TimerKind kind, std::int64_t counts) {
    return counts >= minimumRoutineCounts(*setup.family, setup.timerClock, kind);
}

} // namespace

std::int64_t minimumRoutineCounts(const ChipFamily& family, std::int32_t clock, TimerKind kind) {
    return (routineCycles(kind) * machineClocks(family, clock) + clock - 1) / clock;
}

std::optional<std::string> timerInitCode(int timer, const TimerSetup& setup,
                                         CodeLanguage language) {
    if (timer >= 2)
        return reloadTimerInitCode(timer, setup, language);
    if (language != CodeLanguage::C)
        return timerInitAssembly(timer, setup, language);
    if ((timer != 0 && timer != 1) || setup.mode < 0 || setup.mode > 2)
        return std::nullopt;
    const TimerKind kind = setup.timerMode().kind;
    const auto registers = splitRegisters(setup.initValue, setup.timerMode());
    if (!registers || !keepsUp(setup, kind, countsOf(kind) - setup.initValue))
        return std::nullopt;
    const std::string x = std::to_string(timer);
    const bool adds = compensated(setup);
    const std::string code = isrMacros(*setup.family) + wavePin(setup) + counterVariable(x, setup) +
                             (adds ? reloadVariable(x, setup) : "") +
                             (adds || setup.ticks > 1 ? "\n" : "") + "void timer" + x +
                             "_init(void)\n{\n" + initBody(timer, setup, *registers) +
                             "}\n\nvoid timer" + x + "_isr(void) TIMER_ISR(" +
                             std::to_string(timerInterrupt(*setup.family, timer)) + ")\n{\n" +
                             routineReload(timer, setup, *registers) + userCode(x, setup) + "}\n";
    return headerComment("Timer " + x, setup,
                         "mode " + std::to_string(registers->modeBits) + " (" + kindName(kind) +
                             ")",
                         timerUses(*setup.family, timer).headerLine() + clockNote(timer, setup) +
                             periodNote(setup)) +
           sfrHeaderLines(*setup.family, code) + code;
}

namespace {

// A timer 3 or 4 that a serial port could take: said, since copying both would share it.
std::string portNote(const ChipFamily& family, int timer) {
    if (timer == 2)
        return " * Timer 2 then cannot clock the serial port.\n";
    std::string note;
    for (const SerialPort& port : family.ports)
        for (const BaudGenerator& generator : port.generators)
            if (generator.timer == timer)
                note += " * Timer " + std::to_string(timer) + " then cannot clock UART" +
                        std::to_string(port.uart) + ".\n";
    return note;
}

// The 8052's timer 2 through RCAP2 and T2CON; its flag needs clearing (AT89C51RC datasheet).
std::string of8052Init(const TimerSetup& setup) {
    const std::string high = registerByteText(static_cast<std::uint8_t>(setup.initValue >> 8));
    const std::string low = registerByteText(static_cast<std::uint8_t>(setup.initValue));
    return "    T2CON = 0x00;  /* 16-bit auto-reload timer, stopped */\n    RCAP2H = " + high +
           ";\n    RCAP2L = " + low + ";\n    TH2 = " + high + ";\n    TL2 = " + low +
           ";\n    ET2 = 1;\n    EA = 1;\n    TR2 = 1;  /* start */\n";
}

// The STC15/STC8 timers through their TxH/TxL and control bits (STC8H.H), a prescaled one's
// TMxPS set while it is stopped (STC8G_H_Timer.c: after the load, before it runs).
std::string reloadTimerInit(const ReloadTimer& timer, const TimerSetup& setup) {
    return cStatements(stopAndLoad(timer, setup.initValue)) +
           prescalerLines(timer, setup.prescale) + cStatement(startTimer(timer, setup.timerClock)) +
           cStatement(timerInterruptEnable(timer, true)) + "    EA = 1;\n";
}

} // namespace

namespace {

// The counts of a division nearest the interval's, a tie to the even one, with how far from it
// they are in clocks: |nearest x divisor - counts| x D, counts given undivided.
struct Divided {
    std::int64_t counts;
    Exact miss;
};
std::optional<Divided> divided(const Exact& counts, std::int32_t divisor) {
    const auto nearest = (counts / Exact(divisor)).roundedToEven();
    if (!nearest || *nearest < 1 || *nearest > 65536)
        return std::nullopt;
    const Exact miss = Exact(*nearest) * Exact(divisor) - counts;
    return Divided{*nearest, miss.sign() < 0 ? -miss : miss};
}

} // namespace

std::optional<TimerSetup> reloadTimerSetup(const TimerSetup& shown, int timer) {
    const ReloadTimer* row = reloadTimer(*shown.family, timer);
    const Exact counts = shown.timeUs * shown.crystalMhz / Exact(shown.timerClock);
    if (!counts.valid() || !(counts > Exact(0)))
        return std::nullopt;
    std::optional<std::int32_t> chosen;
    std::optional<Divided> best;
    // Undivided first, as a timer without a prescaler counts; then each division in turn.
    const int most =
        row && row->prescaler != 0 && divided(counts, 1) == std::nullopt ? mostPrescale : 0;
    for (std::int32_t prescale = 0; prescale <= most; ++prescale) {
        const auto each = divided(counts, prescale + 1);
        if (each && (!best || each->miss < best->miss))
            best = each, chosen = prescale;
        if (each && each->miss.sign() == 0)
            break; // the smallest exact division
    }
    if (!best)
        return std::nullopt;
    TimerSetup setup = shown;
    setup.initValue = static_cast<std::int32_t>(65536 - best->counts);
    setup.ticks = 1;
    setup.range = 65536;
    setup.prescale = *chosen;
    return setup;
}

namespace {

// Where the prescaler's rate comes from, and that a part may lack it.
std::string prescaleNote(const ReloadTimer* row, const TimerSetup& setup) {
    if (row == nullptr || row->prescaler == 0)
        return {};
    return " * " + std::string(row->prescalerName) + " = " + std::to_string(setup.prescale) + ": " +
           countRateText(setup.prescale) +
           ", TIM_PS + 1 as STC's\n"
           " * STC8G/STC8H library has it. Not every part has the register: see its manual.\n";
}

} // namespace

std::optional<std::string> reloadTimerInitCode(int timer, const TimerSetup& setup,
                                               CodeLanguage language) {
    if (language != CodeLanguage::C)
        return reloadTimerInitAssembly(timer, setup, language);
    const ReloadTimer* row = reloadTimer(*setup.family, timer);
    if (!hasReloadTimer(*setup.family, timer) || setup.initValue < 0 || setup.initValue > 0xFFFF ||
        !keepsUp(setup, TimerKind::Reload16,
                 std::int64_t{65536 - setup.initValue} * (setup.prescale + 1)))
        return std::nullopt;
    const std::string x = std::to_string(timer);
    // No flag cleared for STC: its library's routines rely on the interrupt clearing T2IF to
    // T4IF ("进中断时已经清除标志", STC8G_H_Timer_Isr.c).
    const std::string flag =
        row ? "    /* timer " + x + " reloads T" + x + "H:T" + x + "L by itself */\n"
            : "    TF2 = 0;  /* not cleared by the interrupt */\n";
    const std::string code = isrMacros(*setup.family) + wavePin(setup) + counterVariable(x, setup) +
                             (setup.ticks > 1 ? "\n" : "") + "void timer" + x + "_init(void)\n{\n" +
                             (row ? reloadTimerInit(*row, setup) : of8052Init(setup)) +
                             "}\n\nvoid timer" + x + "_isr(void) TIMER_ISR(" +
                             std::to_string(timerInterrupt(*setup.family, timer)) + ")\n{\n" +
                             flag + userCode(x, setup) + "}\n";
    return headerComment("Timer " + x, setup, "16-bit auto-reload",
                         timerUses(*setup.family, timer).headerLine() + clockNote(timer, setup) +
                             prescaleNote(row, setup) + portNote(*setup.family, timer)) +
           sfrHeaderLines(*setup.family, code) + code;
}

} // namespace tickora
