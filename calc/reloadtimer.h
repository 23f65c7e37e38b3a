// The register writes that drive a timer of one mode, 16-bit auto-reload (the STC15/STC8
// timers 2, 3 and 4), written once as data and printed as C or as assembly, so that a timer's
// unit and a serial port's uart_init() load and start it alike. Standard C++ only.
#pragma once

#include "chipfamily.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tickora {

struct RegisterWrite {
    enum class Op { Assign, Or, And };
    Op op;
    std::string reg;
    std::uint8_t value;
    std::string why; // said beside it; may be empty
};

// Stopped, counting clocks at 12T, then loaded: written while stopped, TxL and TxH set the
// reload as well as the count (STC8A8K64D4 manual, timer 2 and 4).
std::vector<RegisterWrite> stopAndLoad(const ReloadTimer& timer, std::int32_t reload);
// Started, at 1T where the timer clock is 1.
RegisterWrite startTimer(const ReloadTimer& timer, std::int32_t timerClock);
// Its interrupt enabled, or disabled where it only clocks a serial port.
RegisterWrite timerInterruptEnable(const ReloadTimer& timer, bool enable);

// Clocking a serial port: stopped and loaded, its interrupt off, started.
std::vector<RegisterWrite> portClockWrites(const ReloadTimer& timer, std::int32_t reload,
                                           std::int32_t timerClock);
// The same as C, a prescaler set to 1/1 before it starts.
std::string portClockLines(const ReloadTimer& timer, std::int32_t reload, std::int32_t timerClock);
// A UART2 to UART4 control register: 8 bits, variable rate, receiver on, clocked by the
// generator's timer; the flags cleared.
RegisterWrite portControl(const SerialPort& port, const BaudGenerator& generator);

// A prescaled timer's TMxPS, in extended RAM: P_SW2's EAXFR set for the write, then put back
// as it was. Written whatever its value, since a boot loader may have left another. Empty for a
// timer without one.
std::string prescalerLines(const ReloadTimer& timer, std::int32_t prescale);
// What a TMxPS value does: "one count every 32 timer clocks", or each clock undivided.
std::string countRateText(std::int32_t prescale);

// "    T4T3M |= 0x0A;  /* T3R, T3x12 = 1: 1T */\n"
std::string cStatement(const RegisterWrite& write);
std::string cStatements(const std::vector<RegisterWrite>& writes);

} // namespace tickora
