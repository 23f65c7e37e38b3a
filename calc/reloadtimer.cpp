#include "reloadtimer.h"

#include "registers.h"

namespace tickora {
namespace {

std::string named(const char* prefix, int timer, const char* suffix) {
    return prefix + std::to_string(timer) + suffix;
}

} // namespace

std::vector<RegisterWrite> stopAndLoad(const ReloadTimer& timer, std::int32_t reload) {
    const auto stopMask = static_cast<std::uint8_t>(~(timer.run | timer.counter | timer.fast));
    return {
        {RegisterWrite::Op::And, std::string(timer.control), stopMask,
         named("timer ", timer.timer, " stopped, counting clocks at 12T")},
        {RegisterWrite::Op::Assign, std::string(timer.low), static_cast<std::uint8_t>(reload), {}},
        {RegisterWrite::Op::Assign,
         std::string(timer.high),
         static_cast<std::uint8_t>(reload >> 8),
         {}}};
}

RegisterWrite startTimer(const ReloadTimer& timer, std::int32_t timerClock) {
    const bool fast = timerClock == 1;
    return {RegisterWrite::Op::Or, std::string(timer.control),
            static_cast<std::uint8_t>(timer.run | (fast ? timer.fast : 0)),
            named("T", timer.timer, fast ? "R, T" : "R") +
                (fast ? named("", timer.timer, "x12 = 1: 1T") : "")};
}

RegisterWrite timerInterruptEnable(const ReloadTimer& timer, bool enable) {
    return {enable ? RegisterWrite::Op::Or : RegisterWrite::Op::And, "IE2",
            static_cast<std::uint8_t>(enable ? timer.enable : ~timer.enable),
            enable ? named("ET", timer.timer, "")
                   : named("ET", timer.timer, " = 0: it only clocks the port")};
}

std::vector<RegisterWrite> portClockWrites(const ReloadTimer& timer, std::int32_t reload,
                                           std::int32_t timerClock) {
    std::vector<RegisterWrite> writes = stopAndLoad(timer, reload);
    writes.push_back(timerInterruptEnable(timer, false));
    writes.push_back(startTimer(timer, timerClock));
    return writes;
}

// SxCON: SxSM0 (bit 7) clear for 8 bits, SxREN bit 4; S3ST3/S4ST4 bit 6 set takes the port's
// own timer, clear timer 2 (STC8Hxxx.h, STC15Fxxxx.H).
RegisterWrite portControl(const SerialPort& port, const BaudGenerator& generator) {
    const bool own = generator.timer != 2;
    const std::string clock = port.ownTimerBit.empty()
                                  ? "timer 2 clocks it"
                                  : std::string(port.ownTimerBit) +
                                        (own ? " = 1: timer " : " = 0: timer ") +
                                        std::to_string(generator.timer) + " clocks it";
    return {RegisterWrite::Op::Assign, std::string(port.control),
            static_cast<std::uint8_t>(0x10 | (own ? port.ownTimerSelect : 0)),
            "8 bits, variable rate, receiver on; " + clock};
}

std::string countRateText(std::int32_t prescale) {
    return prescale == 0 ? "one count each timer clock"
                         : "one count every " + std::to_string(prescale + 1) + " timer clocks";
}

std::string prescalerLines(const ReloadTimer& timer, std::int32_t prescale) {
    if (timer.prescaler == 0)
        return {};
    const std::string name(timer.prescalerName);
    return "    {   /* " + name +
           " is in extended RAM: P_SW2's EAXFR opens it, then is put back */\n"
           "        unsigned char eaxfr = P_SW2;\n"
           "        P_SW2 = eaxfr | 0x80;\n"
           "        " +
           name + " = " + registerByteText(static_cast<std::uint8_t>(prescale)) + ";  /* " +
           countRateText(prescale) +
           " */\n"
           "        P_SW2 = eaxfr;\n    }\n";
}

std::string portClockLines(const ReloadTimer& timer, std::int32_t reload, std::int32_t timerClock) {
    const std::vector<RegisterWrite> writes = portClockWrites(timer, reload, timerClock);
    return cStatements({writes.begin(), writes.end() - 1}) + prescalerLines(timer, 0) +
           cStatement(writes.back());
}

std::string cStatement(const RegisterWrite& write) {
    static constexpr const char* operators[] = {" = ", " |= ", " &= "};
    return "    " + write.reg + operators[static_cast<int>(write.op)] +
           registerByteText(write.value) + ";" +
           (write.why.empty() ? "" : "  /* " + write.why + " */") + "\n";
}

std::string cStatements(const std::vector<RegisterWrite>& writes) {
    std::string text;
    for (const RegisterWrite& write : writes)
        text += cStatement(write);
    return text;
}

} // namespace tickora
