// What a user actually writes into an 8051 timer for an initial value: the THx and TLx bytes
// and the TMOD mode bits, and ready-to-paste C that does it. Standard C++ only.
#pragma once

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

// Mode 0 is 13 bits: THx the upper eight, TLx only the low five. Mode 1 is 16 bits. Modes 2
// and 3 are eight bits with THx the reload value, so both bytes are the count. Nothing when
// the mode count is not a timer mode or the value does not fit it.
std::optional<TimerRegisters> splitRegisters(std::int32_t initValue, std::int32_t modeCount);

// A register byte as C writes it: "0x1C".
std::string registerByteText(std::uint8_t value);

// One successful calculation, as shown in the result boxes.
struct TimerSetup {
    std::int32_t initValue;
    std::int32_t modeCount;
    float timeUs;
    float crystalMhz;
    float errorUs;
    std::int32_t timerClock; // D: 12, 6 or 1
};

// Comment lines telling how common parts switch a timer to a 6T or 1T clock; a plain 8051 has
// none of those registers, so the code says it rather than writes them. Empty at 12T.
std::string timerClockNote(int timer, std::int32_t timerClock);

// A complete, ASCII-only C unit for timer 0 or 1 that compiles unchanged with Keil C51 and
// SDCC, given the chip's SFR header: a header comment, the interrupt syntax picked per
// compiler, an init function (the other timer's TMOD nibble kept, interrupt enabled, timer
// started) and the interrupt routine, which in modes 0 and 1 reloads what the init loaded.
std::optional<std::string> timerInitCode(int timer, const TimerSetup& setup);

} // namespace tickora
