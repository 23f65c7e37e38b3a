#include "baudrate.h"

#include "calculator.h"
#include "registers.h"

#include <cmath>
#include <cstdio>

namespace tickora {
namespace {

// Oscillator clocks per count of the generator, times the port's own divide by 16 or 32:
// baud = f / (divisor x counts per reload).
double divisor(BaudGenerator generator, std::int32_t timerClock) {
    switch (generator) {
    case BaudGenerator::Timer1Smod0:
        return 32.0 * timerClock;
    case BaudGenerator::Timer1Smod1:
        return 16.0 * timerClock;
    case BaudGenerator::Timer2:
        return timerClock == Clock6T ? 16.0 : 32.0;
    }
    return 0;
}

std::string formatted(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string timer1Lines(const BaudRequest& request, const BaudSetting& setting) {
    const std::string reload = registerByteText(static_cast<std::uint8_t>(setting.reload));
    const bool smod = request.generator == BaudGenerator::Timer1Smod1;
    return "    TMOD = (TMOD & 0x0F) | 0x20;  /* timer 1 mode 2, timer 0's bits kept */\n"
           "    TH1 = " +
           reload + ";\n    TL1 = " + reload + ";\n" +
           (smod ? "    PCON |= 0x80;  /* SMOD = 1: double rate */\n"
                 : "    PCON &= 0x7F;  /* SMOD = 0 */\n") +
           "    TR1 = 1;\n";
}

std::string timer2Lines(const BaudSetting& setting) {
    const std::string high = registerByteText(static_cast<std::uint8_t>(setting.reload >> 8));
    const std::string low = registerByteText(static_cast<std::uint8_t>(setting.reload));
    return "    T2CON = 0x30;  /* RCLK and TCLK: timer 2 clocks the port */\n"
           "    RCAP2H = " +
           high + ";\n    RCAP2L = " + low + ";\n    TH2 = " + high + ";\n    TL2 = " + low +
           ";\n    TR2 = 1;\n";
}

} // namespace

bool generatorOffered(BaudGenerator generator, std::int32_t timerClock) {
    return generator != BaudGenerator::Timer2 || timerClock != Clock1T;
}

std::optional<BaudSetting> baudSetting(BaudGenerator generator, double crystalMhz,
                                       std::int32_t timerClock, double baud) {
    if (!generatorOffered(generator, timerClock) || !(crystalMhz > 0) || !(baud > 0))
        return std::nullopt;
    const double perReload = crystalMhz * 1e6 / divisor(generator, timerClock);
    const double counts = std::nearbyint(perReload / baud);
    const double range = generator == BaudGenerator::Timer2 ? 65536 : 256;
    if (!(counts >= 1 && counts <= range))
        return std::nullopt;
    const double actual = perReload / counts;
    return BaudSetting{static_cast<std::int32_t>(range - counts), actual,
                       (actual - baud) / baud * 100};
}

std::string baudInitCode(const BaudRequest& request, const BaudSetting& setting) {
    const bool timer2 = request.generator == BaudGenerator::Timer2;
    return "/* UART mode 1, " + formatted("%g", request.baud) + " baud at " +
           formatted("%g", request.crystalMhz) + " MHz, " + std::to_string(request.timerClock) +
           "T: actual " + formatted("%.1f", setting.actualBaud) + " baud, error " +
           formatted("%+.2f", setting.errorPercent) + "%.\n" +
           timerClockNote(timer2 ? 2 : 1, request.timerClock) +
           (timer2 ? " * Timer 2 is the 8052's: needs its SFR header (reg52.h, 8052.h). */\n"
                   : " * Needs the chip's SFR header. */\n") +
           "void uart_init(void)\n{\n    SCON = 0x50;  /* mode 1: 8 bits, receiver on */\n" +
           (timer2 ? timer2Lines(setting) : timer1Lines(request, setting)) + "}\n";
}

} // namespace tickora
