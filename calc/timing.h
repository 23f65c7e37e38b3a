// One interval on one timer mode, worked from the decimals the user typed: the counts nearest
// the interval, and every figure that follows from them, exactly. Standard C++ only.
#pragma once

#include "calculator.h"
#include "exact.h"

#include <cstdint>

namespace tickora {

struct Timing {
    Exact intervalUs;           // asked for
    Exact crystalMhz;           //
    std::int32_t clock = 12;    // D, oscillator clocks per count
    std::int32_t modeCount = 0; // N
    std::int64_t counts = 0;    // from the initial value to overflow

    Exact cycleUs() const { return Exact(clock) / crystalMhz; }
    Exact longestUs() const { return cycleUs() * Exact(modeCount); }
    Exact achievedUs() const { return cycleUs() * Exact(counts); }
    // Signed as everywhere in the program: the interval asked for less the one achieved.
    Exact errorUs() const { return intervalUs - achievedUs(); }
    Exact errorPercent() const { return errorUs() / intervalUs * Exact(100); }
    std::int32_t initValue() const { return static_cast<std::int32_t>(modeCount - counts); }
};

// Sets the counts to the whole number nearest interval / cycle (a tie to the even one). Out of
// range when the crystal or the interval is not above zero, the interval is shorter than one
// count, or it needs more counts than the mode has; a bad crystal when it is zero.
CalcOutcome timeExactly(Timing& timing);

} // namespace tickora
