// Timing an interval longer than one overflow: k ticks of c counts from one of the family's
// timers, exact where the crystal allows, and reading register values back. Standard C++ only.
#pragma once

#include "chipfamily.h"
#include "codelanguage.h"
#include "exact.h"

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
    Exact tickUs;               // c x D / f
    Exact achievedUs;           // k x c x D / f, as the counts give it
    Exact errorUs;              // asked for less achieved
    // The routine reloads after the overflow on a core whose instruction timing is not known in
    // counts: every tick runs a few clocks longer than its counts, by an amount not known here.
    bool lateReload;
    bool exact; // no error at all: the counts make the interval and the period keeps to them
    // A prescaled timer's TMxPS: each count takes prescale + 1 of its clocks, and c x D above
    // is c x (prescale + 1) x D. One tick of the whole interval, where it takes more counts
    // than the timer holds.
    std::int32_t prescale = 0;
};

struct PlanRequest {
    Exact intervalUs; // as typed
    Exact crystalMhz; // as typed
    const ChipFamily& family;
    std::int32_t clock; // D
};

// A tick's counts as the tables show them: "50000", or a prescaled timer's "62500×32", UTF-8.
std::string countsText(const TickPlan& plan);

// 1, 2, 2.5 or 5 times a power of ten µs, to the ns: ticks people count in.
bool roundTick(const Exact& tickUs);

// One plan for each of the family's tick timers that can time the interval, and one more of a
// single tick for a prescaled timer where the interval takes more counts than it holds. Plans
// whose period
// keeps to their counts come first; of them exact ones, then by error; among exact ones a timer
// that reloads by itself, then a tick of a round length (1, 2, 2.5 or 5 times a power of ten
// µs), before another. Empty for an interval of less than one tick or a crystal not above zero.
std::vector<TickPlan> planInterval(const PlanRequest& request);

// Why no plan is offered, UTF-8, the same words in the window and on the command line: a crystal
// beyond the bounds, an interval not above zero, beyond what the search reaches, or shorter than
// any tick the routine keeps up with. Empty when there are plans.
std::string planProblem(const PlanRequest& request);

// Why the plan gets no code: a tick counter beyond 32 bits. Empty when it gets code. UTF-8.
std::string planCodeProblem(const TickPlan& plan);

// The C unit for a plan: the timer's init and its routine, which runs the user's code once
// every k ticks. Nothing when planCodeProblem() names a problem.
std::optional<std::string> tickPlanCode(const TickPlan& plan, const PlanRequest& request,
                                        CodeLanguage language = CodeLanguage::C);

// What a value in a timer's count register times, in µs: (N − value) × D / f.
Exact intervalOfValue(std::int32_t value, TimerKind kind, const Exact& crystalMhz,
                      std::int32_t clock);
// The count a mode's THx and TLx bytes hold: 13 bits in mode 0, the reload byte in mode 2.
std::int32_t valueOfRegisters(std::uint8_t th, std::uint8_t tl, TimerKind kind);

} // namespace tickora
