#include "wave.h"

#include "asmunit.h"
#include "bounds.h"
#include "registers.h"
#include "reloadtimer.h"
#include "uses.h"

#include <algorithm>
#include <tuple>

namespace tickora {
namespace {

using Kind = AsmLine::Kind;

// The clock-output enable register, declared by the unit itself under a name of its own: the
// vendors' headers name it differently (INT_CLKO, INTCLKO) or not at all (SDCC's).
constexpr std::string_view enableName = "WAVE_OUT";

Exact magnitude(const Exact& value) { return value.sign() < 0 ? -value : value; }

// The counts of the half period whose wave is nearest the frequency asked: of the whole counts
// either side of the exact one, the nearer in frequency (waves go as 1 / counts).
struct Nearest {
    std::int64_t counts;
    bool tie;
};
std::optional<Nearest> nearestCounts(const Exact& rateHz, const Exact& frequencyHz,
                                     std::int64_t range) {
    const Exact exact = rateHz / (Exact(2) * frequencyHz);
    const auto below = exact.floor();
    // Within half a count of the range: beyond, the wave is another's.
    if (!below || exact * Exact(2) < Exact(1) || exact * Exact(2) > Exact(2 * range + 1))
        return std::nullopt;
    const auto waveOf = [&](std::int64_t counts) { return rateHz / Exact(2 * counts); };
    std::optional<Nearest> best;
    for (const std::int64_t counts : {*below, *below + 1}) {
        if (counts < 1 || counts > range)
            continue;
        if (!best) {
            best = Nearest{counts, false};
            continue;
        }
        const Exact was = magnitude(waveOf(best->counts) - frequencyHz),
                    now = magnitude(waveOf(counts) - frequencyHz);
        if (now < was)
            best = Nearest{counts, false};
        else if (now == was)
            best->tie = true; // the shorter count kept
    }
    if (best && exact == Exact(best->counts))
        best->tie = false;
    return best;
}

std::string number(std::int64_t value) { return std::to_string(value); }

// The way's figures from its counts; a problem where no count of its range reaches the wave.
WaveWay figured(WaveWay way, const WaveRequest& request, const Exact& rateHz, std::int64_t range) {
    const auto nearest = nearestCounts(rateHz, request.frequencyHz, range);
    if (!nearest) {
        const Exact lowest = rateHz / Exact(2 * range), highest = rateHz / Exact(2);
        way.problem = request.frequencyHz < lowest ? "频率太低：最低 " + lowest.fixed(3) + " Hz"
                                                   : "频率太高：最高 " + highest.fixed(3) + " Hz";
        return way;
    }
    way.counts = nearest->counts;
    way.tie = nearest->tie;
    way.reload = std::int32_t(range - way.counts);
    way.achievedHz = rateHz / Exact(2 * way.counts);
    way.errorPercent = (way.achievedHz - request.frequencyHz) / request.frequencyHz * Exact(100);
    way.exact = way.errorPercent.sign() == 0 && !way.drifts;
    return way;
}

Exact hzOf(const Exact& mhz) { return mhz * Exact(1'000'000); }

std::vector<WaveWay> clockOutputWays(const WaveRequest& request) {
    std::vector<WaveWay> ways;
    const ChipFamily& family = request.family;
    if (family.clockOutputsAt != 0 && family.clockOutputsAt != request.clock)
        return ways;
    for (const ClockOutput& output : family.clockOutputs) {
        const std::int32_t perCount =
            output.clocksACount != 0 ? output.clocksACount : request.clock;
        WaveWay way{output.timer, true, output.kind};
        way.label = "定时器 " + number(output.timer) + " 时钟输出";
        way.pin = output.pin;
        ways.push_back(figured(way, request, hzOf(request.crystalMhz) / Exact(perCount),
                               countsOf(output.kind)));
    }
    return ways;
}

// A timer's routine toggling P1.0 every half period: the timers and modes the plans offer.
std::vector<WaveWay> interruptWays(const WaveRequest& request) {
    std::vector<WaveWay> ways;
    const ChipFamily& family = request.family;
    for (const TickTimer& timer : family.tickTimers) {
        WaveWay way{timer.timer, false, timer.kind, timer.mode};
        way.label = std::string(timer.label) + " 中断";
        way.pin = "P1.0";
        way.drifts = reloadsLate(family, timer.kind);
        way = figured(way, request, hzOf(request.crystalMhz) / Exact(request.clock),
                      countsOf(timer.kind));
        const std::int64_t fewest = minimumRoutineCounts(family, request.clock, timer.kind);
        if (way.problem.empty() && way.counts < fewest)
            way.problem = "半周期太短：中断程序至少要 " + number(fewest) + " 个计数";
        ways.push_back(way);
    }
    return ways;
}

} // namespace

std::string waveProblem(const WaveRequest& request) {
    if (std::string crystal = crystalProblem(request.crystalMhz.toDouble()); !crystal.empty())
        return crystal;
    if (!request.frequencyHz.valid() || request.frequencyHz.sign() <= 0)
        return "请输入有效的频率";
    if (!offersClock(request.family, request.clock))
        return "该芯片没有这种时钟";
    return {};
}

std::vector<WaveWay> waveWays(const WaveRequest& request) {
    if (!waveProblem(request).empty())
        return {};
    std::vector<WaveWay> ways = clockOutputWays(request);
    for (const WaveWay& way : interruptWays(request))
        ways.push_back(way);
    // Those that make a wave; of them exact ones, then the smaller error, then no CPU time; a
    // routine that reloads late and drifts last of all.
    const auto rank = [](const WaveWay& way) {
        return std::make_tuple(!way.problem.empty(), way.drifts, !way.exact,
                               magnitude(way.errorPercent), !way.clockOutput);
    };
    std::stable_sort(ways.begin(), ways.end(),
                     [&](const WaveWay& a, const WaveWay& b) { return rank(a) < rank(b); });
    return ways;
}

namespace {

std::string byteText(std::int64_t value) {
    return registerByteText(static_cast<std::uint8_t>(value));
}

// The unit's header, without comment marks: what was asked and achieved, how, and the pin.
std::vector<std::string> headerLines(const WaveRequest& request, const WaveWay& way,
                                     std::string_view source, bool c) {
    const std::string error = way.errorPercent.fixed(3);
    std::vector<std::string> lines{
        "Square wave on " + way.pin + ": " + request.frequencyHz.text(6) + " Hz asked at " +
            request.crystalMhz.text(6) + " MHz, " + way.achievedHz.fixed(3) + " Hz achieved,",
        "error " + std::string(error[0] == '-' ? "" : "+") + error + " % (achieved - asked); " +
            number(way.counts) + " counts a half period.",
        way.clockOutput
            ? "Timer " + number(way.timer) +
                  " toggles the pin itself at each overflow: no CPU time (" + std::string(source) +
                  ")."
            : "Timer " + number(way.timer) + "'s routine toggles the pin at each overflow (" +
                  (c ? "WAVE_PIN" : "the CPL") + " below; any pin will do).",
        "The pin is left in the mode reset gives it; where that is an input (the N76E003, some "
        "STC8 parts), set it to push-pull first."};
    if (way.drifts)
        lines.push_back("The routine reloads after the overflow on this 1T core: each half period "
                        "runs a few clocks long.");
    return lines;
}

// Timer 0 or 1 in its auto-reload mode, or a timer of one mode, its clock output enabled.
struct Output {
    const ClockOutput* row;
    const ReloadTimer* oneMode;
};

Output outputOf(const ChipFamily& family, int timer) {
    for (const ClockOutput& row : family.clockOutputs)
        if (row.timer == timer)
            return {&row, reloadTimer(family, timer)};
    return {nullptr, nullptr};
}

// The enable register as the unit names it: T4T3M, which every header has, or its own name.
std::string enableRegister(const ClockOutput& row) {
    return row.reg == "T4T3M" ? "T4T3M" : std::string(enableName);
}

// The clock output's writes in C.
std::string outputInitC(const WaveRequest& request, const WaveWay& way, const Output& out) {
    const std::string x = number(way.timer), reg = enableRegister(*out.row);
    const std::string enable = "    " + reg + " |= " + byteText(out.row->enable) + ";  /* " +
                               std::string(out.row->reg) + ": " + way.pin +
                               " toggles at each overflow */\n";
    if (way.timer == 2 && !out.oneMode) // the 8052's timer 2: through T2MOD and RCAP2
        return "    T2CON = 0x00;  /* stopped, 16-bit auto-reload, counting clocks */\n"
               "    ET2 = 0;  /* no interrupt: the pin toggles by itself */\n    " +
               reg +
               " = 0x02;  /* T2MOD: T2OE, P1.0 the clock output; DCEN clear */\n    RCAP2H = " +
               byteText(way.reload >> 8) + ";\n    RCAP2L = " + byteText(way.reload) +
               ";\n    TH2 = " + byteText(way.reload >> 8) +
               ";\n    TL2 = " + byteText(way.reload) + ";\n    T2CON = 0x04;  /* TR2: start */\n";
    if (out.oneMode)
        return cStatements(stopAndLoad(*out.oneMode, way.reload)) +
               cStatement(timerInterruptEnable(*out.oneMode, false)) + enable +
               cStatement(startTimer(*out.oneMode, request.clock));
    const bool wide = way.kind == TimerKind::Reload16;
    const ChipFamily& family = request.family;
    return "    TR" + x + " = 0;  /* stopped, so TH" + x + "/TL" + x + " also set the reload */\n" +
           "    ET" + x +
           " = 0;  /* no interrupt: the pin toggles by itself */\n    TMOD = (TMOD & " +
           byteText(way.timer == 0 ? 0xF0 : 0x0F) + ") | " +
           byteText((wide ? 0 : 2) << (4 * way.timer)) + ";  /* " +
           (wide ? "mode 0: 16-bit auto-reload" : "mode 2: 8-bit auto-reload") +
           ", the other timer kept */\n" +
           clockSwitchLine(family.clockSwitch[way.timer], request.clock) + "    TL" + x + " = " +
           byteText(way.reload) + ";\n    TH" + x + " = " +
           byteText(wide ? way.reload >> 8 : way.reload) + ";\n" + enable + "    TR" + x +
           " = 1;\n";
}

// The same in assembly.
void outputInitAsm(AsmUnit& unit, const WaveRequest& request, const WaveWay& way,
                   const Output& out) {
    const std::string x = number(way.timer), reg = enableRegister(*out.row);
    const auto enable = [&] {
        unit.op("ORL", {sfr(reg), imm(out.row->enable)},
                std::string(out.row->reg) + ": " + way.pin + " toggles at each overflow");
    };
    const auto write = [&unit](const std::vector<RegisterWrite>& writes) {
        static constexpr const char* mnemonics[] = {"MOV", "ORL", "ANL"};
        for (const RegisterWrite& each : writes)
            unit.op(mnemonics[int(each.op)], {sfr(each.reg), imm(each.value)}, each.why);
    };
    if (way.timer == 2 && !out.oneMode) {
        unit.op("MOV", {sfr("T2CON"), imm(0)}, "stopped, 16-bit auto-reload, counting clocks");
        unit.op("CLR", {bit("ET2")}, "no interrupt: the pin toggles by itself");
        unit.op("MOV", {sfr(reg), imm(0x02)}, "T2MOD: T2OE, P1.0 the clock output; DCEN clear");
        for (const auto& [name, value] :
             {std::pair{"RCAP2H", way.reload >> 8}, std::pair{"RCAP2L", way.reload},
              std::pair{"TH2", way.reload >> 8}, std::pair{"TL2", way.reload}})
            unit.op("MOV", {sfr(name), imm(value)});
        unit.op("MOV", {sfr("T2CON"), imm(0x04)}, "TR2: start");
        return;
    }
    if (out.oneMode) {
        write(stopAndLoad(*out.oneMode, way.reload));
        write({timerInterruptEnable(*out.oneMode, false)});
        enable();
        write({startTimer(*out.oneMode, request.clock)});
        return;
    }
    const bool wide = way.kind == TimerKind::Reload16;
    unit.op("CLR", {bit("TR" + x)}, "stopped, so TH" + x + "/TL" + x + " also set the reload");
    unit.op("CLR", {bit("ET" + x)}, "no interrupt: the pin toggles by itself");
    unit.op("MOV", {acc(), sfr("TMOD")});
    unit.op("ANL", {acc(), imm(way.timer == 0 ? 0xF0 : 0x0F)}, "the other timer kept");
    unit.op("ORL", {acc(), imm((wide ? 0 : 2) << (4 * way.timer))},
            wide ? "mode 0: 16-bit auto-reload" : "mode 2: 8-bit auto-reload");
    unit.op("MOV", {sfr("TMOD"), acc()});
    const ClockSwitch& sw = request.family.clockSwitch[way.timer];
    if (!sw.reg.empty())
        unit.op(request.clock == 1 ? "ORL" : "ANL",
                {sfr(std::string(sw.reg)), imm(request.clock == 1 ? sw.mask : ~sw.mask)},
                std::string(sw.bitName) + (request.clock == 1 ? " = 1: 1T" : " = 0: 12T"));
    unit.op("MOV", {sfr("TL" + x), imm(way.reload)});
    unit.op("MOV", {sfr("TH" + x), imm(wide ? way.reload >> 8 : way.reload)});
    enable();
    unit.op("SETB", {bit("TR" + x)});
}

std::string commented(const std::vector<std::string>& lines, bool c) {
    std::string text = c ? "/* " : "";
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (c ? (i == 0 ? "" : " * ") : "; ") + lines[i] + "\n";
    return text + (c ? " */\n" : "");
}

std::string clockOutputCode(const WaveRequest& request, const WaveWay& way, CodeLanguage language) {
    const Output out = outputOf(request.family, way.timer);
    std::vector<std::string> header =
        headerLines(request, way, out.row->source, language == CodeLanguage::C);
    header.push_back(UnitUses{way.timer, -1, {}}.text());
    const std::uint8_t address = out.row->address;
    if (language == CodeLanguage::C) {
        const std::string body =
            "void wave_init(void)\n{\n" + outputInitC(request, way, out) + "}\n";
        const std::string own = enableRegister(*out.row) == enableName
                                    ? "#ifdef __SDCC\n__sfr __at(" + byteText(address) + ") " +
                                          std::string(enableName) + ";  /* " +
                                          std::string(out.row->reg) + " */\n#else\nsfr " +
                                          std::string(enableName) + " = " + byteText(address) +
                                          ";  /* " + std::string(out.row->reg) + " */\n#endif\n\n"
                                    : "";
        return commented(header, true) + sfrHeaderLines(request.family, body) + own + body;
    }
    AsmUnit unit{"wave", commented(header, false), &request.family, {}, {{enableName, address}}};
    unit.add(Kind::Public, "wave_init");
    unit.add(Kind::Code);
    unit.add(Kind::Label, "wave_init");
    outputInitAsm(unit, request, way, out);
    unit.op("RET");
    return renderAssembly(unit, language);
}

} // namespace

std::optional<std::string> waveCode(const WaveRequest& request, const WaveWay& way,
                                    CodeLanguage language) {
    if (!way.problem.empty() || !languageProblem(request.family, language).empty())
        return std::nullopt;
    if (way.clockOutput)
        return clockOutputCode(request, way, language);
    // A timer unit whose routine toggles the pin every half period.
    const bool oneMode = way.mode < 0;
    TimerSetup setup{way.reload,
                     std::max(way.mode, 0),
                     Exact(500'000) / request.frequencyHz,
                     request.crystalMhz,
                     request.clock,
                     &request.family,
                     1,
                     oneMode ? countsOf(way.kind) : 0};
    setup.toggles = true;
    const auto unit = timerInitCode(way.timer, setup, language);
    if (!unit)
        return std::nullopt;
    const bool c = language == CodeLanguage::C;
    return commented(headerLines(request, way, {}, c), c) + *unit;
}

} // namespace tickora
