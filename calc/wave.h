// Square waves: for a frequency, every way the chip makes it, best first: a timer's hardware
// clock output (STC's TxCLKO, Nuvoton's TxOE, the 8052's timer 2 clock-out), which takes no CPU
// time, or a timer's routine toggling a pin every half period; and the code for one. Standard
// C++ only.
#pragma once

#include "chipfamily.h"
#include "codelanguage.h"
#include "exact.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tickora {

struct WaveRequest {
    Exact frequencyHz; // as typed
    Exact crystalMhz;  // as typed
    const ChipFamily& family;
    std::int32_t clock; // D
};

struct WaveWay {
    int timer;
    bool clockOutput;         // the timer's overflow drives the pin itself: no CPU time
    TimerKind kind;           // its mode
    int mode = -1;            // timer 0 or 1's mode button, 0 to 2; -1 for a timer of one mode
    std::string label = {};   // as the table names it, UTF-8
    std::string pin = {};     // "P3.5"
    std::int64_t counts = 0;  // of the count rate, from one edge to the next
    std::int32_t reload = 0;  // the timer's count range less counts
    Exact achievedHz = {};    // count rate / counts / 2
    Exact errorPercent = {};  // (achieved - asked) / asked x 100
    bool exact = false;       // no error, and the edges keep to their counts
    bool tie = false;         // the counts either side make frequencies as near
    bool drifts = false;      // the routine reloads late: each half period runs a few clocks long
    std::string problem = {}; // why it makes no wave (a half period too short), UTF-8; else empty
};

// Why no way is offered: a frequency not above zero, or not a number; a crystal beyond bounds.
std::string waveProblem(const WaveRequest& request);
// Every way, best first: those that make it before those that cannot, exact, then the smaller
// error, then no CPU time.
std::vector<WaveWay> waveWays(const WaveRequest& request);
// The unit for a way: C (SDCC and Keil C51), A51 or sdas8051, ASCII; nothing for a way that makes
// no wave or a language the family is not written in.
std::optional<std::string> waveCode(const WaveRequest& request, const WaveWay& way,
                                    CodeLanguage language);

} // namespace tickora
