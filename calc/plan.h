// Timing an interval longer than one overflow: k ticks of c counts from one of the family's
// timers, exact where the crystal allows, and reading register values back. Standard C++ only.
#pragma once

#include "chipfamily.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tickora {

struct TickPlan {
    const TickTimer* timer;
    std::int64_t countsPerTick; // c
    std::int64_t ticks;         // k, the routine's runs per interval
    std::int32_t reload;        // what the timer is loaded with: its count range less c
    double tickUs;              // c x D / f
    double achievedUs;          // k x c x D / f
    double errorUs;             // achieved less asked for
    bool exact;                 // no error at all
};

struct PlanRequest {
    double intervalUs;
    double crystalMhz;
    const ChipFamily& family;
    std::int32_t clock; // D
};

// One plan for each of the family's tick timers that can time the interval: exact ones first,
// then by error; among exact ones a tick of a round length (1, 2, 2.5 or 5 times a power of
// ten µs) before a longer one. Empty for an interval of less than one tick, a crystal that is
// not positive, or one beyond what 64 bits of counts hold.
std::vector<TickPlan> planInterval(const PlanRequest& request);

// The C unit for a plan: the timer's init and its routine, which runs the user's code once
// every k ticks. Nothing when the tick is too short for the routine.
std::optional<std::string> tickPlanCode(const TickPlan& plan, const PlanRequest& request);

// What a value in a timer's count register times, in µs: (N − value) × D / f.
double intervalOfValue(std::int32_t value, TimerKind kind, double crystalMhz, std::int32_t clock);
// The count a mode's THx and TLx bytes hold: 13 bits in mode 0, the reload byte in mode 2.
std::int32_t valueOfRegisters(std::uint8_t th, std::uint8_t tl, TimerKind kind);

} // namespace tickora
