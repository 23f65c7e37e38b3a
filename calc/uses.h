// Which timer and interrupt a unit takes, so that two units pasted into one program never share
// one: every unit's header says it, the JSON lists it, the tool windows compare it. Standard C++.
#pragma once

#include "chipfamily.h"

#include <string>
#include <vector>

namespace tickora {

struct UnitUses {
    int timer = -1;         // the numbered timer taken; -1 for none
    int interrupt = -1;     // the interrupt the unit's routine answers; -1 for none
    std::string_view other; // a clock that is no numbered timer, as the header names it: "BRT"

    // "timer 2", "interrupt 5", in that order; empty for a unit that takes nothing.
    std::vector<std::string> list() const;
    // "uses: timer 2, interrupt 5.", or that it takes nothing.
    std::string text() const;
    // The same as a line of a C header comment: " * uses: timer 2, interrupt 5.\n".
    std::string headerLine() const { return " * " + text() + "\n"; }
};

// The interrupt a timer's overflow raises on the family: 1 and 3 as on every 8051, timer 2 as
// its kind has it. -1 where the family has no such timer.
int timerInterrupt(const ChipFamily& family, int timer);

// A timer unit: the timer and its interrupt.
UnitUses timerUses(const ChipFamily& family, int timer);
// uart_init(): the generator's timer (or its own clock), no interrupt.
UnitUses baudUses(const BaudGenerator& generator);

} // namespace tickora
