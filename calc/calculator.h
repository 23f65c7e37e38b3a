// Timer initial-value calculation for 8051-family timers. Pure standard C++: no Qt, so the
// numbers can be checked (and fuzzed) without any toolkit.
#pragma once

#include <cstdint>

namespace tickora {

// Counts from the initial value to overflow that each classic timer mode offers at most.
enum ModeCount : std::int32_t {
    NoMode = 0,      // no mode chosen yet
    Mode0 = 8192,    // 13-bit
    Mode1 = 65536,   // 16-bit
    Mode2And3 = 256, // 8-bit (auto-reload, split)
};

// Oscillator clocks per timer count D: the classic 8051 counts once a machine cycle of 12
// clocks; STC89 parts in double-speed mode every 6; STC12/15/8 and N76E003 timers, once
// switched to it, every clock.
enum TimerClock : std::int32_t {
    Clock12T = 12,
    Clock6T = 6,
    Clock1T = 1,
};

enum class CalcOutcome { Ok, BadCrystal, OutOfRange, Fault };

// The calculator's fields, in their declared order. `float` is the stored Single and
// `std::int32_t` the stored Long: every value is rounded to these types only when stored.
struct CalcState {
    float timeUs = 0;           // required interval, µs
    std::int32_t modeCount = 0; // ModeCount of the chosen mode, 0 until one is chosen
    float countExact = 0;       // unrounded initial count, N - t / q
    float crystalMhz = 0;       // crystal frequency, MHz
    std::int32_t maxTimeUs = 0; // longest interval of the mode, whole µs
    float cycleUs = 0;          // time of one timer count q = D / f, µs
    float initErrorUs = 0;      // required interval minus the interval the initial value gives
    std::int32_t initValue = 0; // value to load into the timer
    std::int32_t timerClock = Clock12T; // D, oscillator clocks per timer count
};

// Reads timeUs, crystalMhz and modeCount; updates the other fields. A fault stops the
// calculation where it happens, leaving the fields stored before it in place.
CalcOutcome calculate(CalcState& state);

} // namespace tickora
