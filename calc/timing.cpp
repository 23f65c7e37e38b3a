#include "timing.h"

namespace tickora {

CalcOutcome timeExactly(Timing& timing) {
    if (timing.crystalMhz == Exact(0))
        return CalcOutcome::BadCrystal;
    const Exact cycle = timing.cycleUs();
    if (!(timing.crystalMhz > Exact(0)) || !(timing.intervalUs >= cycle))
        return CalcOutcome::OutOfRange;
    const auto counts = (timing.intervalUs / cycle).roundedToEven();
    if (!counts || *counts > timing.modeCount)
        return CalcOutcome::OutOfRange;
    timing.counts = *counts;
    return CalcOutcome::Ok;
}

} // namespace tickora
