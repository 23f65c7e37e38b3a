// What no chip of the table runs at or sends: the tool windows and the command line refuse such
// a crystal or baud rate, each with one message, the same in both. Standard C++ only.
#pragma once

#include <string>

namespace tickora {

// A crystal from 1 kHz (a watch crystal's 32.768 kHz, a divided internal oscillator) to 1 GHz,
// far beyond any 8051.
inline constexpr double lowestCrystalMhz = 0.001;
inline constexpr double highestCrystalMhz = 1000;
// A rate from 1 baud to 100 Mbaud: a 1T generator dividing by 4 at 1 GHz gives 250 Mbaud, but no
// serial port of the table runs beyond a few.
inline constexpr double lowestBaud = 1;
inline constexpr double highestBaud = 100'000'000;

// Why the crystal (MHz) is refused, UTF-8: not above zero, or beyond the bounds; empty when it
// is within them.
std::string crystalProblem(double mhz);
// Why the baud rate is refused, UTF-8, the same way.
std::string baudRateProblem(double baud);

} // namespace tickora
