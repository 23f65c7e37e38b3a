// What a user actually writes into an 8051 timer for an initial value: the THx and TLx bytes
// and the TMOD mode bits, and ready-to-paste C that does it. Standard C++ only.
#pragma once

#include "chipfamily.h"

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

// The shortest text that reads back as the same float: "11.0592", "1500000".
std::string shortestText(float value);

// One successful calculation, as shown in the result boxes.
struct TimerSetup {
    std::int32_t initValue;
    int mode; // the mode button, 0 to 2, of the family's modes
    float timeUs;
    float crystalMhz;
    float errorUs;
    std::int32_t timerClock; // D: 12, 6 or 1
    const ChipFamily* family = &classicFamily();

    const TimerMode& timerMode() const { return family->modes[mode]; }
};

// A complete, ASCII-only C unit for timer 0 or 1 that compiles unchanged with Keil C51 and
// SDCC, given the family's SFR header: a header comment, the interrupt syntax picked per
// compiler, an init function (the other timer's TMOD nibble kept, the family's clock bit,
// interrupt enabled, timer started) and the interrupt routine, which reloads what the init
// loaded unless the mode reloads by itself.
std::optional<std::string> timerInitCode(int timer, const TimerSetup& setup);

} // namespace tickora
