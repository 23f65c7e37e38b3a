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

namespace {

const char* const isrMacro = "#ifndef TIMER_ISR\n"
                             "#ifdef __SDCC\n"
                             "#define TIMER_ISR(vector) __interrupt(vector)\n"
                             "#else /* Keil C51 */\n"
                             "#define TIMER_ISR(vector) interrupt vector\n"
                             "#endif\n"
                             "#endif\n\n";

std::string headerComment(int timer, const TimerSetup& setup, std::uint8_t modeBits) {
    const char* const modeNames[] = {"13-bit", "16-bit", "8-bit auto-reload"};
    const char* const latency =
        modeBits == 2 ? "" : " * The cycles from the overflow to the reload add to each period.\n";
    return "/* Timer " + std::to_string(timer) + ", mode " + std::to_string(modeBits) + " (" +
           modeNames[modeBits] + "), " + std::to_string(setup.timerClock) +
           "T: " + shortest(setup.timeUs) + " us at " + shortest(setup.crystalMhz) +
           " MHz, error " + fixed3(setup.errorUs) + " us.\n" +
           timerClockNote(timer, setup.timerClock) + latency +
           " * Needs the chip's SFR header. */\n";
}

// THx and TLx loaded, indented as a statement of a function body.
std::string loadStatements(const std::string& x, const TimerRegisters& registers) {
    return "    TH" + x + " = " + registerByteText(registers.th) + ";\n    TL" + x + " = " +
           registerByteText(registers.tl) + ";\n";
}

} // namespace

std::string timerClockNote(int timer, std::int32_t timerClock) {
    const std::string index = std::to_string(timer);
    if (timerClock == Clock1T)
        return " * 1T: switch the timer to count every clock. STC12/STC15/STC8: set T" + index +
               "x12\n * in AUXR; N76E003: set T" + index + "M in CKCON.\n";
    if (timerClock == Clock6T)
        return " * 6T: STC89 parts count every 6 clocks once 6T (double speed) is chosen when\n"
               " * the chip is programmed.\n";
    return "";
}

std::optional<std::string> timerInitCode(int timer, const TimerSetup& setup) {
    const auto registers = splitRegisters(setup.initValue, setup.modeCount);
    if (!registers || (timer != 0 && timer != 1))
        return std::nullopt;
    const std::string x = std::to_string(timer);
    const unsigned shift = timer == 0 ? 0 : 4;
    const std::string keepOther = timer == 0 ? "0xF0" : "0x0F";
    const std::string modeBits =
        registerByteText(static_cast<std::uint8_t>(registers->modeBits << shift));
    const std::string reload =
        registers->modeBits == 2
            ? "    /* mode 2 reloads TL" + x + " from TH" + x + " by itself */\n"
            : "    /* mode " + std::to_string(registers->modeBits) +
                  " does not reload by itself */\n" + loadStatements(x, *registers);

    return headerComment(timer, setup, registers->modeBits) + isrMacro + "void timer" + x +
           "_init(void)\n{\n    TMOD = (TMOD & " + keepOther + ") | " + modeBits +
           ";  /* the other timer's bits kept */\n" + loadStatements(x, *registers) + "    TF" + x +
           " = 0;  /* no overflow pending */\n    ET" + x + " = 1;\n    EA = 1;\n    TR" + x +
           " = 1;  /* start */\n}\n\nvoid timer" + x + "_isr(void) TIMER_ISR(" +
           (timer == 0 ? "1" : "3") + ")\n{\n" + reload + "    /* your code, every " +
           shortest(setup.timeUs) + " us */\n}\n";
}

} // namespace tickora
