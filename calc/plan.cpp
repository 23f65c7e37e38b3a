#include "plan.h"

#include "bounds.h"
#include "registers.h"

#include <algorithm>
#include <tuple>

namespace tickora {
namespace {

using Int = Exact::Int;

// The largest count an unsigned long tick counter reaches.
constexpr std::int64_t mostTicks = 4'294'967'295;

Exact magnitude(const Exact& value) { return value.sign() < 0 ? -value : value; }

// The interval in counts, total = P / Q, and the best tick of one timer for it.
struct Search {
    Int p, q;
};

struct Best {
    std::int64_t counts = 0, ticks = 0;
    Int miss = 0; // |k x c x Q - P|: Q times the counts the ticks miss by
    bool round = false;
};

// Of every tick the routine keeps up with: exact first, then a round one, then the smaller miss,
// then fewer ticks; a tie goes to the longer tick. Integers only: this is the hot path.
Best bestTick(const PlanRequest& request, const Search& total, const TickTimer& timer) {
    const std::int64_t range = countsOf(timer.kind);
    const Exact countUs = Exact(request.clock) / request.crystalMhz;
    // No tick longer than the interval: one tick of it would only time something else.
    const Int nearest = (2 * total.p + total.q) / (2 * total.q);
    const std::int64_t longest = static_cast<std::int64_t>(std::min<Int>(range, nearest));
    Best best;
    for (std::int64_t c = minimumRoutineCounts(request.family, request.clock, timer.kind);
         c <= longest; ++c) {
        const Int span = total.q * c;
        const Int k = (2 * total.p + span) / (2 * span);
        const Int miss = k * span > total.p ? k * span - total.p : total.p - k * span;
        const bool round = miss == 0 && roundTick(countUs * Exact(c));
        const auto rank = [](bool exact, bool isRound, Int missed, Int ticks) {
            return std::make_tuple(!exact, !isRound, missed, ticks);
        };
        if (best.counts == 0 || rank(miss == 0, round, miss, k) <=
                                    rank(best.miss == 0, best.round, best.miss, best.ticks))
            best = {c, static_cast<std::int64_t>(k), miss, round};
    }
    return best;
}

TickPlan planOf(const PlanRequest& request, const TickTimer& timer, const Best& best) {
    const Exact tick = Exact(best.counts) * Exact(request.clock) / request.crystalMhz;
    const Exact achieved = tick * Exact(best.ticks);
    const bool late = reloadsLate(request.family, timer.kind);
    return {&timer,
            best.counts,
            best.ticks,
            static_cast<std::int32_t>(countsOf(timer.kind) - best.counts),
            tick,
            achieved,
            request.intervalUs - achieved,
            late,
            best.miss == 0 && !late};
}

// Plans that keep time before those that run late; exact before inexact; of exact ones, a
// timer that reloads by itself before one whose routine makes up for its latency, a round tick
// before another; then the smaller error, fewer runs.
auto rank(const TickPlan& plan) {
    const bool compensated = plan.exact && !reloadsItself(plan.timer->kind);
    return std::make_tuple(plan.lateReload, !plan.exact, compensated, !roundTick(plan.tickUs),
                           magnitude(plan.errorUs), plan.ticks);
}

// A day at 1 GHz is under 2^47 counts; far beyond, the search's products leave 128 bits.
bool searchable(const Exact& total) {
    return total < Exact(std::int64_t{1} << 56) && total.denominator() <= (Int{1} << 56);
}

} // namespace

std::string countsText(const TickPlan& plan) {
    return std::to_string(plan.countsPerTick) +
           (plan.prescale == 0 ? "" : "×" + std::to_string(plan.prescale + 1));
}

bool roundTick(const Exact& tickUs) {
    const Exact ns = tickUs * Exact(1000);
    if (!ns.valid() || ns.denominator() != 1 || ns.sign() <= 0)
        return false;
    Int whole = ns.numerator();
    while (whole % 10 == 0)
        whole /= 10;
    return whole == 1 || whole == 2 || whole == 25 || whole == 5;
}

namespace {

// The interval as one tick of a prescaled timer, the division as the timer's unit makes it
// (reloadTimerSetup); nothing where the timer has no prescaler or needs none.
std::optional<TickPlan> prescaledPlan(const PlanRequest& request, const TickTimer& timer,
                                      const Exact& total) {
    const ReloadTimer* row = reloadTimer(request.family, timer.timer);
    if (row == nullptr || row->prescaler == 0 || !(total > Exact(countsOf(timer.kind))))
        return std::nullopt;
    const auto setup = reloadTimerSetup(
        {0, 0, request.intervalUs, request.crystalMhz, request.clock, &request.family},
        timer.timer);
    if (!setup)
        return std::nullopt;
    const Exact tick = setup->tickUs();
    const bool exact = tick == request.intervalUs;
    return TickPlan{
        &timer, setup->counts(), 1, setup->initValue, tick, tick, request.intervalUs - tick, false,
        exact,  setup->prescale};
}

} // namespace

std::vector<TickPlan> planInterval(const PlanRequest& request) {
    const Exact total = request.intervalUs * request.crystalMhz / Exact(request.clock);
    if (request.clock <= 0 || !(request.crystalMhz > Exact(0)) || !(total > Exact(0)) ||
        !searchable(total))
        return {};
    const Search search{total.numerator(), total.denominator()};
    std::vector<TickPlan> plans;
    for (const TickTimer& timer : request.family.tickTimers) {
        if (const Best best = bestTick(request, search, timer); best.counts != 0)
            plans.push_back(planOf(request, timer, best));
        if (const auto prescaled = prescaledPlan(request, timer, total))
            plans.push_back(*prescaled);
    }
    std::stable_sort(plans.begin(), plans.end(),
                     [](const TickPlan& a, const TickPlan& b) { return rank(a) < rank(b); });
    return plans;
}

std::string planProblem(const PlanRequest& request) {
    if (std::string crystal = crystalProblem(request.crystalMhz.toDouble()); !crystal.empty())
        return crystal;
    if (!(request.intervalUs > Exact(0)))
        return "请输入有效的定时时间";
    if (!searchable(request.intervalUs * request.crystalMhz / Exact(request.clock)))
        return "定时时间太长，超出定时范围";
    return planInterval(request).empty() ? "定时时间太短，请用主窗口" : "";
}

std::string planCodeProblem(const TickPlan& plan) {
    if (plan.ticks <= mostTicks)
        return {};
    return "次数超过 4294967295，无法生成代码";
}

std::optional<std::string> tickPlanCode(const TickPlan& plan, const PlanRequest& request,
                                        CodeLanguage language) {
    if (!planCodeProblem(plan).empty())
        return std::nullopt;
    const bool oneMode = plan.timer->timer >= 2;
    const TimerSetup setup{plan.reload,        std::max(plan.timer->mode, 0),
                           request.intervalUs, request.crystalMhz,
                           request.clock,      &request.family,
                           plan.ticks,         oneMode ? countsOf(plan.timer->kind) : 0,
                           plan.prescale};
    return oneMode ? reloadTimerInitCode(plan.timer->timer, setup, language)
                   : timerInitCode(0, setup, language);
}

Exact intervalOfValue(std::int32_t value, TimerKind kind, const Exact& crystalMhz,
                      std::int32_t clock) {
    return Exact(countsOf(kind) - value) * Exact(clock) / crystalMhz;
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
