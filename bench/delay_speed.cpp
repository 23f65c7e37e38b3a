// How long the search for a delay's loops takes at its worst: every family and clock, fixed
// delays and steps from the shortest to a day, crystals up to 50 MHz. Prints the slowest case
// against the 5 ms it must stay within; not a test, as timings vary by machine.
#include "delay.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

int main() {
    using namespace tickora;
    double worstMs = 0;
    std::string worst;
    for (const ChipFamily& family : chipFamilies())
        for (const std::int32_t clock : family.clocks)
            for (const char* us : {"0.5", "1", "37", "1000", "65536.5", "1000000", "86400000000"})
                for (const char* mhz : {"1.8432", "11.0592", "12", "33.1776", "50"})
                    for (const DelayKind kind : {DelayKind::Fixed, DelayKind::PerStep}) {
                        if (clock == 0)
                            continue;
                        const DelayRequest request{Exact::parse(us), Exact::parse(mhz), family,
                                                   clock, kind};
                        double fastest = 1e9; // of three runs: what the search costs
                        for (int run = 0; run < 3; ++run) {
                            const auto start = std::chrono::steady_clock::now();
                            planDelay(request);
                            const std::chrono::duration<double, std::milli> took =
                                std::chrono::steady_clock::now() - start;
                            fastest = std::min(fastest, took.count());
                        }
                        if (fastest > worstMs)
                            worstMs = fastest, worst = std::string(family.id) + " " + us + " us";
                    }
    std::printf("slowest delay: %.3f ms (%s), limit 5 ms\n", worstMs, worst.c_str());
    return worstMs <= 5 ? 0 : 1;
}
