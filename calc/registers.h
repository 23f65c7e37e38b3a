// What a user actually writes into an 8051 timer for an initial value: the THx and TLx bytes
// and the TMOD mode bits, and ready-to-paste C that does it. Standard C++ only.
#pragma once

#include "chipfamily.h"
#include "codelanguage.h"
#include "exact.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tickora {

struct TimerRegisters {
    std::uint8_t th;       // THx
    std::uint8_t tl;       // TLx
    std::uint8_t modeBits; // TMOD M1 M0 of one timer: 0, 1 or 2

    friend bool operator==(const TimerRegisters&, const TimerRegisters&) = default;
};

// 13-bit counts are THx the upper eight bits and TLx only the low five; 16-bit ones THx:TLx;
// 8-bit ones have THx as the reload, so both bytes are the count. Nothing when the value does
// not fit the mode.
std::optional<TimerRegisters> splitRegisters(std::int32_t initValue, const TimerMode& mode);

// A register byte as C writes it: "0x1C".
std::string registerByteText(std::uint8_t value);

// The shortest text that reads back as the same double: "11.0592", "1500000".
std::string shortestText(double value);

// One successful calculation, as shown in the result boxes, or one plan of ticks.
struct TimerSetup {
    std::int32_t initValue;
    int mode;     // the mode button, 0 to 2, of the family's modes
    Exact timeUs; // asked for: one period, or the whole interval a plan's ticks make
    Exact crystalMhz;
    std::int32_t timerClock; // D: 12, 6 or 1
    const ChipFamily* family = &classicFamily();
    std::int64_t ticks = 1;    // the routine's runs that make one run of the user's code
    std::int32_t range = 0;    // the counts the timer holds when not the mode's: a timer 2's
    std::int32_t prescale = 0; // a prescaled timer's TMxPS: one count every prescale + 1 D clocks
    bool toggles = false; // a square wave's: the routine toggles P1.0 in place of the user's code

    const TimerMode& timerMode() const { return family->modes[mode]; }
    std::int32_t counts() const {
        return (range != 0 ? range : countsOf(timerMode().kind)) - initValue;
    }
    Exact tickUs() const {
        return Exact(counts()) * Exact(timerClock) * Exact(prescale + 1) / crystalMhz;
    }
    Exact achievedUs() const { return tickUs() * Exact(ticks); }
    Exact errorUs() const { return timeUs - achievedUs(); } // asked for less achieved
};

// The fewest counts between overflows for a timer routine to finish before the next one: its
// machine cycles as SDCC compiles it, measured in s51, at the most clocks a cycle may take.
std::int64_t minimumRoutineCounts(const ChipFamily& family, std::int32_t clock, TimerKind kind);

// The header comment of a timer's unit, C's "/* ... */": what was asked and achieved, the ticks,
// then the notes (" * " lines).
std::string headerComment(const std::string& timerName, const TimerSetup& setup,
                          const std::string& modeText, const std::string& notes);
// The note on a timer clock no code sets; empty where none is needed.
std::string clockNote(int timer, const TimerSetup& setup);
// "13-bit", "16-bit auto-reload", ...
const char* kindName(TimerKind kind);

// A complete, ASCII-only C unit for timer 0 or 1 (2 to 4: reloadTimerInitCode) that SDCC compiles
// on its own in any memory model, written for Keil C51 as well: a header comment, the SFR headers
// and the interrupt syntax picked per compiler, an init function (the other timer's TMOD nibble
// kept, the family's clock bit, interrupt enabled, timer started) and the interrupt routine, which
// reloads what the init loaded unless the mode reloads by itself. On cores with the classic machine
// cycle that reload makes up for the counts from the overflow to it. Nothing when the interval is
// too short for the routine (minimumRoutineCounts).
std::optional<std::string> timerInitCode(int timer, const TimerSetup& setup,
                                         CodeLanguage language = CodeLanguage::C);

// The same interval as timer 2, 3 or 4 of one mode times it: the counts of 65536 nearest it,
// worked from the typed decimals whatever the shown mode. Beyond 65536 counts a prescaled timer
// divides its clock by the smallest TMxPS + 1 that makes the interval a whole number of counts
// in range, else by the one that comes nearest (the smaller of two as near). Nothing where no
// division reaches it.
std::optional<TimerSetup> reloadTimerSetup(const TimerSetup& shown, int timer);
// The same for such a timer, reloading by itself; the setup's range is its 65536 counts.
std::optional<std::string> reloadTimerInitCode(int timer, const TimerSetup& setup,
                                               CodeLanguage language = CodeLanguage::C);

} // namespace tickora
