#include "delayparts.h"

#include <algorithm>

namespace tickora::delayparts {

AsmLine instruction(std::string mnemonic, std::vector<AsmOperand> operands) {
    return {AsmLine::Kind::Instruction, std::move(mnemonic), std::move(operands)};
}

std::vector<AsmLine> entryTest() {
    return {instruction("MOV", {acc(), reg(7)}), instruction("ORL", {acc(), reg(6)})};
}

std::vector<AsmLine> argumentMoves() {
    return {instruction("MOV", {reg(7), sfr("DPL")}), instruction("MOV", {reg(6), sfr("DPH")})};
}

std::vector<AsmLine> countDown() {
    return {instruction("MOV", {acc(), reg(7)}),     instruction("ADD", {acc(), imm(0xFF)}),
            instruction("MOV", {reg(7), acc()}),     instruction("MOV", {acc(), reg(6)}),
            instruction("ADDC", {acc(), imm(0xFF)}), instruction("MOV", {reg(6), acc()}),
            instruction("ORL", {acc(), reg(7)})};
}

std::optional<std::int64_t> timeOf(const ChipFamily& family, const AsmLine& line) {
    if (family.classicCycle)
        if (const auto cycles = classicCycles(line); cycles && *cycles > 0)
            return *cycles;
    if (family.classicCycle)
        return std::nullopt;
    return coreClocks(family, line);
}

std::optional<std::int64_t> timeOf(const ChipFamily& family, const std::vector<AsmLine>& lines) {
    std::int64_t total = 0;
    for (const AsmLine& line : lines) {
        if (line.kind != AsmLine::Kind::Instruction)
            continue; // a label takes no time
        const auto each = timeOf(family, line);
        if (!each)
            return std::nullopt;
        total += *each;
    }
    return total;
}

// "delay_10ms", "delay_250us", "delay_ms" for a step of 1 ms: the largest unit the time is a
// whole number of, its count left out for a step of one.
std::string nameOf(const Exact& us, bool perStep) {
    struct Unit {
        const char* name;
        std::int64_t perUs; // of the unit in a µs, or µs in it, negated
    };
    constexpr Unit units[] = {{"s", -1'000'000}, {"ms", -1000}, {"us", 1}, {"ns", 1000}};
    for (const Unit& unit : units) {
        const Exact count = unit.perUs < 0 ? us / Exact(-unit.perUs) : us * Exact(unit.perUs);
        if (count.denominator() != 1)
            continue;
        const std::string digits = count == Exact(1) && perStep ? "" : count.text(0);
        return "delay_" + digits + unit.name;
    }
    std::string digits = (us * Exact(1000)).text(9);
    std::replace(digits.begin(), digits.end(), '.', 'p');
    return "delay_" + digits + "ns";
}

} // namespace tickora::delayparts
