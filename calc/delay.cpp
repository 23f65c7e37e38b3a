#include "delay.h"

#include "asmunit.h"
#include "bounds.h"
#include "delayparts.h"
#include "timerdelay.h"
#include "uses.h"

#include <algorithm>
#include <span>

namespace tickora {
namespace {

using Kind = AsmLine::Kind;

// The chain's registers, innermost first: R7 to R2 reach beyond a day at 50 MHz on any core.
// A delay by argument keeps n in R7:R6 and chains R5 to R2. R0 counts the short loop.
constexpr int fixedChain[] = {7, 6, 5, 4, 3, 2};
constexpr int stepChain[] = {5, 4, 3, 2};
constexpr int padRegister = 0;
// NOPs kept few, so that the argument form's jumps stay within a relative jump's reach.
constexpr int mostNops = 16;

using delayparts::argumentMoves;
using delayparts::countDown;
using delayparts::entryTest;
using delayparts::instruction;

// The lines whose times make the delays, as the units print them.
AsmLine loadLine(int r, std::int32_t count) { return instruction("MOV", {reg(r), imm(count)}); }
AsmLine djnzLine(int r, const std::string& to) { return instruction("DJNZ", {reg(r), label(to)}); }

// A branch's time when it jumps and when it falls through.
struct Branch {
    std::int64_t jumps = 0, fallsThrough = 0;
};

// The core's times of what the delays use, in units of unitClocks oscillator clocks: machine
// cycles on a classic core, clocks on a 1T one.
struct Costs {
    std::int64_t unitClocks;
    std::int64_t call, ret, nop, load, test, fetch, countDown;
    Branch djnz, jz, jnz;
    int levelBytes, nopBytes; // a level's or short loop's MOV and DJNZ; a NOP
};

// Times of the core's instructions, in its units; known() false once one is not known.
class Timer {
public:
    explicit Timer(const ChipFamily& family)
        : family_(family) {}
    std::int64_t of(const std::vector<AsmLine>& lines) {
        std::int64_t time = 0;
        for (const AsmLine& line : lines)
            time += branch(line).jumps;
        return time;
    }
    // One time for a jump and a fall-through: Intel's table and the vendors' alike give one.
    Branch branch(const AsmLine& line) {
        const auto time = delayparts::timeOf(family_, line);
        known_ = known_ && time;
        return Branch{time.value_or(0), time.value_or(0)};
    }
    bool known() const { return known_; }

private:
    const ChipFamily& family_;
    bool known_ = true;
};

// Nothing where the core's instruction timing is not known here, or lacks an instruction.
std::optional<Costs> costsOf(const ChipFamily& family, std::int32_t clock) {
    const bool classic = family.classicCycle;
    Timer time(family);
    Costs costs{classic ? clock : 1,
                time.of({instruction("LCALL", {label("delay")})}),
                time.of({instruction("RET")}),
                time.of({instruction("NOP")}),
                time.of({loadLine(7, 1)}),
                time.of(entryTest()),
                time.of(argumentMoves()),
                time.of(countDown()),
                time.branch(djnzLine(7, "loop")),
                time.branch(instruction("JZ", {label("done")})),
                time.branch(instruction("JNZ", {label("step")})),
                codeBytes(loadLine(7, 1)) + codeBytes(djnzLine(7, "loop")),
                codeBytes(instruction("NOP"))};
    if (!time.known())
        return std::nullopt;
    return costs;
}

std::int64_t runsOf(int level, std::int64_t m) { return 1 + (m >> (8 * level)); }

// A chain of levels loaded so that its innermost DJNZ runs m + 1 times: the counts are m's
// base-256 digits plus one. Each level's DJNZ jumps back but for the times the next one runs.
std::int64_t chainTime(const Costs& costs, int levels, std::int64_t m) {
    std::int64_t time = levels * costs.load;
    for (int level = 0; level < levels; ++level) {
        const std::int64_t runs = runsOf(level, m);
        const std::int64_t onward = level + 1 < levels ? runsOf(level + 1, m) : 1;
        time += (runs - onward) * costs.djnz.jumps + onward * costs.djnz.fallsThrough;
    }
    return time;
}

struct Pad {
    std::int32_t loop = 0, nops = 0;
    int bytes = 0;
};

// The fewest bytes that take exactly time: NOPs, or a short loop on R0 and NOPs.
std::optional<Pad> padOf(const Costs& costs, std::int64_t time) {
    std::optional<Pad> best;
    const auto consider = [&best](Pad pad) {
        if (!best || pad.bytes < best->bytes)
            best = pad;
    };
    for (std::int32_t nops = 0; nops <= mostNops; ++nops) {
        const std::int64_t left = time - nops * costs.nop;
        if (left < 0)
            break;
        if (left == 0)
            consider({0, nops, nops * costs.nopBytes});
        const std::int64_t jumps = left - costs.load - costs.djnz.fallsThrough;
        if (jumps >= 0 && jumps % costs.djnz.jumps == 0 && jumps / costs.djnz.jumps < 256)
            consider({std::int32_t(jumps / costs.djnz.jumps + 1), nops,
                      costs.levelBytes + nops * costs.nopBytes});
    }
    return best;
}

struct Body {
    int levels = 0;
    std::int64_t m = 0;
    Pad pad;
    int bytes = 0;
};

// The loops that take exactly time in the fewest bytes, on at most levels registers. For each
// depth the chain's time rises with m by a few units a step: the largest m that fits leaves the
// least to pad (a few below it are tried too, for a table whose NOP cannot make every rest).
std::optional<Body> bodyOf(const Costs& costs, std::int64_t time, int mostLevels) {
    std::optional<Body> best;
    for (int levels = 0; levels <= mostLevels && chainTime(costs, levels, 0) <= time; ++levels) {
        std::int64_t low = 0, high = (std::int64_t{1} << (8 * levels)) - 1;
        while (low < high) {
            const std::int64_t middle = low + (high - low + 1) / 2;
            if (chainTime(costs, levels, middle) <= time)
                low = middle;
            else
                high = middle - 1;
        }
        for (std::int64_t m = low; m >= 0 && m > low - 4; --m)
            if (const auto pad = padOf(costs, time - chainTime(costs, levels, m)))
                if (const int bytes = levels * costs.levelBytes + pad->bytes;
                    !best || bytes < best->bytes)
                    best = Body{levels, m, *pad, bytes};
    }
    return best;
}

std::string number(std::int64_t value) { return std::to_string(value); }
std::string regName(int r) { return "R" + number(r); }

// A whole time in the core's units as a sum's end: "1000 cycles x 12 = 12000 clocks".
std::string totalText(const Costs& costs, std::int64_t units) {
    return costs.unitClocks == 1 ? number(units) + " clocks"
                                 : number(units) + " cycles x " + number(costs.unitClocks) + " = " +
                                       number(units * costs.unitClocks) + " clocks";
}

std::string branchTerm(const Branch& time, std::int64_t runs, std::int64_t fallThroughs) {
    if (time.jumps == time.fallsThrough)
        return number(runs) + " x " + number(time.jumps);
    return number(runs - fallThroughs) + " x " + number(time.jumps) + " + " + number(fallThroughs) +
           " x " + number(time.fallsThrough);
}

// The chain's terms: its loads and each level's DJNZ.
std::vector<std::string> chainTerms(const Costs& costs, const DelayLoops& loops) {
    std::vector<std::string> terms;
    const std::size_t levels = loops.counts.size();
    if (levels > 0)
        terms.push_back(number(std::int64_t(levels)) + " x " + number(costs.load) + " (MOV)");
    for (std::size_t level = 0; level < levels; ++level)
        terms.push_back(branchTerm(costs.djnz, loops.runs[level],
                                   level + 1 < levels ? loops.runs[level + 1] : 1) +
                        " (DJNZ " + loops.registers[level] + ")");
    return terms;
}

// What pads the rest: the short loop and the NOPs.
std::vector<std::string> padTerms(const Costs& costs, const DelayLoops& loops) {
    std::vector<std::string> terms;
    if (loops.padLoop > 0)
        terms.push_back(number(costs.load) + " + " + branchTerm(costs.djnz, loops.padLoop, 1) +
                        " (MOV, DJNZ " + regName(padRegister) + ")");
    if (loops.nops > 0)
        terms.push_back(number(loops.nops) + " x " + number(costs.nop) + " (NOP)");
    return terms;
}

std::string joined(const std::vector<std::string>& terms) {
    std::string text;
    for (const std::string& term : terms)
        text += (text.empty() ? "" : " + ") + term;
    return text;
}

DelayLoops loopsOf(const Body& body, std::span<const int> chain) {
    DelayLoops loops{{}, {}, {}, body.pad.loop, body.pad.nops};
    for (int level = 0; level < body.levels; ++level) {
        loops.registers.push_back(regName(chain[level]));
        loops.counts.push_back(std::int32_t((body.m >> (8 * level)) & 0xFF) + 1);
        loops.runs.push_back(runsOf(level, body.m));
    }
    return loops;
}

std::string usOf(const Costs& costs, std::int64_t units, const Exact& crystalMhz) {
    return (Exact(units * costs.unitClocks) / crystalMhz).text(3);
}

// What a search makes of a request: the result, or why there is none.
struct Planned {
    std::optional<DelayResult> result;
    std::string problem;
};

Planned refused(std::string why) { return {std::nullopt, std::move(why)}; }

std::string tooLong(const Costs& costs, int levels, const DelayRequest& request) {
    const std::int64_t longest =
        chainTime(costs, levels, (std::int64_t{1} << (8 * levels)) - 1) + costs.call + costs.ret;
    return "延时太长：循环最长约 " +
           (Exact(longest * costs.unitClocks) / request.crystalMhz / Exact(1'000'000)).cut(0) +
           " 秒";
}

DelayCall callOf(const Costs& costs, bool sdcc) {
    std::vector<std::string> terms{number(costs.call) + " (LCALL)"};
    if (sdcc)
        terms.push_back(number(costs.fetch) + " (n from DPL, DPH)");
    terms.push_back(number(costs.test) + " (MOV, ORL: n = 0?)");
    terms.push_back(number(costs.jz.fallsThrough) + " (JZ)");
    terms.push_back(number(costs.ret) + " (RET)");
    // The last step's JNZ falls through: where that differs from a jump, the call pays it.
    const std::int64_t last = costs.jnz.fallsThrough - costs.jnz.jumps;
    if (last != 0)
        terms.push_back(number(last) + " (the last JNZ falls through)");
    const std::int64_t entry = costs.call + (sdcc ? costs.fetch : 0) + costs.test + costs.ret;
    const std::int64_t units = entry + costs.jz.fallsThrough + last;
    return {units * costs.unitClocks, (entry + costs.jz.jumps) * costs.unitClocks,
            joined(terms) + " = " + totalText(costs, units)};
}

Planned plan(const DelayRequest& request) {
    if (std::string crystal = crystalProblem(request.crystalMhz.toDouble()); !crystal.empty())
        return refused(crystal);
    if (!request.delayUs.valid() || request.delayUs.sign() <= 0)
        return refused("请输入有效的延时时间");
    if (!offersClock(request.family, request.clock))
        return refused("该芯片没有这种时钟");
    if (request.timer >= 0) {
        TimerDelayPlan paced = planTimerDelay(request);
        return {std::move(paced.result), std::move(paced.problem)};
    }
    const auto costs = costsOf(request.family, request.clock);
    if (!costs) // a timer paces the delay where the chip has one for it
        return refused(delayTimers(request.family).empty()
                           ? "该芯片的指令时间未知，也没有可用来延时的定时器，无法生成延时"
                           : "该芯片的 1T 内核指令时间未知（厂商手册未给出）：请改用定时器延时");
    const bool fixed = request.kind == DelayKind::Fixed;
    const std::span<const int> chain = fixed ? std::span<const int>(fixedChain) : stepChain;
    const Exact asked = request.delayUs * request.crystalMhz;
    const auto target = (asked / Exact(costs->unitClocks)).roundedToEven();
    if (!target)
        return refused(tooLong(*costs, int(chain.size()), request));
    // What the loops must take: the whole delay less the call and return, or one step less the
    // count-down and its jump back.
    const std::int64_t least =
        fixed ? costs->call + costs->ret : costs->countDown + costs->jnz.jumps;
    if (*target < least)
        return refused((fixed ? "延时太短：调用和返回（LCALL、RET）本身就要 "
                              : "每步太短：计数和跳转本身每步就要 ") +
                       usOf(*costs, least, request.crystalMhz) + " us");
    const auto body = bodyOf(*costs, *target - least, int(chain.size()));
    if (!body)
        return refused(tooLong(*costs, int(chain.size()), request));
    DelayResult result;
    result.name = delayparts::nameOf(request.delayUs, request.kind == DelayKind::PerStep);
    result.askedClocks = asked;
    result.clocks = *target * costs->unitClocks;
    result.achievedUs = Exact(result.clocks) / request.crystalMhz;
    result.errorUs = request.delayUs - result.achievedUs;
    result.loops = loopsOf(*body, chain);
    const std::vector<std::string> first{number(fixed ? costs->call : costs->countDown) +
                                         (fixed ? " (LCALL)" : " (n - 1)")},
        last{number(fixed ? costs->ret : costs->jnz.jumps) + (fixed ? " (RET)" : " (JNZ)")},
        loopTerms = chainTerms(*costs, result.loops), padding = padTerms(*costs, result.loops);
    const std::int64_t chainUnits = chainTime(*costs, body->levels, body->m);
    result.unitClocks = costs->unitClocks;
    result.units = *target;
    result.times = {
        {"MOV Rn,#data", costs->load}, {"DJNZ", costs->djnz.jumps}, {"NOP", costs->nop}};
    const auto fixedTimes =
        fixed ? std::vector<std::pair<std::string, std::int64_t>>{{"LCALL", costs->call},
                                                                  {"RET", costs->ret}}
              : std::vector<std::pair<std::string, std::int64_t>>{{"n - 1", costs->countDown},
                                                                  {"JNZ", costs->jnz.jumps}};
    result.times.insert(result.times.begin(), fixedTimes.begin(), fixedTimes.end());
    result.fixed = {joined({first[0], last[0]}), least};
    result.chain = {joined(loopTerms), chainUnits};
    result.pad = {joined(padding), *target - least - chainUnits};
    // The call's first, the step's count-down last, as the routine runs them.
    std::vector<std::string> terms = fixed ? first : std::vector<std::string>{};
    terms.insert(terms.end(), loopTerms.begin(), loopTerms.end());
    terms.insert(terms.end(), padding.begin(), padding.end());
    if (!fixed)
        terms.insert(terms.end(), first.begin(), first.end());
    terms.insert(terms.end(), last.begin(), last.end());
    if (!fixed) {
        result.registers = {"A", "PSW", "R7", "R6"};
        result.keilCall = callOf(*costs, false);
        result.sdccCall = callOf(*costs, true);
    }
    result.working = joined(terms) + " = " + totalText(*costs, *target);
    result.registers.insert(result.registers.end(), result.loops.registers.begin(),
                            result.loops.registers.end());
    if (result.loops.padLoop > 0)
        result.registers.push_back(regName(padRegister));
    return {result, {}};
}

} // namespace

std::string delayProblem(const DelayRequest& request) { return plan(request).problem; }

std::optional<DelayResult> planDelay(const DelayRequest& request) { return plan(request).result; }

namespace {

// The routine's body from its first instruction to RET, labels named after it.
AsmUnit bodyUnit(const DelayRequest& request, const DelayResult& result, bool sdcc) {
    if (request.timer >= 0)
        return timerDelayBody(request, result, sdcc);
    const DelayLoops& loops = result.loops;
    const std::string loop = result.name + "_loop", step = result.name + "_step",
                      done = result.name + "_done", pad = result.name + "_pad";
    const bool perStep = request.kind == DelayKind::PerStep;
    AsmUnit unit{result.name, {}, &request.family, {}};
    const auto add = [&unit](const std::vector<AsmLine>& lines, std::string comment = {}) {
        const std::size_t first = unit.lines.size();
        unit.lines.insert(unit.lines.end(), lines.begin(), lines.end());
        unit.lines[first].comment = std::move(comment);
    };
    if (perStep) {
        if (sdcc)
            add(argumentMoves(), "n, passed in DPH:DPL, to R6:R7");
        add(entryTest());
        unit.op("JZ", {label(done)}, "n = 0: return at once");
        unit.add(Kind::Label, step);
    }
    for (std::size_t level = loops.counts.size(); level-- > 0;)
        add({loadLine(std::stoi(loops.registers[level].substr(1)), loops.counts[level])},
            loops.counts[level] == 256 ? "0 counts 256" : "");
    if (!loops.counts.empty())
        unit.add(Kind::Label, loop);
    for (const std::string& r : loops.registers)
        add({djnzLine(std::stoi(r.substr(1)), loop)});
    if (loops.padLoop > 0) {
        add({loadLine(padRegister, loops.padLoop)});
        unit.add(Kind::Label, pad);
        add({djnzLine(padRegister, pad)});
    }
    for (int i = 0; i < loops.nops; ++i)
        unit.op("NOP");
    if (perStep) {
        add(countDown(), "n - 1, the same time whatever its bytes");
        unit.op("JNZ", {label(step)});
        unit.add(Kind::Label, done);
    }
    unit.op("RET");
    return unit;
}

std::int32_t bytesOf(const AsmUnit& unit) {
    std::int32_t bytes = 0;
    for (const AsmLine& line : unit.lines)
        bytes += codeBytes(line);
    return bytes;
}

std::string familyText(const DelayRequest& request) {
    const std::string clock = std::to_string(request.clock) + "T";
    return "family " + std::string(request.family.id) + " at " + clock +
           (request.family.classicCycle
                ? ", " + std::to_string(request.clock) + " clocks a machine cycle"
                : " (the timers' clock; the 1T core runs its table either way)");
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The header's lines, without their comment marks.
std::vector<std::string> headerLines(const DelayRequest& request, const DelayResult& result,
                                     CodeLanguage language) {
    const bool perStep = request.kind == DelayKind::PerStep;
    const Exact errorClocks = result.askedClocks - Exact(result.clocks);
    const std::string mhz = request.crystalMhz.text(6) + " MHz";
    std::vector<std::string> lines;
    if (perStep) {
        const DelayCall& call = result.call(language);
        lines = {result.name + "(n): n steps of " + request.delayUs.text(6) + " us asked at " +
                     mhz + ", " + familyText(request) + ".",
                 "Each step " + result.achievedUs.text(3) + " us (" +
                     std::to_string(result.clocks) + " clocks), error (asked - achieved) " +
                     result.errorUs.text(3) + " us, " + errorClocks.text(3) + " clocks a step.",
                 "One step: " + result.working,
                 "A call, LCALL to RET, takes " + std::to_string(call.clocks) +
                     " clocks + n steps: " + call.working,
                 "n = 0 returns at once: " + std::to_string(call.zeroClocks) +
                     " clocks from LCALL to RET.",
                 language == CodeLanguage::A51
                     ? "n in R6 (high) and R7 (low), as Keil C51 passes an unsigned int first."
                     : "n in DPH (high) and DPL (low), as SDCC passes an unsigned int first."};
    } else {
        lines = {result.name + ": " + request.delayUs.text(6) + " us asked at " + mhz + ", " +
                     familyText(request) + ".",
                 "Achieved " + result.achievedUs.text(3) + " us (" + std::to_string(result.clocks) +
                     " clocks), error (asked - achieved) " + result.errorUs.text(3) + " us, " +
                     errorClocks.text(3) + " clocks.",
                 "From the first clock of the LCALL to the last of the RET:", result.working};
    }
    std::string counts;
    for (std::size_t level = 0; level < result.loops.counts.size(); ++level)
        counts += (counts.empty() ? "" : ", ") + result.loops.registers[level] + " = " +
                  std::to_string(result.loops.counts[level]);
    if (!counts.empty())
        counts = counts + " (innermost first, each DJNZ jumping back to the innermost)";
    if (result.loops.padLoop > 0)
        counts += (counts.empty() ? "" : ", then ") + regName(padRegister) + " = " +
                  std::to_string(result.loops.padLoop) + " (a short loop of its own)";
    if (!counts.empty())
        lines.push_back("Counts: " + counts + "; a count of 256 is loaded as 0.");
    const bool paced = request.timer >= 0;
    if (paced)
        for (const std::string& note : timerDelayNotes(request, result))
            lines.push_back(note);
    if (const std::string_view source = timingSource(request.family); !source.empty())
        lines.push_back("Times from " + std::string(source) + ".");
    if (!request.family.classicCycle && request.family.core) // what the vendor's figures leave open
        lines.push_back("The vendor gives one time for a branch whether it jumps or not; the "
                        "clocks are the vendor's figures, not measured here.");
    lines.push_back(
        std::to_string(bytesOf(bodyUnit(request, result, language != CodeLanguage::A51))) +
        " bytes of code. Changes " + listed(result.registers) +
        (paced ? "." : ". An interrupt taken during the delay lengthens it."));
    lines.push_back((paced ? UnitUses{request.timer, -1, {}} : UnitUses{}).text());
    return lines;
}

std::string prototype(const DelayRequest& request, const DelayResult& result) {
    return "void " + result.name +
           (request.kind == DelayKind::PerStep ? "(unsigned int n)" : "(void)");
}

std::string cUnit(const DelayRequest& request, const DelayResult& result) {
    std::string text = "/* ";
    for (const std::string& line : headerLines(request, result, CodeLanguage::C))
        text += (text.size() == 3 ? "" : " * ") + line + "\n";
    // SDCC cannot see the assembly read n; and it preprocesses the assembly, its comments too.
    const std::string quiet =
        request.kind == DelayKind::PerStep
            ? "#pragma save\n#pragma disable_warning 85  /* n is read below */\n"
            : "";
    const std::string body = renderInlineAssembly(bodyUnit(request, result, true));
    // A timer's delay names the timer's registers (_AUXR): declared beside SDCC's header where
    // it lacks them, or the link finds no _AUXR.
    const std::string headers = request.timer >= 0 ? sfrHeaderLines(request.family, body) : "";
    return text + " */\n" + headers + "#ifdef __SDCC\n" + quiet + prototype(request, result) +
           " __naked\n{\n    __asm\n" + body + "    __endasm;\n}\n" +
           (quiet.empty() ? "" : "#pragma restore\n") +
           "#else /* Keil C51 */\n"
           "/* Save Tickora's Keil A51 form of this delay (language Keil A51, or --lang a51) as "
           "an\n"
           " * .a51 file and add it to the uVision project (Project -> Add Existing Files to "
           "Group). */\n" +
           prototype(request, result) + ";\n#endif\n";
}

} // namespace

std::int32_t delayBytes(const DelayRequest& request, const DelayResult& result,
                        CodeLanguage language) {
    return bytesOf(bodyUnit(request, result, language != CodeLanguage::A51));
}

std::string delayCode(const DelayRequest& request, const DelayResult& result,
                      CodeLanguage language) {
    if (language == CodeLanguage::C)
        return cUnit(request, result);
    const bool keil = language == CodeLanguage::A51;
    // Keil C51 calls a function whose arguments come in registers _name (Cx51 User's Guide,
    // segment naming conventions); SDCC calls every function _name, which sdas8051 adds.
    const std::string entry = (keil && request.kind == DelayKind::PerStep ? "_" : "") + result.name;
    AsmUnit body = bodyUnit(request, result, !keil);
    AsmUnit unit{result.name, {}, &request.family, {}};
    for (const std::string& line : headerLines(request, result, language))
        unit.header += "; " + line + "\n";
    unit.header += keil ? "; C51: " + prototype(request, result) + ";\n"
                        : "; Declare it in C: " + prototype(request, result) + ";\n";
    unit.add(Kind::Public, entry);
    unit.add(Kind::Code);
    unit.add(Kind::Label, entry);
    unit.lines.insert(unit.lines.end(), body.lines.begin(), body.lines.end());
    return renderAssembly(unit, language);
}

} // namespace tickora
