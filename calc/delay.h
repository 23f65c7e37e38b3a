// Software delays: a routine that does nothing for an exact number of clocks, counted from the
// core's instruction table, as a fixed delay (delay_10ms) or one of n steps (delay_ms(n)), in C
// for SDCC and Keil C51 and in assembly for A51 and sdas8051. Standard C++ only.
#pragma once

#include "chipfamily.h"
#include "codelanguage.h"
#include "exact.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tickora {

enum class DelayKind {
    Fixed,   // void delay_10ms(void)
    PerStep, // void delay_ms(unsigned int n): n steps of the time asked
};

struct DelayRequest {
    Exact delayUs;    // asked, as typed: the whole delay (Fixed) or one step of n (PerStep)
    Exact crystalMhz; // as typed
    const ChipFamily& family;
    std::int32_t clock; // the family's timer clock as chosen (12, 6, 1): a classic core's cycle
    DelayKind kind;
    // -1: loops, timed by the core's instruction table; 0, 1 or 2: the overflows of that timer
    // in an auto-reload mode, its flag polled (delayTimers()).
    int timer = -1;
};

// The timers a delay can count the overflows of: 0 and 1 in their auto-reload mode of the
// widest range, and the 8052's timer 2; none on a core no 8051 assembly is written for.
std::vector<int> delayTimers(const ChipFamily& family);

// How a timer paces a delay: its period in counts, how many overflows (a fixed delay's) or how
// many a step (by argument), the first period's counts, and where the total rests.
struct DelayPacing {
    std::int32_t period = 0;    // counts from one overflow to the next
    std::int64_t overflows = 0; // a fixed delay's in all, or a step's
    std::int32_t first = 0;     // counts from the start to the first overflow
    // The clocks it may run past the total: none where the instructions' times are known and
    // the timer counts as they run; the poll where it counts slower; and the entry and exit
    // where the core's times are not known. And the clocks it may fall short: the timer's clock
    // divider, which may stand anywhere in its count as the timer starts.
    std::int64_t slackClocks = 0, earlyClocks = 0;
    std::string slackReason; // why, for the header; empty where there is no slack
    // After the last overflow: the timer's low byte read, less base, is one more than how many
    // counts late the poll saw it; a JB on each of its lateBits bits skips as many NOPs, so that
    // every exit takes as long. None where the timer does not count as the instructions run.
    std::uint8_t base = 0;
    int lateBits = 0;
    int counters = 1; // the DJNZ counters that count the overflows, an outer one counting 1 or more
};

// The loops that make up the time: a chain of DJNZ counters all jumping back to the innermost,
// then a short loop and NOPs for what the chain cannot make.
struct DelayLoops {
    std::vector<std::string> registers; // of the chain's levels, innermost first: "R7", "R6" ...
    std::vector<std::int32_t> counts;   // what each level counts, 1 to 256 (256 loads as 0)
    std::vector<std::int64_t> runs;     // how often each level's DJNZ runs
    std::int32_t padLoop = 0;           // the short loop's count on R0; 0 where there is none
    std::int32_t nops = 0;
};

// What one call of a delay by argument costs apart from its steps, in a calling convention.
struct DelayCall {
    std::int64_t clocks = 0;     // a call with n >= 1 takes clocks + n x the step's
    std::int64_t zeroClocks = 0; // a call with n = 0, which returns at once
    std::string working;         // the sum that makes clocks
};

// A part of a delay's sum: its terms as the header prints them, "2 (LCALL) + 2 (RET)", and
// their total in the core's units.
struct DelayPart {
    std::string terms; // empty for a part the delay has none of
    std::int64_t units = 0;
};

struct DelayResult {
    std::string name;          // "delay_10ms", "delay_ms", "delay_10us": a valid C identifier
    Exact askedClocks;         // delayUs x crystal, in oscillator clocks; may be fractional
    std::int64_t clocks = 0;   // achieved: Fixed, from the LCALL's first clock to the RET's last;
                               // PerStep, one step of n
    Exact achievedUs, errorUs; // error: asked less achieved; in clocks askedClocks - clocks
    // The sum that makes clocks, each instruction's count and time from the core's table:
    // "2 (LCALL) + 2 x 1 (MOV) + 4884 x 2 (DJNZ R7) + ... = 10000 cycles x 12 = 120000 clocks".
    std::string working;
    // The sum's units: D clocks a machine cycle on a classic core, one clock on a 1T one; the
    // asked clocks in them, rounded to the nearest whole one (a tie to the even), are what the
    // parts make: the call and return (or a step's count-down and jump back), the chain of
    // loops, loaded with the most that fits in what is left, and what pads the rest.
    std::int64_t unitClocks = 1;
    std::int64_t units = 0;
    DelayPart fixed, chain, pad;
    // The times in those units of what the sums add: "LCALL 2", "DJNZ 2", ...
    std::vector<std::pair<std::string, std::int64_t>> times;
    std::vector<std::string> registers; // what the routine changes: "A", "PSW", "R7" ...
    DelayLoops loops;
    DelayPacing pacing; // a timer's delay: how its timer paces it
    DelayCall keilCall; // PerStep: Keil C51 passes n in R6:R7 (the A51 form)
    DelayCall sdccCall; // PerStep: SDCC passes it in DPH:DPL (the C and sdas8051 forms)

    const DelayCall& call(CodeLanguage language) const {
        return language == CodeLanguage::A51 ? keilCall : sdccCall;
    }
};

// Why no delay can be made: a core whose instruction timing is not known here, a delay shorter
// than the call and return allow or longer than the loops reach, a bad crystal. UTF-8, one
// sentence; empty when it can be made.
std::string delayProblem(const DelayRequest& request);
// The delay nearest the one asked (a tie to the even count). Of the chain's depths that make it,
// each loaded with the most it can take and padded with NOPs or a short loop in the fewest bytes,
// the one of the fewest bytes. Nothing when delayProblem() names a problem.
std::optional<DelayResult> planDelay(const DelayRequest& request);
// The routine's size in code memory in that language's form: SDCC's (C, sdas8051) moves n from
// DPH:DPL first, which Keil's (A51) needs not.
std::int32_t delayBytes(const DelayRequest& request, const DelayResult& result,
                        CodeLanguage language);
// The unit: C (SDCC's inline assembly, Keil C51's prototype), A51 or sdas8051, ASCII.
std::string delayCode(const DelayRequest& request, const DelayResult& result,
                      CodeLanguage language);

} // namespace tickora
