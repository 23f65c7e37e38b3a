#include "registers.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace tickora {
namespace {

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

std::string shortestText(float value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    return {buffer.data(), result.ptr};
}

std::string registerByteText(std::uint8_t value) {
    std::array<char, 8> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "0x%02X", unsigned{value});
    return buffer.data();
}

std::optional<TimerRegisters> splitRegisters(std::int32_t initValue, const TimerMode& mode) {
    if (initValue < 0 || initValue >= countsOf(mode.kind))
        return std::nullopt;
    const auto value = static_cast<std::uint32_t>(initValue);
    const auto byte = [](std::uint32_t bits) { return static_cast<std::uint8_t>(bits); };
    switch (mode.kind) {
    case TimerKind::Count13:
        return TimerRegisters{byte(value >> 5), byte(value & 0x1Fu), mode.bits};
    case TimerKind::Reload8:
        return TimerRegisters{byte(value), byte(value), mode.bits};
    case TimerKind::Count16:
    case TimerKind::Reload16:
        break;
    }
    return TimerRegisters{byte(value >> 8), byte(value & 0xFFu), mode.bits};
}

namespace {

const char* const isrMacro = "#ifndef TIMER_ISR\n"
                             "#ifdef __SDCC\n"
                             "#define TIMER_ISR(vector) __interrupt(vector)\n"
                             "#else /* Keil C51 */\n"
                             "#define TIMER_ISR(vector) interrupt vector\n"
                             "#endif\n"
                             "#endif\n\n";

const char* kindName(TimerKind kind) {
    switch (kind) {
    case TimerKind::Count13:
        return "13-bit";
    case TimerKind::Count16:
        return "16-bit";
    case TimerKind::Reload16:
        return "16-bit auto-reload";
    case TimerKind::Reload8:
        break;
    }
    return "8-bit auto-reload";
}

// A clock the code cannot switch (chosen when the chip is programmed) is said in the header.
std::string clockNote(int timer, const TimerSetup& setup) {
    const bool switched = !setup.family->clockSwitch[timer].reg.empty();
    return setup.timerClock == 12 || switched ? "" : std::string(setup.family->slowClockNote);
}

std::string headerComment(int timer, const TimerSetup& setup) {
    const TimerMode& mode = setup.timerMode();
    const char* const latency = reloadsItself(mode.kind)
                                    ? ""
                                    : " * The cycles from the overflow to the reload add to each "
                                      "period.\n";
    const std::string header = setup.family->header.empty()
                                   ? "the chip's SFR header"
                                   : "the SFR header " + std::string(setup.family->header);
    return "/* Timer " + std::to_string(timer) + ", mode " + std::to_string(mode.bits) + " (" +
           kindName(mode.kind) + "), " + std::to_string(setup.timerClock) +
           "T: " + shortestText(setup.timeUs) + " us at " + shortestText(setup.crystalMhz) +
           " MHz, error " + fixed3(setup.errorUs) + " us.\n" + clockNote(timer, setup) + latency +
           " * Needs " + header + ". */\n";
}

// THx and TLx loaded, indented as a statement of a function body.
std::string loadStatements(const std::string& x, const TimerRegisters& registers) {
    return "    TH" + x + " = " + registerByteText(registers.th) + ";\n    TL" + x + " = " +
           registerByteText(registers.tl) + ";\n";
}

std::string initBody(int timer, const TimerSetup& setup, const TimerRegisters& registers) {
    const std::string x = std::to_string(timer);
    const unsigned shift = timer == 0 ? 0 : 4;
    const std::string stop = setup.timerMode().kind == TimerKind::Reload16
                                 ? "    TR" + x + " = 0;  /* stopped, so TH" + x + "/TL" + x +
                                       " also set the reload */\n"
                                 : "";
    return "    TMOD = (TMOD & " + std::string(timer == 0 ? "0xF0" : "0x0F") + ") | " +
           registerByteText(static_cast<std::uint8_t>(registers.modeBits << shift)) +
           ";  /* the other timer's bits kept */\n" +
           clockSwitchLine(setup.family->clockSwitch[timer], setup.timerClock) + stop +
           loadStatements(x, registers) + "    TF" + x +
           " = 0;  /* no overflow pending */\n    ET" + x + " = 1;\n    EA = 1;\n    TR" + x +
           " = 1;  /* start */\n";
}

std::string routineReload(int timer, const TimerSetup& setup, const TimerRegisters& registers) {
    const std::string x = std::to_string(timer), m = std::to_string(registers.modeBits);
    switch (setup.timerMode().kind) {
    case TimerKind::Reload8:
        return "    /* mode 2 reloads TL" + x + " from TH" + x + " by itself */\n";
    case TimerKind::Reload16:
        return "    /* mode " + m + " reloads TH" + x + ":TL" + x + " by itself */\n";
    case TimerKind::Count13:
    case TimerKind::Count16:
        break;
    }
    return "    /* mode " + m + " does not reload by itself */\n" + loadStatements(x, registers);
}

} // namespace

std::optional<std::string> timerInitCode(int timer, const TimerSetup& setup) {
    if ((timer != 0 && timer != 1) || setup.mode < 0 || setup.mode > 2)
        return std::nullopt;
    const auto registers = splitRegisters(setup.initValue, setup.timerMode());
    if (!registers)
        return std::nullopt;
    const std::string x = std::to_string(timer);
    return headerComment(timer, setup) + isrMacro + "void timer" + x + "_init(void)\n{\n" +
           initBody(timer, setup, *registers) + "}\n\nvoid timer" + x + "_isr(void) TIMER_ISR(" +
           (timer == 0 ? "1" : "3") + ")\n{\n" + routineReload(timer, setup, *registers) +
           "    /* your code, every " + shortestText(setup.timeUs) + " us */\n}\n";
}

} // namespace tickora
