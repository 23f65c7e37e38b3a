#include "baudrate.h"

#include "assembly.h"
#include "registers.h"
#include "reloadtimer.h"
#include "uses.h"

#include <algorithm>

namespace tickora {
namespace {

// Oscillator clocks per count of the generator, times the port's own divide by 16 or 32:
// baud = f / (clocks per reload count x counts per reload).
Exact clocksPerCount(const BaudGenerator& generator, std::int32_t timerClock) {
    switch (generator.scale) {
    case ClockScale::PerClock:
        return Exact(generator.divisor) * Exact(timerClock);
    case ClockScale::PerMachineCycle:
        return Exact(generator.divisor) * Exact(timerClock) / Exact(12);
    case ClockScale::None:
        break;
    }
    return Exact(generator.divisor);
}

std::int64_t reloadRange(const BaudGenerator& generator) {
    return std::int64_t{1} << generator.reloadBits;
}

Exact magnitude(const Exact& value) { return value.sign() < 0 ? -value : value; }

// "+0.16", "-25.00", "+0.00": the error's sign always shown, as the table shows it.
std::string signedFixed(const Exact& value, int decimals) {
    const std::string text = value.fixed(decimals);
    return text[0] == '-' ? text : "+" + text;
}

// The header's note on a clock the code does not write.
std::string clockNote(const BaudRequest& request) {
    if (request.timerClock == 12 || !request.family.clockSwitch[1].reg.empty())
        return {};
    return std::string(request.family.slowClockNote);
}

} // namespace

std::optional<BaudSetting> baudSetting(const BaudGenerator& generator, const Exact& crystalMhz,
                                       std::int32_t timerClock, const Exact& baud) {
    if (!(crystalMhz > Exact(0)) || !(baud > Exact(0)) || timerClock <= 0)
        return std::nullopt;
    const Exact perReload = crystalMhz * Exact(1'000'000) / clocksPerCount(generator, timerClock);
    const std::int64_t range = reloadRange(generator);
    const auto nearest = (perReload / baud).roundedToEven();
    if (!nearest || *nearest < 1 || *nearest > range)
        return std::nullopt;
    // The nearer rate, not the nearer count: rates go as 1 / counts.
    std::int64_t counts = std::max<std::int64_t>(1, *(perReload / baud).floor());
    if (counts < range && magnitude(perReload / Exact(counts + 1) - baud) <
                              magnitude(perReload / Exact(counts) - baud))
        ++counts;
    const Exact actual = perReload / Exact(counts);
    return BaudSetting{static_cast<std::int32_t>(range - counts), actual,
                       (actual - baud) / baud * Exact(100)};
}

Exact baudOfReload(const BaudGenerator& generator, const Exact& crystalMhz, std::int32_t timerClock,
                   std::int32_t reload) {
    return crystalMhz * Exact(1'000'000) / clocksPerCount(generator, timerClock) /
           Exact(reloadRange(generator) - reload);
}

std::string baudRemark(const ChipFamily& family, const Exact& crystalMhz, std::int32_t timerClock,
                       const Exact& baud, const std::optional<BaudSetting>& setting, int uart) {
    if (setting && isReliable(*setting))
        return {};
    const std::string remark = setting ? "误差过大" : "超出范围";
    for (const BaudGenerator& other : generatorsOf(family, uart)) {
        const auto instead = baudSetting(other, crystalMhz, timerClock, baud);
        if (instead && isReliable(*instead))
            return remark + "，可改用" + std::string(other.label);
    }
    return remark;
}

std::string portName(const BaudGenerator& generator) {
    return generator.uart == 1 ? "uart" : "uart" + std::to_string(generator.uart);
}

std::string portGeneratorLabel(const BaudGenerator& generator) {
    return "串口 " + std::to_string(generator.uart) + "：" + std::string(generator.label);
}

namespace {

// What the port is: UART1 in mode 1 (port null); UART2 to UART4 in their 8-bit mode, on the pins
// they have after reset.
std::string portHeading(const SerialPort* port) {
    return port ? "UART" + std::to_string(port->uart) + ", 8 bits" : "UART mode 1";
}

std::string pinsNote(const SerialPort* port) {
    if (!port)
        return {};
    return " * Pins " + std::string(port->pins) +
           ", as after reset: P_SW2 moves them; this\n"
           " * code leaves P_SW2 as it is.\n";
}

std::string portLines(const BaudRequest& request, const SerialPort* port) {
    if (!port)
        return std::string(request.family.uartSetup) +
               "    SCON = 0x50;  /* mode 1: 8 bits, receiver on */\n";
    return cStatement(portControl(*port, request.generator));
}

} // namespace

std::optional<std::string> baudInitCode(const BaudRequest& request, const BaudSetting& setting,
                                        CodeLanguage language) {
    if (language != CodeLanguage::C)
        return baudInitAssembly(request, setting, language);
    const BaudGeneratorCode code{request.family, request.generator, request.timerClock,
                                 setting.reload};
    const SerialPort* port = serialPort(request.family, request.generator.uart);
    const std::string body = "void " + portName(request.generator) + "_init(void)\n{\n" +
                             portLines(request, port) + request.generator.initLines(code) + "}\n";
    return "/* " + portHeading(port) + ", " + request.baud.text(9) + " baud at " +
           request.crystalMhz.text(6) + " MHz, " + std::to_string(request.timerClock) +
           "T: actual " + setting.actualBaud.fixed(1) + " baud, error " +
           signedFixed(setting.errorPercent, 2) + "% (actual - wanted).\n" +
           (isReliable(setting) ? ""
                                : " * WARNING: more than 2% off: the receiver may misread the "
                                  "last bits of a byte.\n") +
           baudUses(request.generator).headerLine() + clockNote(request) + pinsNote(port) +
           " */\n" + sfrHeaderLines(request.family, body) + body;
}

} // namespace tickora
