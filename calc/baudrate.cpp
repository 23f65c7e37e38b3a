#include "baudrate.h"

#include "assembly.h"
#include "registers.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace tickora {
namespace {

// Oscillator clocks per count of the generator, times the port's own divide by 16 or 32:
// baud = f / (clocks per reload count x counts per reload).
double clocksPerCount(const BaudGenerator& generator, std::int32_t timerClock) {
    switch (generator.scale) {
    case ClockScale::PerClock:
        return generator.divisor * timerClock;
    case ClockScale::PerMachineCycle:
        return generator.divisor * timerClock / 12.0;
    case ClockScale::None:
        break;
    }
    return generator.divisor;
}

double reloadRange(const BaudGenerator& generator) { return std::ldexp(1.0, generator.reloadBits); }

// Room for every digit of any double, so that no figure is cut short.
std::string formatted(const char* format, double value) {
    std::array<char, 400> text{};
    std::snprintf(text.data(), text.size(), format, value);
    return text.data();
}

// The header's note on a clock the code does not write.
std::string clockNote(const BaudRequest& request) {
    if (request.timerClock == 12 || !request.family.clockSwitch[1].reg.empty())
        return {};
    return std::string(request.family.slowClockNote);
}

} // namespace

std::optional<BaudSetting> baudSetting(const BaudGenerator& generator, double crystalMhz,
                                       std::int32_t timerClock, double baud) {
    if (!(crystalMhz > 0) || !(baud > 0) || !(timerClock > 0))
        return std::nullopt;
    const double perReload = crystalMhz * 1e6 / clocksPerCount(generator, timerClock);
    const double exact = perReload / baud, range = reloadRange(generator);
    if (!(std::nearbyint(exact) >= 1 && std::nearbyint(exact) <= range))
        return std::nullopt;
    // The nearer rate, not the nearer count: rates go as 1 / counts.
    double counts = std::max(1.0, std::floor(exact));
    if (counts < range &&
        std::abs(perReload / (counts + 1) - baud) < std::abs(perReload / counts - baud))
        ++counts;
    const double actual = perReload / counts;
    return BaudSetting{static_cast<std::int32_t>(range - counts), actual,
                       (actual - baud) / baud * 100};
}

double baudOfReload(const BaudGenerator& generator, double crystalMhz, std::int32_t timerClock,
                    std::int32_t reload) {
    return crystalMhz * 1e6 / clocksPerCount(generator, timerClock) /
           (reloadRange(generator) - reload);
}

std::string baudRemark(const ChipFamily& family, double crystalMhz, std::int32_t timerClock,
                       double baud, const std::optional<BaudSetting>& setting) {
    if (setting && isReliable(*setting))
        return {};
    const std::string remark = setting ? "误差过大" : "超出重装范围";
    for (const BaudGenerator& other : family.generators) {
        const auto instead = baudSetting(other, crystalMhz, timerClock, baud);
        if (instead && isReliable(*instead))
            return remark + "，可改用" + std::string(other.label);
    }
    return remark;
}

std::optional<std::string> baudInitCode(const BaudRequest& request, const BaudSetting& setting,
                                        CodeLanguage language) {
    if (language != CodeLanguage::C)
        return baudInitAssembly(request, setting, language);
    const BaudGeneratorCode code{request.family, request.generator, request.timerClock,
                                 setting.reload};
    const std::string body = "void uart_init(void)\n{\n" + std::string(request.family.uartSetup) +
                             "    SCON = 0x50;  /* mode 1: 8 bits, receiver on */\n" +
                             request.generator.initLines(code) + "}\n";
    return "/* UART mode 1, " + shortestText(request.baud) + " baud at " +
           shortestText(request.crystalMhz) + " MHz, " + std::to_string(request.timerClock) +
           "T: actual " + formatted("%.1f", setting.actualBaud) + " baud, error " +
           formatted("%+.2f", setting.errorPercent) + "% (actual - wanted).\n" +
           (isReliable(setting) ? ""
                                : " * WARNING: more than 2% off: the receiver may misread the "
                                  "last bits of a byte.\n") +
           clockNote(request) + " */\n" + sfrHeaderLines(request.family, body) + body;
}

} // namespace tickora
