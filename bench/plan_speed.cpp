// How long finding the plans takes at its worst: intervals up to a day, crystals up to 50 MHz,
// every family and clock. Prints the slowest case; not a test, as timings vary by machine.
#include "plan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

int main() {
    using namespace tickora;
    double worstMs = 0;
    const char* worstFamily = "";
    for (const ChipFamily& family : chipFamilies())
        for (const std::int32_t clock : family.clocks)
            for (const char* us : {"1000", "1000000", "37000000", "86400000000"})
                for (const char* mhz : {"11.0592", "12", "33.1776", "50"}) {
                    if (clock == 0)
                        continue;
                    double fastest = 1e9; // of three runs: what the search costs, not the machine
                    for (int run = 0; run < 3; ++run) {
                        const auto start = std::chrono::steady_clock::now();
                        planInterval({Exact::parse(us), Exact::parse(mhz), family, clock});
                        const std::chrono::duration<double, std::milli> took =
                            std::chrono::steady_clock::now() - start;
                        fastest = std::min(fastest, took.count());
                    }
                    if (fastest > worstMs)
                        worstMs = fastest, worstFamily = family.id.data();
                }
    std::printf("slowest plan: %.3f ms (%s)\n", worstMs, worstFamily);
    return 0;
}
