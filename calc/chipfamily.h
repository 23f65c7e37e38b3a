// The chip families people really buy, as rows of data: what each timer mode is on them, which
// clocks their timers offer and how the code switches to one, and which generators clock their
// serial port. The calculation, the code generators and the windows all read this table, so a
// new family is a new row. Standard C++ only.
#pragma once

#include "codelanguage.h"
#include "coretiming.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tickora {

// What a TMOD mode makes of a timer.
enum class TimerKind {
    Count13,  // classic mode 0: THx and the low five bits of TLx
    Count16,  // mode 1: THx:TLx, reloaded by the routine
    Reload16, // STC15/STC8 mode 0: THx:TLx reloaded by the timer itself
    Reload8,  // mode 2: TLx reloaded from THx
};

struct TimerMode {
    TimerKind kind;
    std::uint8_t bits;             // TMOD M1 M0 of one timer
    std::string_view summary;      // what the mode button's tooltip says, UTF-8
    std::string_view registerNote; // how its bytes are read, for the initial value's tooltip
};

// Counts from the initial value to overflow.
std::int32_t countsOf(TimerKind kind);
bool reloadsItself(TimerKind kind);

struct ChipFamily;
// The routine reloads after the overflow, and the core's instruction timing is not known in
// counts: only the counts are known, not the period, which runs a few clocks long.
bool reloadsLate(const ChipFamily& family, TimerKind kind);

// A bit that switches one timer between 12T and 1T; an empty register means the family has
// none (its clock is chosen when the chip is programmed, or it has only one).
struct ClockSwitch {
    std::string_view reg;
    std::string_view bitName;
    std::uint8_t mask;
};

// The statement that sets the switch for 1T or clears it for 12T; empty where there is none.
std::string clockSwitchLine(const ClockSwitch& clock, std::int32_t timerClock);

// How the generator's count rate follows the timer clock D.
enum class ClockScale {
    PerClock,        // one count every D clocks
    PerMachineCycle, // the 8052's timer 2 counts at fosc/2 on a 12T core, fosc on a 6T one
    None,            // its own prescaler, whatever the timers' clock
};

struct BaudGenerator;

// What a generator's part of uart_init() is written from.
struct BaudGeneratorCode {
    const ChipFamily& family;
    const BaudGenerator& generator;
    std::int32_t timerClock;
    std::int32_t reload;
};

struct BaudGenerator {
    std::string_view id;    // as the command line names it
    std::string_view label; // as the windows show it, UTF-8
    int reloadBits;         // 8 or 16
    int smod;               // PCON.SMOD the code sets: 0, 1, or -1 where it does not count
    int divisor;            // baud = f / (divisor x scale(D) x (2^bits - reload))
    ClockScale scale;
    std::string (*initLines)(const BaudGeneratorCode& code); // the body of uart_init()
    int timer;                      // the numbered timer it takes; -1 for a clock of its own
    std::string_view ownClock = {}; // that clock's name, as a unit's header gives it
    int uart = 1;                   // the serial port it clocks
};

// A timer with one mode, 16-bit auto-reload, loaded through its own pair of registers and
// switched by bits of a control register: the STC15/STC8 timers 2, 3 and 4.
struct ReloadTimer {
    int timer;
    std::string_view control;        // "AUXR", "T4T3M"
    std::uint8_t run, counter, fast; // TxR, Tx_C/T, Txx12 in the control register
    std::string_view high, low;      // "T3H", "T3L"
    std::uint8_t enable;             // its bit in IE2, which is not bit-addressable
    int interrupt;
    // The XFR address of its prescaler TMxPS, behind P_SW2.EAXFR: the timer counts once every
    // TMxPS + 1 of its clocks. 0 where the family has none.
    std::uint16_t prescaler = 0;
    std::string_view prescalerName = {};
};

// The most a prescaled timer divides its clock by: TMxPS + 1, TMxPS from 0 to 255.
inline constexpr int mostPrescale = 255;

// A timer that drives a pin by itself, toggling it at each overflow: STC's TxCLKO, Nuvoton's
// TxOE, the 8052's timer 2 clock-out. The wave is the count rate / (range - reload) / 2.
struct ClockOutput {
    int timer;
    TimerKind kind;            // the mode it runs in: 16-bit or 8-bit auto-reload
    std::string_view reg;      // the register of its enable bit: "INT_CLKO", "P2S", "T2MOD"
    std::uint8_t address;      // the register's, for a compiler whose header lacks it
    std::uint8_t enable;       // the bit
    std::string_view pin;      // "P3.5"
    std::int32_t clocksACount; // 0: the timer clock D; else its own (the 8052's: Fosc / 2)
    std::string_view source;   // where this comes from, as a unit's header names it
};

// A serial port beside UART1 with a control register of its own: the STC15/STC8 UART2 to
// UART4, each clocked by timer 2 or by its own timer, always at overflow rate / 4.
struct SerialPort {
    int uart;
    std::string_view control, buffer;          // "S3CON", "S3BUF"
    std::uint8_t ownTimerSelect;               // SxCON's bit that takes its own timer; 0: none
    std::string_view ownTimerBit;              // that bit's name, "S3ST3"
    std::string_view pins;                     // the pins it has after reset
    std::span<const BaudGenerator> generators; // each with uart set to this port
};

// A timer that can tick a long interval away: timer 0 in one of the family's modes, or a
// timer 2 that reloads 16 bits by itself.
struct TickTimer {
    std::string_view id;    // as the command line names it
    std::string_view label; // as the windows show it, UTF-8
    int timer;              // 0 or 2
    int mode;               // timer 0's mode button, 0 to 2; -1 for a timer 2
    TimerKind kind;
};

// Which timer 2 the code drives: none, the 8052's (T2CON, RCAP2H/L), or STC15/STC8's (T2H/T2L
// in AUXR's control).
enum class Timer2Kind { None, Of8052, Stc };

// A register the family's SDCC header lacks, which a unit naming it declares itself.
struct SfrAddress {
    std::string_view name;
    std::uint8_t address;
};

// The time one instruction takes: a mnemonic and the kinds of its operands, a letter each (A the
// accumulator, C the carry, d a direct byte, b a bit, # an immediate, l a code address, r a
// register R0 to R7). A branch may take another time when it falls through.
struct InstructionTiming {
    std::string_view mnemonic;
    std::string_view shape;
    int time;         // a branch's when it jumps
    int notTaken = 0; // a branch's when it falls through; 0 where that is time too

    int fallThrough() const { return notTaken != 0 ? notTaken : time; }
};

struct ChipFamily {
    std::string_view id;                    // as the command line names it
    std::string_view name;                  // as the windows show it, UTF-8
    std::array<std::int32_t, 2> clocks;     // the timer clocks D offered; 0 where only one
    std::array<ClockSwitch, 2> clockSwitch; // timer 0 and timer 1
    std::array<TimerMode, 3> modes;         // the mode buttons 方式 0, 1 and 2,3
    std::span<const BaudGenerator> generators;
    std::string_view header;               // the vendor's SFR header, which Keil C51 units include
    std::string_view headerNote;           // said beside it: other parts' headers; empty where none
    std::string_view sdccHeader;           // the one of SDCC's own that fits; empty: not for SDCC
    std::span<const SfrAddress> sdccLacks; // registers the code names that sdccHeader lacks
    std::string_view uartSetup;      // what uart_init() does before anything else; may be empty
    std::string_view uartFromTimer1; // the line that takes the serial port's clock from timer 1
    std::string_view slowClockNote;  // why a clock without a switch needs no code
    std::span<const TickTimer> tickTimers;
    // Whether the CPU takes D clocks a machine cycle, as the classic core does: its routines'
    // timing is then known in counts. 1T cores take a few clocks an instruction.
    bool classicCycle;
    Timer2Kind timer2;
    // A 1T core's clocks per instruction, its vendor's table; null where none is known here.
    // The core runs its table whichever clock the timers count (12T or 1T).
    const CoreTable* core;
    // On classic cores, the table their machine cycles come from.
    std::string_view instructionSource;
    // Why no 8051 assembly is written for the family, UTF-8; empty where it is.
    std::string_view noAssembly = {};
    std::span<const ReloadTimer> reloadTimers = {}; // by timer number, from 2
    std::span<const SerialPort> ports = {};         // beyond UART1, by number
    std::span<const ClockOutput> clockOutputs = {}; // at the timer clocks it offers them
    std::int32_t clockOutputsAt = 0; // the one timer clock they are known at; 0: every one
};

// The family's row for timer 2, 3 or 4 of its one-mode kind, or null.
const ReloadTimer* reloadTimer(const ChipFamily& family, int timer);
// Whether the family has this timer 2, 3 or 4 of one mode, 16-bit auto-reload: the 8052's timer
// 2 or a row of its reloadTimers.
bool hasReloadTimer(const ChipFamily& family, int timer);
// The timers code can be copied for: 0 and 1, a timer 2 of either kind, then 3 and 4.
std::vector<int> timersOf(const ChipFamily& family);
// The serial ports, 1 first, and the generators that can clock one of them.
std::vector<int> uartsOf(const ChipFamily& family);
std::span<const BaudGenerator> generatorsOf(const ChipFamily& family, int uart);
const SerialPort* serialPort(const ChipFamily& family, int uart);

// Why code in that language is not written for the family, UTF-8; empty where it is.
std::string languageProblem(const ChipFamily& family, CodeLanguage language);

// Where the core's instruction times come from, as a unit's header names it; empty where they
// are not known here.
std::string_view timingSource(const ChipFamily& family);

// Oscillator clocks the CPU may take for one of the classic core's machine cycles, at most:
// D on a classic core, a few on a 1T one.
std::int32_t machineClocks(const ChipFamily& family, std::int32_t clock);

std::span<const ChipFamily> chipFamilies();
const ChipFamily& classicFamily();
// The row with this id, or nothing.
const ChipFamily* findFamily(std::string_view id);
bool offersClock(const ChipFamily& family, std::int32_t clock);

// The lines that give a unit the registers it names (its code text, inline assembly's _AUXR
// too): for SDCC its own header and a declaration of each one it lacks, for Keil C51 the
// vendor's header.
std::string sfrHeaderLines(const ChipFamily& family, std::string_view code);

} // namespace tickora
