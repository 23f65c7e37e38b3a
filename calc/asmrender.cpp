#include "asmunit.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <string_view>

namespace tickora {
namespace {

struct Symbol {
    std::string_view name;
    std::uint8_t address;
    bool bit;
    bool a51Knows; // predefined by A51, as the 8051's own registers are
};

// The 8051's registers and bits (Intel MCS-51 User's Manual, SFR map), the 8052's timer 2
// (SDCC's 8052.h, AT89C51RC datasheet) and STC12's AUXR and BRT (STC12C5A60S2.H). Other
// families' registers come from their rows' lists.
constexpr Symbol symbols[] = {
    {"ACC", 0xE0, false, true},    {"PSW", 0xD0, false, true},     {"TCON", 0x88, false, true},
    {"TMOD", 0x89, false, true},   {"TL0", 0x8A, false, true},     {"TL1", 0x8B, false, true},
    {"TH0", 0x8C, false, true},    {"TH1", 0x8D, false, true},     {"PCON", 0x87, false, true},
    {"SCON", 0x98, false, true},   {"SBUF", 0x99, false, true},    {"IE", 0xA8, false, true},
    {"TF1", 0x8F, true, true},     {"TR1", 0x8E, true, true},      {"TF0", 0x8D, true, true},
    {"TR0", 0x8C, true, true},     {"EA", 0xAF, true, true},       {"ET1", 0xAB, true, true},
    {"ET0", 0xA9, true, true},     {"TI", 0x99, true, true},       {"RI", 0x98, true, true},
    {"T2CON", 0xC8, false, false}, {"RCAP2L", 0xCA, false, false}, {"RCAP2H", 0xCB, false, false},
    {"TL2", 0xCC, false, false},   {"TH2", 0xCD, false, false},    {"TF2", 0xCF, true, false},
    {"TR2", 0xCA, true, false},    {"ET2", 0xAD, true, false},     {"AUXR", 0x8E, false, false},
    {"BRT", 0x9C, false, false},   {"DPL", 0x82, false, true},     {"DPH", 0x83, false, true},
};

std::optional<Symbol> findSymbol(const AsmUnit& unit, std::string_view name) {
    for (const SfrAddress& sfr : unit.symbols)
        if (sfr.name == name)
            return Symbol{sfr.name, sfr.address, false, false};
    const ChipFamily& family = *unit.family;
    for (const SfrAddress& sfr : family.sdccLacks)
        if (sfr.name == name)
            return Symbol{sfr.name, sfr.address, false, false};
    for (const Symbol& symbol : symbols)
        if (symbol.name == name)
            return symbol;
    return std::nullopt;
}

std::string hexText(const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A51 reads 0FCH as a number and FCH as a name: a leading 0 where the first digit is a letter.
std::string a51Hex(unsigned value, int digits) {
    const std::string text = hexText(digits == 4 ? "%04X" : "%02X", value);
    return (std::isalpha(static_cast<unsigned char>(text[0])) ? "0" : "") + text + "H";
}

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool a51(CodeLanguage language) { return language == CodeLanguage::A51; }

// sdas8051 gives C's names a leading underscore, as SDCC does: _TH0, _timer0_isr.
std::string operandText(const AsmOperand& operand, CodeLanguage language) {
    const bool keil = a51(language);
    switch (operand.kind) {
    case AsmOperand::Kind::Acc:
        return keil ? "A" : "a";
    case AsmOperand::Kind::Register:
        return keil ? operand.name : lower(operand.name);
    case AsmOperand::Kind::Carry:
        return keil ? "C" : "c";
    case AsmOperand::Kind::Immediate:
        return "#" + (keil ? a51Hex(unsigned(operand.value), 2)
                           : hexText("0x%02X", unsigned(operand.value)));
    case AsmOperand::Kind::Variable:
        if (operand.value != 0)
            return keil ? operand.name + "+" + std::to_string(operand.value)
                        : "(_" + operand.name + " + " + std::to_string(operand.value) + ")";
        break;
    case AsmOperand::Kind::Dptr:
        return keil ? "DPTR" : "dptr";
    case AsmOperand::Kind::AtDptr:
        return keil ? "@DPTR" : "@dptr";
    case AsmOperand::Kind::AtADptr:
        return keil ? "@A+DPTR" : "@a+dptr";
    case AsmOperand::Kind::Immediate16:
        if (!operand.name.empty())
            return "#" + (keil ? operand.name : "_" + operand.name);
        return "#" + (keil ? a51Hex(unsigned(operand.value), 4)
                           : hexText("0x%04X", unsigned(operand.value)));
    case AsmOperand::Kind::Bit:
        if (operand.name.find('.') != std::string::npos) // a register's bit both know: ACC.0
            return keil ? operand.name : lower(operand.name);
        break;
    case AsmOperand::Kind::Sfr:
    case AsmOperand::Kind::Label:
        break;
    }
    return keil ? operand.name : "_" + operand.name;
}

std::string instructionText(const AsmLine& line, CodeLanguage language) {
    std::string text = "\t" + (a51(language) ? line.text : lower(line.text));
    for (std::size_t i = 0; i < line.operands.size(); ++i)
        text += (i == 0 ? "\t" : ",") + operandText(line.operands[i], language);
    return text + (line.comment.empty() ? "" : "\t; " + line.comment) + "\n";
}

// Each register and bit the unit names that the assembler does not know, once.
std::string declarations(const AsmUnit& unit, CodeLanguage language) {
    std::set<std::string> named;
    std::string text;
    for (const AsmLine& line : unit.lines)
        for (const AsmOperand& operand : line.operands) {
            const bool reg = operand.kind == AsmOperand::Kind::Sfr;
            if ((!reg && operand.kind != AsmOperand::Kind::Bit) ||
                !named.insert(operand.name).second)
                continue;
            const auto symbol = findSymbol(unit, operand.name);
            if (!symbol || (a51(language) && symbol->a51Knows))
                continue;
            text += a51(language)
                        ? operand.name + (reg ? "\tDATA\t" : "\tBIT\t") +
                              a51Hex(symbol->address, 2) + "\n"
                        : "_" + operand.name + " = " + hexText("0x%02x", symbol->address) + "\n";
        }
    return text;
}

// A51: the code in a relocatable segment, so that the unit links beside C modules and others
// wherever the linker puts it; only the vectors sit at fixed addresses. sdas8051 the same way.
std::string a51Line(const AsmUnit& unit, const AsmLine& line) {
    const std::string segment = unit.module;
    switch (line.kind) {
    case AsmLine::Kind::Instruction:
        return instructionText(line, CodeLanguage::A51);
    case AsmLine::Kind::Label:
        return line.text + ":\n";
    case AsmLine::Kind::Note:
        return "\t; " + line.text + "\n";
    case AsmLine::Kind::Blank:
        return "\n";
    case AsmLine::Kind::Vector:
        return "\tCSEG\tAT " + a51Hex(unsigned(line.value), 4) + "\n\tLJMP\t" + line.text + "\n";
    case AsmLine::Kind::Code:
        return segment + "_CODE\tSEGMENT\tCODE\n\tRSEG\t" + segment + "_CODE\n";
    case AsmLine::Kind::Data:
        return segment + "_DATA\tSEGMENT\tDATA\n\tRSEG\t" + segment + "_DATA\n";
    case AsmLine::Kind::Reserve:
        return line.text + ":\tDS\t" + std::to_string(line.value) + "\n";
    case AsmLine::Kind::Public:
        break;
    }
    return "\tPUBLIC\t" + line.text + "\n";
}

std::string sdasLine(const AsmLine& line) {
    switch (line.kind) {
    case AsmLine::Kind::Instruction:
        return instructionText(line, CodeLanguage::Sdas);
    case AsmLine::Kind::Label:
        return "_" + line.text + ":\n";
    case AsmLine::Kind::Note:
        return "\t; " + line.text + "\n";
    case AsmLine::Kind::Blank:
        return "\n";
    // In code space, or the linker books internal RAM at the vector's address; overlaid, so
    // that the same LJMP in SDCC's own vector table lies over it instead of moving that table.
    case AsmLine::Kind::Vector:
        return "\t.area VECT (ABS,OVR,CODE)\n\t.org " + hexText("0x%04x", unsigned(line.value)) +
               "\n\tljmp\t_" + line.text + "\n";
    case AsmLine::Kind::Code:
        return "\t.area CSEG (CODE)\n";
    case AsmLine::Kind::Data:
        return "\t.area DSEG (DATA)\n";
    case AsmLine::Kind::Reserve:
        return "_" + line.text + ":\n\t.ds " + std::to_string(line.value) + "\n";
    case AsmLine::Kind::Public:
        break;
    }
    return "\t.globl _" + line.text + "\n";
}

// The operands' kinds as a shape, a letter each: "Ad" for A,direct.
std::string shapeOf(const AsmLine& line) {
    std::string shape;
    for (const AsmOperand& operand : line.operands)
        shape += "ACdb#dlrp@jw"[static_cast<int>(operand.kind)];
    return shape;
}

std::optional<int> timeIn(std::span<const InstructionTiming> table, const AsmLine& line) {
    if (const InstructionTiming* row = timingOf(table, line))
        return row->time;
    return std::nullopt;
}

// Intel MCS-51 User's Manual, instruction set summary: machine cycles of the instructions the
// units use. Its branches take as long whether they jump or not.
constexpr InstructionTiming classicTiming[] = {
    {"MOV", "Ad", 1},  {"MOV", "A#", 1}, {"MOV", "dA", 1},  {"MOV", "d#", 2},  {"MOV", "Cb", 1},
    {"MOV", "bC", 2},  {"ADD", "A#", 1}, {"ADDC", "A#", 1}, {"SUBB", "A#", 1}, {"ANL", "A#", 1},
    {"ORL", "A#", 1},  {"ORL", "Ad", 1}, {"ANL", "d#", 2},  {"ORL", "d#", 2},  {"SWAP", "A", 1},
    {"RR", "A", 1},    {"RL", "A", 1},   {"CLR", "b", 1},   {"SETB", "b", 1},  {"CLR", "C", 1},
    {"PUSH", "d", 2},  {"POP", "d", 2},  {"RET", "", 2},    {"RETI", "", 2},   {"JNZ", "l", 2},
    {"JZ", "l", 2},    {"SJMP", "l", 2}, {"LCALL", "l", 2}, {"ACALL", "l", 2}, {"NOP", "", 1},
    {"DJNZ", "rl", 2}, {"MOV", "r#", 1}, {"MOV", "rd", 2},  {"MOV", "Ar", 1},  {"MOV", "rA", 1},
    {"ORL", "Ar", 1},  {"MOV", "pw", 2}, {"MOVX", "@A", 2}, {"JMP", "j", 2},   {"JNB", "bl", 2},
    {"JB", "bl", 2},   {"CPL", "b", 1},
};

} // namespace

AsmOperand acc() { return {AsmOperand::Kind::Acc, {}}; }
AsmOperand carry() { return {AsmOperand::Kind::Carry, {}}; }
AsmOperand sfr(std::string name) { return {AsmOperand::Kind::Sfr, std::move(name)}; }
AsmOperand bit(std::string name) { return {AsmOperand::Kind::Bit, std::move(name)}; }
AsmOperand imm(int value) { return {AsmOperand::Kind::Immediate, {}, value & 0xFF}; }
AsmOperand var(std::string name, int byteOffset) {
    return {AsmOperand::Kind::Variable, std::move(name), byteOffset};
}
AsmOperand label(std::string name) { return {AsmOperand::Kind::Label, std::move(name)}; }
AsmOperand reg(int number) { return {AsmOperand::Kind::Register, "R" + std::to_string(number)}; }
AsmOperand dptr() { return {AsmOperand::Kind::Dptr, {}}; }
AsmOperand atDptr() { return {AsmOperand::Kind::AtDptr, {}}; }
AsmOperand atADptr() { return {AsmOperand::Kind::AtADptr, {}}; }
AsmOperand imm16(int value) { return {AsmOperand::Kind::Immediate16, {}, value & 0xFFFF}; }
AsmOperand addressOf(std::string labelName) {
    return {AsmOperand::Kind::Immediate16, std::move(labelName)};
}

void AsmUnit::op(std::string mnemonic, std::vector<AsmOperand> operands, std::string comment) {
    lines.push_back({AsmLine::Kind::Instruction, std::move(mnemonic), std::move(operands), 0,
                     std::move(comment)});
}

void AsmUnit::add(AsmLine::Kind kind, std::string text, int value) {
    lines.push_back({kind, std::move(text), {}, value});
}

std::optional<int> classicCycles(const AsmLine& line) { return timeIn(classicTiming, line); }
std::span<const InstructionTiming> classicTimingTable() { return classicTiming; }

int codeBytes(const AsmLine& line) {
    if (line.kind != AsmLine::Kind::Instruction)
        return 0;
    const bool long_ = line.text == "LCALL" || line.text == "LJMP";
    int bytes = 1;
    using Kind = AsmOperand::Kind;
    for (const AsmOperand& operand : line.operands)
        bytes += operand.kind == Kind::Label         ? (long_ ? 2 : 1)
                 : operand.kind == Kind::Immediate16 ? 2
                 : operand.kind == Kind::Acc || operand.kind == Kind::Carry ||
                         operand.kind == Kind::Register || operand.kind == Kind::Dptr ||
                         operand.kind == Kind::AtDptr || operand.kind == Kind::AtADptr
                     ? 0
                     : 1;
    return bytes;
}

const InstructionTiming* timingOf(std::span<const InstructionTiming> table, const AsmLine& line) {
    const std::string shape = shapeOf(line);
    for (const InstructionTiming& row : table)
        if (row.mnemonic == line.text && row.shape == shape)
            return &row;
    return nullptr;
}

namespace {

// The operands as a vendor's table writes them: "A,Rn", "Rn,rel", "direct,#data", "addr16".
std::string vendorOperands(const AsmLine& line) {
    std::string text;
    for (const AsmOperand& operand : line.operands) {
        using Kind = AsmOperand::Kind;
        const std::string_view address = line.text == "LCALL" || line.text == "LJMP"   ? "addr16"
                                         : line.text == "ACALL" || line.text == "AJMP" ? "addr11"
                                                                                       : "rel";
        const std::string_view kinds[] = {"A", "C",  "direct", "bit",   "#data",   "direct",
                                          "",  "Rn", "DPTR",   "@DPTR", "@A+DPTR", "#data16"};
        text += (text.empty() ? "" : ",") +
                std::string(operand.kind == Kind::Label ? address : kinds[int(operand.kind)]);
    }
    return text;
}

} // namespace

std::optional<int> coreClocks(const ChipFamily& family, const AsmLine& line) {
    const CoreInstruction* row =
        family.core ? findInstruction(*family.core, line.text, vendorOperands(line)) : nullptr;
    return row && row->clocks > 0 ? std::optional(row->clocks) : std::nullopt;
}

// SDCC's C puts its start-up code where the vectors are unless main()'s file declares the
// routine: then its own vector table holds the same LJMP.
std::string sdccNote(const AsmUnit& unit) {
    std::string note;
    for (const AsmLine& line : unit.lines)
        if (line.kind == AsmLine::Kind::Vector)
            note += "; With SDCC's C, declare the routine beside main():\n;     void " + line.text +
                    "(void) __interrupt(" + std::to_string((line.value - 3) / 8) +
                    ");\n; SDCC then puts the same LJMP at " +
                    hexText("%04XH", unsigned(line.value)) +
                    " in its own vector table. Without it, SDCC\n; places its own code from "
                    "0003H up, over the vector once it reaches it,\n; and the two overwrite each "
                    "other.\n";
    return note;
}

std::string renderAssembly(const AsmUnit& unit, CodeLanguage language) {
    const bool keil = a51(language);
    std::string text =
        unit.header + (keil ? "" : sdccNote(unit)) + "\n" +
        (keil ? "\tNAME\t" + unit.module + "\n" : "\t.module " + unit.module + "\n") +
        declarations(unit, language);
    for (const AsmLine& line : unit.lines)
        text += keil ? a51Line(unit, line) : sdasLine(line);
    return text + (keil ? "\n\tEND\n" : "");
}

namespace {

// sdas8051 knows the core's own registers by name (dpl, dph); any other is the C symbol its
// header declares for SDCC (_TMOD, _AUXR).
std::string inlineSfr(const std::string& name) {
    constexpr std::string_view core[] = {"ACC", "B", "DPL", "DPH", "PSW", "SP"};
    return std::find(std::begin(core), std::end(core), name) != std::end(core) ? lower(name)
                                                                               : "_" + name;
}

} // namespace

// SDCC's inline assembly knows the 8051's own registers by sdas8051's names (dpl, dph), not by a
// C header's (_DPL), and its labels are local ones, numbered.
std::string renderInlineAssembly(const AsmUnit& unit) {
    std::vector<std::string> labels;
    const auto local = [&labels](const std::string& name) {
        auto at = std::find(labels.begin(), labels.end(), name);
        if (at == labels.end())
            at = labels.insert(labels.end(), name);
        return hexText("%05u$", unsigned(at - labels.begin() + 1));
    };
    std::string text;
    for (const AsmLine& line : unit.lines) {
        if (line.kind == AsmLine::Kind::Label)
            text += local(line.text) + ":\n";
        else if (line.kind == AsmLine::Kind::Note)
            text += "\t; " + line.text + "\n";
        if (line.kind != AsmLine::Kind::Instruction)
            continue;
        text += "\t" + lower(line.text);
        for (std::size_t i = 0; i < line.operands.size(); ++i) {
            const AsmOperand& operand = line.operands[i];
            text += (i == 0 ? "\t" : ",") +
                    (operand.kind == AsmOperand::Kind::Label ? local(operand.name)
                     : operand.kind == AsmOperand::Kind::Immediate16 && !operand.name.empty()
                         ? "#" + local(operand.name)
                     : operand.kind == AsmOperand::Kind::Sfr
                         ? inlineSfr(operand.name)
                         : operandText(operand, CodeLanguage::Sdas));
        }
        text += (line.comment.empty() ? "" : "\t; " + line.comment) + "\n";
    }
    return text;
}

} // namespace tickora
