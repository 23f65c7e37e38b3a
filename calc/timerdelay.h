// Delays paced by a timer: it runs in an auto-reload mode and the routine polls its flag, so the
// periods are the hardware's whatever the core's instruction times, and an interrupt that returns
// within a period does not lengthen the delay. Internal to the delay generator (delay.h).
// Standard C++ only.
#pragma once

#include "asmunit.h"
#include "delay.h"

#include <optional>
#include <string>
#include <vector>

namespace tickora {

struct TimerDelayPlan {
    std::optional<DelayResult> result;
    std::string problem; // UTF-8, one sentence; empty where there is a result
};

TimerDelayPlan planTimerDelay(const DelayRequest& request);
// The routine from its first instruction to RET, its labels named after it.
AsmUnit timerDelayBody(const DelayRequest& request, const DelayResult& result, bool sdcc);
// What the header says of the timer, its periods and where the total rests.
std::vector<std::string> timerDelayNotes(const DelayRequest& request, const DelayResult& result);

} // namespace tickora
