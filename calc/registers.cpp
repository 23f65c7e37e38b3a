#include "registers.h"

#include "calculator.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace tickora {
namespace {

std::string shortest(float value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

std::string fixed3(float value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      static_cast<double>(value), std::chars_format::fixed, 3);
    std::string text(buffer.data(), result.ptr);
    if (text == "-0.000") // as the error box shows it: no sign on zero
        text.erase(0, 1);
    return text;
}

} // namespace

std::string registerByteText(std::uint8_t value) {
    std::array<char, 8> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "0x%02X", unsigned{value});
    return buffer.data();
}

std::optional<TimerRegisters> splitRegisters(std::int32_t initValue, std::int32_t modeCount) {
    if (initValue < 0 || initValue >= modeCount)
        return std::nullopt;
    const auto value = static_cast<std::uint32_t>(initValue);
    switch (modeCount) {
    case Mode0:
        return TimerRegisters{static_cast<std::uint8_t>(value >> 5),
                              static_cast<std::uint8_t>(value & 0x1Fu), 0};
    case Mode1:
        return TimerRegisters{static_cast<std::uint8_t>(value >> 8),
                              static_cast<std::uint8_t>(value & 0xFFu), 1};
    case Mode2And3:
        return TimerRegisters{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value),
                              2};
    default:
        return std::nullopt;
    }
}

std::optional<std::string> timerInitCode(int timer, const TimerSetup& setup) {
    const auto registers = splitRegisters(setup.initValue, setup.modeCount);
    if (!registers || (timer != 0 && timer != 1))
        return std::nullopt;
    const std::string index = std::to_string(timer);
    const unsigned shift = timer == 0 ? 0 : 4;
    const std::string keepOther = timer == 0 ? "0xF0" : "0x0F";
    const std::string mode = std::to_string(registers->modeBits);

    return "TMOD = (TMOD & " + keepOther + ") | " +
           registerByteText(static_cast<std::uint8_t>(registers->modeBits << shift)) +
           ";  /* timer " + index + ", mode " + mode + " */\n" + "TH" + index + " = " +
           registerByteText(registers->th) + ";\n" + "TL" + index + " = " +
           registerByteText(registers->tl) + ";  /* " + shortest(setup.timeUs) + " us at " +
           shortest(setup.crystalMhz) + " MHz, error " + fixed3(setup.errorUs) + " us */\n";
}

} // namespace tickora
