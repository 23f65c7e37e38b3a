#include "timerdelay.h"

#include "bounds.h"
#include "delayparts.h"

#include <algorithm>

namespace tickora {
namespace {

using delayparts::instruction;
using Kind = AsmLine::Kind;
using Lines = std::vector<AsmLine>;

// The poll sees the flag as it stands at the end of the JNB, and the reading takes the timer's
// count at the end of the MOV (what s51 shows of the classic core; on a 1T core the same is
// assumed): a JNB begun up to its own length before the overflow sees it.
// Ticks between overflows at the least: time for the loop to clear the flag, count and poll again.
constexpr std::int32_t fewestCounts = 64;

// How the delay drives its timer: the 8052's timer 2 through RCAP2 and T2CON, timers 0 and 1 in
// their auto-reload mode of the wider range (16 bits on the STC15/STC8, else mode 2's 8).
struct Drive {
    int timer;
    std::string x;
    bool of8052, wide;
    std::int32_t range;
};

std::optional<Drive> driveOf(const ChipFamily& family, int timer) {
    if (!family.noAssembly.empty())
        return std::nullopt;
    if (timer == 2 && family.timer2 == Timer2Kind::Of8052)
        return Drive{2, "2", true, true, 65536};
    if (timer != 0 && timer != 1)
        return std::nullopt;
    const bool wide = family.modes[0].kind == TimerKind::Reload16;
    return Drive{timer, std::to_string(timer), false, wide, wide ? 65536 : 256};
}

AsmLine op(std::string mnemonic, std::vector<AsmOperand> operands, std::string comment = {}) {
    AsmLine line = instruction(std::move(mnemonic), std::move(operands));
    line.comment = std::move(comment);
    return line;
}

// Stopped, its interrupt off (taking it would clear the flag the delay polls), in its mode.
Lines stopLines(const Drive& d, const ChipFamily& family, std::int32_t clock) {
    if (d.of8052)
        return {op("MOV", {sfr("T2CON"), imm(0)}, "16-bit auto-reload timer, stopped, flags clear"),
                op("CLR", {bit("ET2")}, "polled: its interrupt would clear TF2")};
    Lines lines{op("CLR", {bit("TR" + d.x)}, "stopped while it is set up"),
                op("CLR", {bit("ET" + d.x)}, "polled: its interrupt would clear TF" + d.x),
                op("MOV", {acc(), sfr("TMOD")}),
                op("ANL", {acc(), imm(d.timer == 0 ? 0xF0 : 0x0F)}, "the other timer kept"),
                op("ORL", {acc(), imm((d.wide ? 0 : 2) << (4 * d.timer))},
                   d.wide ? "mode 0: 16-bit auto-reload" : "mode 2: 8-bit auto-reload"),
                op("MOV", {sfr("TMOD"), acc()})};
    const ClockSwitch& sw = family.clockSwitch[d.timer];
    if (!sw.reg.empty())
        lines.push_back(op(clock == 1 ? "ORL" : "ANL",
                           {sfr(std::string(sw.reg)), imm(clock == 1 ? sw.mask : ~sw.mask)},
                           std::string(sw.bitName) + (clock == 1 ? " = 1: 1T" : " = 0: 12T")));
    return lines;
}

// The reload, and the count the first period starts from; the flag cleared.
Lines loadLines(const Drive& d, std::int32_t reload, std::int32_t start) {
    const std::string th = "TH" + d.x, tl = "TL" + d.x;
    Lines lines;
    if (d.of8052)
        lines = {op("MOV", {sfr("RCAP2H"), imm(reload >> 8)}),
                 op("MOV", {sfr("RCAP2L"), imm(reload)}), op("MOV", {sfr("TH2"), imm(start >> 8)}),
                 op("MOV", {sfr("TL2"), imm(start)})};
    else if (d.wide) // stopped: TLx and THx set the count and the reload alike (STC8A8K64D4 13.2.3)
        lines = {op("MOV", {sfr(tl), imm(start)}), op("MOV", {sfr(th), imm(start >> 8)})};
    else
        lines = {op("MOV", {sfr(th), imm(reload)}, "the reload"),
                 op("MOV", {sfr(tl), imm(start)}, "the first period")};
    lines.push_back(op("CLR", {bit("TF" + d.x)}, "no overflow pending"));
    return lines;
}

// Running, STC's 16-bit mode takes TLx and THx as the reload only: the first period stays.
Lines reloadWhileRunning(const Drive& d, std::int32_t reload) {
    return {op("MOV", {sfr("TL" + d.x), imm(reload)}, "running: only the reload"),
            op("MOV", {sfr("TH" + d.x), imm(reload >> 8)})};
}

AsmLine startLine(const Drive& d) { return op("SETB", {bit("TR" + d.x)}, "start"); }
AsmLine pollLine(const Drive& d, const std::string& wait) {
    return op("JNB", {bit("TF" + d.x), label(wait)});
}
AsmLine clearFlag(const Drive& d) { return op("CLR", {bit("TF" + d.x)}); }

// A chain of DJNZ counters all jumping back to the poll: counts, innermost first, of n runs.
// At least levels of them: an outer counter of 1 lets the inner ones count as they would alone.
std::vector<std::int32_t> chainCounts(std::int64_t n, std::size_t levels = 1) {
    std::vector<std::int32_t> counts;
    const std::int64_t m = n - 1;
    for (std::size_t level = 0; level < levels || m >> (8 * level) != 0; ++level)
        counts.push_back(std::int32_t((m >> (8 * level)) & 0xFF) + 1);
    return counts;
}

Lines chainLoads(const std::vector<std::int32_t>& counts, int firstRegister) {
    Lines lines;
    for (std::size_t level = counts.size(); level-- > 0;)
        lines.push_back(op("MOV", {reg(firstRegister - int(level)), imm(counts[level])},
                           counts[level] == 256 ? "0 counts 256" : ""));
    return lines;
}

Lines chainJumps(std::size_t levels, int firstRegister, const std::string& wait) {
    Lines lines;
    for (std::size_t level = 0; level < levels; ++level)
        lines.push_back(op("DJNZ", {reg(firstRegister - int(level)), label(wait)}));
    return lines;
}

// After the last overflow: how late the poll saw it, read from the timer, made up by a JB on
// each of its bits skipping as many NOPs (every JB as long, taken or not, and a NOP one unit);
// then the timer stopped. Relative jumps only, so the A51 and sdas8051 forms make the same bytes.
Lines exitLines(const Drive& d, const DelayPacing& pacing, const std::string& late) {
    Lines lines;
    if (pacing.lateBits > 0)
        lines = {op("MOV", {acc(), sfr("TL" + d.x)}, "counts since the last overflow"),
                 op("ADD", {acc(), imm(-pacing.base)}, "less the least but one: how late, and 1")};
    for (int bitIndex = 0; bitIndex < pacing.lateBits; ++bitIndex) {
        const std::string skip = late + std::to_string(bitIndex);
        lines.push_back(op("JB", {bit("ACC." + std::to_string(bitIndex)), label(skip)},
                           bitIndex == 0 ? "each bit set skips its weight in NOPs" : ""));
        for (int nop = 0; nop < 1 << bitIndex; ++nop)
            lines.push_back(op("NOP", {}));
        lines.push_back({Kind::Label, skip});
    }
    lines.push_back(op("CLR", {bit("TR" + d.x)}, "stopped"));
    return lines;
}

// The bits that hold 1 + lateness, up to the poll's length.
int lateBitsFor(std::int64_t poll) {
    int bits = 1;
    while ((1 << bits) - 1 < poll)
        ++bits;
    return bits;
}

// The lines' time; a core whose table is known has every instruction these delays use.
std::int64_t sum(const ChipFamily& family, const Lines& lines) {
    return delayparts::timeOf(family, lines).value_or(0);
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What is known of the core: its units (D clocks a machine cycle on a classic core, a clock on a
// 1T one), whether the instructions' times are known, and whether the timer counts as they run
// (one count a unit), so that the last poll's lateness can be read and made up.
struct Core {
    std::int64_t unitClocks;
    bool known, lockstep;
};

Core coreOf(const DelayRequest& request) {
    const bool known = request.family.classicCycle || request.family.core != nullptr;
    return {request.family.classicCycle ? request.clock : 1, known,
            known && (request.family.classicCycle || request.clock == 1)};
}

// The poll that sees the last overflow ends 0 to poll - 1 units after it (late); then the lines
// before the reading (between). Where the timer counts as the instructions run, the reading, less
// base, is late + 1 (1 to poll), and the JBs run 2^bits - 1 - (late + 1) NOPs: every exit takes
// between + the reading + the JBs + 2^bits - 2 + CLR TRx + RET. Elsewhere the lateness stays:
// the least is returned.
std::int64_t exitUnits(const ChipFamily& family, const Drive& d, const Core& core,
                       const Lines& between) {
    DelayPacing pacing;
    pacing.lateBits = core.lockstep ? lateBitsFor(sum(family, {pollLine(d, "w")})) : 0;
    Lines exit = exitLines(d, pacing, "s");
    exit.erase(std::remove_if(exit.begin(), exit.end(),
                              [](const AsmLine& line) { return line.text == "NOP"; }),
               exit.end());
    const std::int64_t nops = pacing.lateBits > 0 ? (1 << pacing.lateBits) - 2 : 0;
    return sum(family, between) + sum(family, exit) + nops + sum(family, {instruction("RET")});
}

// The reading's base: the counts since the overflow had the poll seen it at once, less one.
void setLateness(DelayPacing& pacing, const ChipFamily& family, const Drive& d, const Core& core,
                 std::int32_t reload, const Lines& between) {
    if (!core.lockstep)
        return;
    pacing.lateBits = lateBitsFor(sum(family, {pollLine(d, "w")}));
    const std::int64_t read = sum(family, {op("MOV", {acc(), sfr("TL" + d.x)})});
    pacing.base = std::uint8_t(reload + sum(family, between) + read - 1);
}

std::string number(std::int64_t value) { return std::to_string(value); }

std::string unitText(const Core& core, std::int64_t units) {
    return core.unitClocks == 1 ? number(units) + " clocks"
                                : number(units) + " cycles x " + number(core.unitClocks) + " = " +
                                      number(units * core.unitClocks) + " clocks";
}

struct Choice {
    std::int32_t period, first;
    std::int64_t overflows;
};

// K counts as overflows of period counts: the first period what is left. STC's 16-bit mode
// loads its reload while running: the first period must outlast those writes.
std::optional<Choice> choose(std::int64_t counts, const Drive& d, std::int32_t fewestFirst) {
    if (counts < 1)
        return std::nullopt;
    if (counts <= d.range)
        return Choice{d.range, std::int32_t(counts), 1};
    const bool reloadsLater = d.wide && !d.of8052;
    const std::int32_t period = d.range - (reloadsLater ? fewestFirst : 0);
    std::int64_t overflows = (counts + period - 1) / period,
                 first = counts - (overflows - 1) * period;
    if (reloadsLater && first < fewestFirst) // the period it gave up makes the first long enough
        --overflows, first += period;
    return Choice{period, std::int32_t(first), overflows};
}

TimerDelayPlan refused(std::string why) { return {std::nullopt, std::move(why)}; }

std::string usText(std::int64_t units, const Core& core, const Exact& crystalMhz) {
    return (Exact(units * core.unitClocks) / crystalMhz).text(3);
}

} // namespace

std::vector<int> delayTimers(const ChipFamily& family) {
    std::vector<int> timers;
    for (int timer = 0; timer <= 2; ++timer)
        if (driveOf(family, timer))
            timers.push_back(timer);
    return timers;
}

namespace {

// A step by argument: n in R7:R6 (moved there from DPH:DPL for SDCC), each step k overflows.
constexpr int overflowRegister = 7, stepRegister = 5;

// The lines from the poll's exit to the reading of the last overflow: the flag cleared, each
// counter falling through, and for a step by argument n - 1 and its JNZ.
Lines betweenLines(const Drive& d, std::size_t levels, bool perStep) {
    Lines lines =
        Lines{clearFlag(d)} + chainJumps(levels, perStep ? stepRegister : overflowRegister, "w");
    if (perStep)
        lines = lines + delayparts::countDown() + Lines{instruction("JNZ", {label("s")})};
    return lines;
}

// The call's lines before the timer starts: n = 0 tested for a step by argument, the timer set
// up, a fixed delay's overflow counter loaded, then the start.
Lines entryLines(const Drive& d, const DelayRequest& request, std::size_t levels, bool sdcc) {
    Lines lines{instruction("LCALL", {label("d")})};
    if (request.kind == DelayKind::PerStep)
        lines = lines + (sdcc ? delayparts::argumentMoves() : Lines{}) + delayparts::entryTest() +
                Lines{instruction("JZ", {label("z")})};
    lines = lines + stopLines(d, request.family, request.clock) + loadLines(d, 0, 0);
    if (request.kind == DelayKind::Fixed)
        lines = lines + chainLoads(std::vector<std::int32_t>(levels, 1), overflowRegister);
    return lines + Lines{startLine(d)};
}

// A step of S counts as k periods of P: the longest P that divides S, else the nearest k x P.
std::optional<Choice> chooseStep(std::int64_t counts, const Drive& d) {
    if (counts < fewestCounts)
        return std::nullopt;
    for (std::int64_t period = std::min<std::int64_t>(d.range, counts); period >= fewestCounts;
         --period)
        if (counts % period == 0)
            return Choice{std::int32_t(period), std::int32_t(period), counts / period};
    const std::int64_t k = (counts + d.range - 1) / d.range;
    const auto period = std::int32_t((2 * counts + k) / (2 * k));
    return Choice{period, period, k};
}

// The entry and exit's bound where the core's times are not known: the classic core's machine
// cycles for the same instructions, 12 clocks each.
std::int64_t classicBound(const Lines& lines) {
    std::int64_t cycles = 0;
    for (const AsmLine& line : lines)
        cycles += classicCycles(line).value_or(4);
    return cycles * 12;
}

// What the routine changes: A and PSW (the ADD), n and the counters.
std::vector<std::string> registersOf(const DelayRequest& request, std::size_t levels) {
    const bool perStep = request.kind == DelayKind::PerStep;
    std::vector<std::string> registers{"A", "PSW"};
    if (perStep)
        registers.insert(registers.end(), {"R7", "R6"});
    const int first = perStep ? stepRegister : overflowRegister;
    for (std::size_t level = 0; level < levels; ++level)
        registers.push_back("R" + std::to_string(first - int(level)));
    return registers;
}

} // namespace

TimerDelayPlan planTimerDelay(const DelayRequest& request) {
    const ChipFamily& family = request.family;
    const auto drive = driveOf(family, request.timer);
    if (!drive)
        return refused(family.noAssembly.empty()
                           ? "该芯片的定时器 " + number(request.timer) + " 不能用来延时"
                           : std::string(family.noAssembly));
    const Drive& d = *drive;
    const Core core = coreOf(request);
    const bool perStep = request.kind == DelayKind::PerStep;
    const Exact asked = request.delayUs * request.crystalMhz;
    const std::int64_t countClocks = request.clock; // a count is D clocks on every core
    const std::int64_t unitsACount = countClocks / core.unitClocks; // 1 on a classic core
    DelayResult result;
    result.name = delayparts::nameOf(request.delayUs, perStep);
    result.askedClocks = asked;
    result.unitClocks = core.unitClocks;
    DelayPacing& pacing = result.pacing;
    // STC's 16-bit mode takes its reload while running: the first period outlasts those writes.
    constexpr std::int32_t fewestFirst = 16;
    // The overhead depends on the counters' levels, which depend on the overflows: each in turn
    // until they agree.
    for (std::size_t levels = 1; levels <= (perStep ? 2 : 3) && result.clocks == 0; ++levels) {
        const Lines between = betweenLines(d, levels, perStep);
        const Lines entry = entryLines(d, request, levels, true);
        DelayPacing probe; // a late bit: the exit with every instruction it may have
        probe.lateBits = 1;
        if (core.known && !delayparts::timeOf(family, entry + between + exitLines(d, probe, "s")))
            return refused("该芯片的指令时间表缺少延时用到的指令");
        const std::int64_t entryUnits = sum(family, entry),
                           exit = exitUnits(family, d, core, between);
        const auto whole = (asked / Exact(core.unitClocks)).roundedToEven();
        if (!whole)
            return refused("延时太长，超出定时范围");
        // A fixed delay's counts are what its entry and exit leave; a step's, all of it.
        const std::int64_t counts =
            perStep       ? *(asked / Exact(countClocks)).roundedToEven()
            : !core.known ? *(asked / Exact(countClocks)).roundedToEven()
            : core.lockstep
                ? *whole - entryUnits - exit
                : *((asked - Exact(entryUnits + exit)) / Exact(countClocks)).roundedToEven();
        const auto choice = perStep ? chooseStep(counts, d) : choose(counts, d, fewestFirst);
        if (!choice)
            return refused(
                perStep ? "每步太短：至少要 " + number(fewestCounts) + " 个计数（" +
                              usText(fewestCounts * unitsACount, core, request.crystalMhz) + " us）"
                        : "延时太短：定时器的设置、启动和返回本身就要 " +
                              usText(entryUnits + exit, core, request.crystalMhz) + " us");
        if (chainCounts(choice->overflows).size() > levels)
            continue;
        pacing.counters = int(levels);
        pacing.period = choice->period;
        pacing.first = choice->first;
        pacing.overflows = choice->overflows;
        setLateness(pacing, family, d, core, d.range - choice->period, between);
        const std::int64_t stepCounts = perStep ? choice->overflows * choice->period : counts;
        const std::int64_t timed = stepCounts * unitsACount;
        const std::string countsText =
            (perStep ? number(choice->overflows) + " x " + number(choice->period) + " counts"
                     : number(counts) + " counts") +
            (unitsACount == 1 ? "" : " x " + number(unitsACount));
        // The working's parts: the entry and exit, and the counts the timer counts.
        result.fixed = {core.known && !perStep ? number(entryUnits) + " (LCALL to the start) + " +
                                                     number(exit) + " (last overflow to RET)"
                                               : std::string(),
                        core.known && !perStep ? entryUnits + exit : 0};
        result.chain = {countsText, stepCounts};
        result.units = perStep || !core.known ? timed : entryUnits + timed + exit;
        result.clocks = result.units * core.unitClocks;
        result.working =
            (core.known && !perStep ? number(entryUnits) + " (LCALL to the start) + " : "") +
            countsText +
            (core.known && !perStep ? " + " + number(exit) + " (last overflow to RET)" : "") +
            " = " + unitText(core, result.units);
        result.registers = registersOf(request, levels);
        if (perStep) {
            for (const bool sdcc : {false, true}) {
                const Lines callEntry = entryLines(d, request, levels, sdcc);
                const std::int64_t callUnits = sum(family, callEntry) + exit;
                const Lines zero(callEntry.begin(), callEntry.begin() + (sdcc ? 6 : 4));
                const std::int64_t zeroUnits =
                    sum(family, zero) + sum(family, {instruction("RET")});
                (sdcc ? result.sdccCall : result.keilCall) = DelayCall{
                    callUnits * core.unitClocks, zeroUnits * core.unitClocks,
                    number(sum(family, callEntry)) + " (LCALL to the start) + " + number(exit) +
                        " (last overflow to RET) = " + unitText(core, callUnits)};
            }
        }
        if (!core.known) {
            pacing.slackClocks = classicBound(entry + between + exitLines(d, pacing, "s"));
            pacing.slackReason = "entry and exit not counted";
        } else if (!core.lockstep) {
            pacing.slackClocks = sum(family, {pollLine(d, "w")}) - 1;
            pacing.slackReason = "the poll";
        }
        pacing.earlyClocks = core.lockstep ? 0 : countClocks - 1;
    }
    if (result.clocks == 0)
        return refused("延时太长，超出定时范围");
    result.achievedUs = Exact(result.clocks) / request.crystalMhz;
    result.errorUs = request.delayUs - result.achievedUs;
    return {result, {}};
}

AsmUnit timerDelayBody(const DelayRequest& request, const DelayResult& result, bool sdcc) {
    const Drive d = *driveOf(request.family, request.timer);
    const DelayPacing& pacing = result.pacing;
    const bool perStep = request.kind == DelayKind::PerStep;
    const std::string wait = result.name + "_wait", late = result.name + "_late",
                      step = result.name + "_step", done = result.name + "_done";
    AsmUnit unit{result.name, {}, &request.family, {}};
    const auto add = [&unit](const Lines& lines) {
        unit.lines.insert(unit.lines.end(), lines.begin(), lines.end());
    };
    const std::int32_t reload = d.range - pacing.period, first = d.range - pacing.first;
    const std::vector<std::int32_t> counts =
        chainCounts(pacing.overflows, std::size_t(pacing.counters));
    if (perStep) {
        if (sdcc)
            add(delayparts::argumentMoves());
        add(delayparts::entryTest());
        unit.op("JZ", {label(done)}, "n = 0: return at once");
    }
    add(stopLines(d, request.family, request.clock));
    add(loadLines(d, reload, first));
    if (!perStep)
        add(chainLoads(counts, overflowRegister));
    unit.lines.push_back(startLine(d));
    if (!perStep && d.wide && !d.of8052 && reload != first)
        add(reloadWhileRunning(d, reload));
    if (perStep) {
        unit.add(Kind::Label, step);
        add(chainLoads(counts, stepRegister));
    }
    unit.add(Kind::Label, wait);
    unit.lines.push_back(pollLine(d, wait));
    unit.lines.push_back(clearFlag(d));
    add(chainJumps(counts.size(), perStep ? stepRegister : overflowRegister, wait));
    if (perStep) {
        add(delayparts::countDown());
        unit.op("JNZ", {label(step)}, "the next step, the timer running on");
    }
    add(exitLines(d, pacing, late));
    if (perStep)
        unit.add(Kind::Label, done);
    unit.op("RET");
    return unit;
}

std::vector<std::string> timerDelayNotes(const DelayRequest& request, const DelayResult& result) {
    const Drive d = *driveOf(request.family, request.timer);
    const DelayPacing& p = result.pacing;
    const bool perStep = request.kind == DelayKind::PerStep;
    std::vector<std::string> lines{
        "Timer " + d.x +
            (d.of8052 ? " (8052), 16-bit auto-reload"
             : d.wide ? ", mode 0 (16-bit auto-reload)"
                      : ", mode 2 (8-bit auto-reload)") +
            ": " +
            (perStep ? number(p.overflows) + " overflows of " + number(p.period) + " counts a step."
             : p.overflows == 1 ? "one overflow, after " + number(p.first) + " counts."
                                : number(p.overflows) + " overflows, of " + number(p.period) +
                                      " counts but the first, of " + number(p.first) + "."),
        "Its flag TF" + d.x + " is polled and cleared here, its interrupt turned off (ET" + d.x +
            " = 0: taking it would clear the flag); the timer is left stopped" +
            (d.of8052 ? "." : ", TMOD's other timer kept."),
        "An interrupt that returns within a period does not lengthen the delay: the timer counts "
        "on."};
    if (p.lateBits > 0)
        lines.push_back("How late the poll saw the last overflow is read from TL" + d.x +
                        " and made up: the total is exact to the clock, on the model that a "
                        "JNB sees the flag and a MOV reads the timer as they end (s51's 8051).");
    else if (!p.slackReason.empty())
        lines.push_back("Up to " + number(p.slackClocks) + " clocks more" +
                        (p.earlyClocks > 0 ? ", or " + number(p.earlyClocks) + " fewer" : "") +
                        ": " +
                        (p.slackReason == "entry and exit not counted"
                             ? std::string("the entry and exit are not counted, no vendor "
                                           "table of this core being known; at most the classic "
                                           "core's time for their instructions, 12 clocks a "
                                           "machine cycle, as a 1T core is assumed to take no "
                                           "longer for one.")
                             : std::string("the poll may see the last overflow late.")) +
                        (p.earlyClocks > 0 ? " The timer's clock divider may stand anywhere in "
                                             "its count as the timer starts, which brings the "
                                             "first count sooner."
                                           : ""));
    return lines;
}

} // namespace tickora
