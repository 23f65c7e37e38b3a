#include "calculator.h"

#include <cmath>
#include <limits>
#include <optional>

namespace tickora {
namespace {

// Rounding to a stored Single: an invalid operation or an overflow (including one caused by
// the rounding itself) is a fault; underflow is not.
std::optional<float> toSingle(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const auto rounded = static_cast<float>(value);
    if (!std::isfinite(rounded))
        return std::nullopt;
    return rounded;
}

// Rounding to a stored Long: nearest, ties to even (the default floating-point rounding
// mode, which nothing in this program changes); outside the 32-bit range is a fault.
std::optional<std::int32_t> toLong(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

} // namespace

CalcOutcome calculate(CalcState& state) {
    const double t = state.timeUs;
    const double f = state.crystalMhz;
    const double n = state.modeCount;

    if (f == 0)
        return CalcOutcome::BadCrystal;

    const double q = state.timerClock / f;
    const auto cycle = toSingle(q);
    if (!cycle)
        return CalcOutcome::Fault;
    state.cycleUs = *cycle;

    const auto countExact = toSingle(n - t / q);
    if (!countExact)
        return CalcOutcome::Fault;
    state.countExact = *countExact;

    const auto maxTime = toLong(q * n);
    if (!maxTime)
        return CalcOutcome::Fault;
    state.maxTimeUs = *maxTime;

    // An interval of zero or less can never be timed; without the last test a negative
    // crystal (or no mode) let such an interval through and produced a count the timer
    // cannot hold.
    if (t > state.maxTimeUs || !(t >= state.cycleUs) || !(t > 0))
        return CalcOutcome::OutOfRange;

    const auto initValue = toLong(state.countExact);
    if (!initValue)
        return CalcOutcome::Fault;
    // Up to half a microsecond beyond q × N passes the range check above and can round the
    // count below zero: that interval needs more counts than the mode has.
    if (*initValue < 0)
        return CalcOutcome::OutOfRange;
    state.initValue = *initValue;

    const std::int64_t counts = std::int64_t{state.modeCount} - state.initValue;
    if (counts < std::numeric_limits<std::int32_t>::min() ||
        counts > std::numeric_limits<std::int32_t>::max())
        return CalcOutcome::Fault;
    const auto error = toSingle(t - q * static_cast<double>(counts));
    if (!error)
        return CalcOutcome::Fault;
    state.initErrorUs = *error;
    return CalcOutcome::Ok;
}

} // namespace tickora
