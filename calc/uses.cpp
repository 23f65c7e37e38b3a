#include "uses.h"

namespace tickora {

std::vector<std::string> UnitUses::list() const {
    std::vector<std::string> items;
    if (timer >= 0)
        items.push_back("timer " + std::to_string(timer));
    if (!other.empty())
        items.emplace_back(other);
    if (interrupt >= 0)
        items.push_back("interrupt " + std::to_string(interrupt));
    return items;
}

std::string UnitUses::text() const {
    std::string items;
    for (const std::string& item : list())
        items += (items.empty() ? "" : ", ") + item;
    return "uses: " + (items.empty() ? std::string("no timer, no interrupt") : items) + ".";
}

namespace {

// The 8052's timer 2 is interrupt 5 (Intel MCS-51 manual).
constexpr int timer2Of8052Interrupt = 5;

} // namespace

int timerInterrupt(const ChipFamily& family, int timer) {
    if (timer == 0 || timer == 1)
        return 2 * timer + 1;
    if (const ReloadTimer* row = reloadTimer(family, timer))
        return row->interrupt;
    return timer == 2 && family.timer2 == Timer2Kind::Of8052 ? timer2Of8052Interrupt : -1;
}

UnitUses timerUses(const ChipFamily& family, int timer) {
    return {timer, timerInterrupt(family, timer), {}};
}

UnitUses baudUses(const BaudGenerator& generator) {
    return {generator.timer, -1, generator.ownClock};
}

} // namespace tickora
