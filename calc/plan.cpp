#include "plan.h"

#include "registers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <tuple>

namespace tickora {
namespace {

// Exactly countable: the crystal in whole Hz and the interval in whole ns, which every crystal
// and interval typed with up to three decimals of µs are.
struct Exact {
    std::int64_t crystalHz;
    std::optional<std::int64_t> counts; // when the interval is a whole number of counts
};

Exact exactCounts(const PlanRequest& request) {
    const auto hz = static_cast<std::int64_t>(std::llround(request.crystalMhz * 1e6));
    const double ns = std::round(request.intervalUs * 1000);
    if (ns > 1e15 || std::abs(ns - request.intervalUs * 1000) > 0.02)
        return {hz, std::nullopt};
    // counts = ns x Hz / (D x 1e9), reduced first so nothing overflows.
    std::int64_t a = static_cast<std::int64_t>(ns), b = hz, d = request.clock * 1'000'000'000LL;
    std::int64_t g = std::gcd(a, d);
    a /= g, d /= g;
    g = std::gcd(b, d);
    b /= g, d /= g;
    if (d != 1 || a > std::numeric_limits<std::int64_t>::max() / std::max<std::int64_t>(b, 1))
        return {hz, std::nullopt};
    return {hz, a * b};
}

// 1, 2, 2.5 or 5 times a power of ten µs, to the ns: ticks people count in.
bool roundTick(std::int64_t counts, std::int32_t clock, std::int64_t crystalHz) {
    const std::int64_t scaled = counts * clock * 1'000'000'000LL;
    if (scaled % crystalHz != 0)
        return false;
    std::int64_t ns = scaled / crystalHz;
    while (ns % 10 == 0)
        ns /= 10;
    return ns == 1 || ns == 2 || ns == 25 || ns == 5;
}

struct Candidate {
    TickPlan plan;
    bool round;
};

// Exact before inexact; of exact ones, a timer that reloads itself before one whose routine
// makes up for its latency, a round tick before another; then the smaller error, fewer runs.
auto rank(const Candidate& c) {
    const bool compensated = c.plan.exact && !reloadsItself(c.plan.timer->kind);
    return std::make_tuple(!c.plan.exact, compensated, !c.round, std::abs(c.plan.errorUs),
                           c.plan.ticks);
}

std::optional<Candidate> bestTick(const PlanRequest& request, const Exact& exact,
                                  const TickTimer& timer) {
    const std::int64_t range = countsOf(timer.kind);
    const double counts = request.intervalUs * exact.crystalHz / (request.clock * 1e6);
    // No tick longer than the interval: one tick of it would only time something else.
    const double longest = std::min(static_cast<double>(range), std::floor(counts + 0.5));
    // The search is the hot path: rank by plain numbers, build the plan once at the end.
    std::int64_t bestCounts = 0, bestTicks = 0;
    auto bestRank = std::make_tuple(true, true, 0.0, std::int64_t{0});
    for (std::int64_t c = minimumRoutineCounts(request.family, request.clock, timer.kind);
         static_cast<double>(c) <= longest; ++c) {
        const auto k = static_cast<std::int64_t>(std::floor(counts / c + 0.5));
        const bool isExact = exact.counts && *exact.counts % c == 0;
        const bool round = isExact && roundTick(c, request.clock, exact.crystalHz);
        const auto candidate =
            std::make_tuple(!isExact, !round, std::abs(static_cast<double>(k * c) - counts), k);
        if (bestCounts == 0 || candidate <= bestRank) // a tie goes to the longer tick
            bestRank = candidate, bestCounts = c, bestTicks = k;
    }
    if (bestCounts == 0)
        return std::nullopt;
    const double usPerCount = request.clock * 1e6 / exact.crystalHz;
    const bool isExact = !std::get<0>(bestRank);
    const double achieved = static_cast<double>(bestTicks * bestCounts) * usPerCount;
    return Candidate{{&timer, bestCounts, bestTicks, static_cast<std::int32_t>(range - bestCounts),
                      static_cast<double>(bestCounts) * usPerCount, achieved,
                      isExact ? 0.0 : achieved - request.intervalUs, isExact},
                     !std::get<1>(bestRank)};
}

} // namespace

std::vector<TickPlan> planInterval(const PlanRequest& request) {
    if (!(request.crystalMhz > 0) || !(request.intervalUs > 0) || request.clock <= 0 ||
        !(request.intervalUs * request.crystalMhz < 1e17))
        return {};
    const Exact exact = exactCounts(request);
    if (exact.crystalHz <= 0)
        return {};
    std::vector<Candidate> found;
    for (const TickTimer& timer : request.family.tickTimers)
        if (const auto best = bestTick(request, exact, timer))
            found.push_back(*best);
    std::stable_sort(found.begin(), found.end(),
                     [](const Candidate& a, const Candidate& b) { return rank(a) < rank(b); });
    std::vector<TickPlan> plans;
    for (const Candidate& candidate : found)
        plans.push_back(candidate.plan);
    return plans;
}

std::optional<std::string> tickPlanCode(const TickPlan& plan, const PlanRequest& request) {
    const TimerSetup setup{plan.reload,
                           std::max(plan.timer->mode, 0),
                           static_cast<float>(plan.tickUs),
                           static_cast<float>(request.crystalMhz),
                           0,
                           request.clock,
                           &request.family,
                           plan.ticks,
                           plan.achievedUs};
    return plan.timer->timer == 2 ? timer2InitCode(setup) : timerInitCode(0, setup);
}

double intervalOfValue(std::int32_t value, TimerKind kind, double crystalMhz, std::int32_t clock) {
    return static_cast<double>(countsOf(kind) - value) * clock / crystalMhz;
}

std::int32_t valueOfRegisters(std::uint8_t th, std::uint8_t tl, TimerKind kind) {
    switch (kind) {
    case TimerKind::Count13:
        return th * 32 + (tl & 0x1F);
    case TimerKind::Reload8:
        return th;
    case TimerKind::Count16:
    case TimerKind::Reload16:
        break;
    }
    return th * 256 + tl;
}

} // namespace tickora
