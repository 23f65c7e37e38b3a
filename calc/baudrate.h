// Baud rates of the 8051's serial port in mode 1 and the generator reloads that make them, and
// ready-to-paste C that sets the port up. The generators themselves are rows of the chip-family
// table. Standard C++ only.
#pragma once

#include "chipfamily.h"
#include "codelanguage.h"
#include "exact.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tickora {

// Worked exactly from the typed crystal and rate, so that each figure is rounded once, when it is
// shown.
struct BaudSetting {
    std::int32_t reload; // the generator's reload register, 0 to 255 or 0 to 65535
    Exact actualBaud;    // the rate that reload really produces
    Exact errorPercent;  // (actual - wanted) / wanted x 100
};

// Beyond about 2 % the receiver samples the wrong bit by the end of a frame.
inline constexpr std::int64_t reliableBaudErrorPercent = 2;
inline bool isReliable(const BaudSetting& setting) {
    return setting.errorPercent <= Exact(reliableBaudErrorPercent) &&
           setting.errorPercent >= Exact(-reliableBaudErrorPercent);
}
// A row's setting, which no reload may have given.
inline bool isReliable(const std::optional<BaudSetting>& setting) {
    return setting && isReliable(*setting);
}

// The rates a baud table lists before the user's own.
inline constexpr std::int64_t standardBaudRates[] = {1200,  2400,  4800,  9600,  14400,
                                                     19200, 38400, 57600, 115200};

// Of the two reloads around the wanted rate, the one whose rate is nearer; nothing when the
// nearest count lies outside the register. Crystal in MHz, timer clock D = 12, 6 or 1.
std::optional<BaudSetting> baudSetting(const BaudGenerator& generator, const Exact& crystalMhz,
                                       std::int32_t timerClock, const Exact& baud);

// The rate a reload gives: for reading a register back.
Exact baudOfReload(const BaudGenerator& generator, const Exact& crystalMhz, std::int32_t timerClock,
                   std::int32_t reload);

// Why a rate's setting is not usable as it is (none, or beyond 2 %), and which of the generators
// of the family's port serves the rate within 2 % instead: "误差过大，可改用定时器 1，SMOD = 1".
// Empty for a usable setting. UTF-8.
std::string baudRemark(const ChipFamily& family, const Exact& crystalMhz, std::int32_t timerClock,
                       const Exact& baud, const std::optional<BaudSetting>& setting, int uart = 1);

struct BaudRequest {
    const ChipFamily& family;
    const BaudGenerator& generator;
    Exact crystalMhz; // as typed
    std::int32_t timerClock;
    Exact baud; // as typed
};

// "uart" for UART1, "uart3" for UART3: the name its function and assembly module start with.
std::string portName(const BaudGenerator& generator);
// The port and the generator, as the windows and the command line name them, UTF-8:
// "串口 3：定时器 2".
std::string portGeneratorLabel(const BaudGenerator& generator);

// An ASCII-only C function uart_init() for Keil C51 and SDCC that sets the serial port to mode 1
// (8 bits, receiver on) clocked by the generator with the setting's reload; uart2_init() to
// uart4_init() the same for UART2 to UART4, on their own registers. Nothing in a language
// the family is not written in (languageProblem).
std::optional<std::string> baudInitCode(const BaudRequest& request, const BaudSetting& setting,
                                        CodeLanguage language = CodeLanguage::C);

} // namespace tickora
