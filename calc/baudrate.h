// Baud rates of the 8051's serial port in mode 1 and the timer reloads that make them, and
// ready-to-paste C that sets the port up. Standard C++ only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tickora {

enum class BaudGenerator {
    Timer1Smod0, // timer 1 in mode 2 (8-bit auto-reload), PCON.SMOD clear
    Timer1Smod1, // the same with SMOD set, which doubles the rate
    Timer2,      // the 8052's timer 2 as a 16-bit auto-reload generator (RCAP2H/RCAP2L)
};

// Timer 2 clocks the port differently on each 1T part, so it is offered at 12T and 6T only.
bool generatorOffered(BaudGenerator generator, std::int32_t timerClock);

struct BaudSetting {
    std::int32_t reload; // TH1 (0 to 255) or RCAP2 (0 to 65535)
    double actualBaud;   // the rate that reload really produces
    double errorPercent; // (actual - wanted) / wanted x 100
};

// The reload nearest to the wanted rate, or nothing when that reload lies outside its register
// or the generator is not offered at this clock. Crystal in MHz, timer clock D = 12, 6 or 1.
std::optional<BaudSetting> baudSetting(BaudGenerator generator, double crystalMhz,
                                       std::int32_t timerClock, double baud);

struct BaudRequest {
    BaudGenerator generator;
    float crystalMhz;
    std::int32_t timerClock;
    double baud;
};

// An ASCII-only C function uart_init() for Keil C51 and SDCC that sets the serial port to mode 1
// (8 bits, receiver on) clocked by the generator with the setting's reload.
std::string baudInitCode(const BaudRequest& request, const BaudSetting& setting);

} // namespace tickora
