// A unit of 8051 assembly written once, as data, and printed in Keil A51's or sdas8051's syntax:
// both print the same instructions in the same order, so the two assemble to the same bytes.
// Standard C++ only.
#pragma once

#include "chipfamily.h"
#include "codelanguage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tickora {

struct AsmOperand {
    enum class Kind {
        Acc,
        Carry,
        Sfr,
        Bit,
        Immediate,
        Variable,
        Label,
        Register,
        Dptr,        // DPTR
        AtDptr,      // @DPTR, the external or extended RAM MOVX reaches
        AtADptr,     // @A+DPTR, where JMP jumps
        Immediate16, // #data16: a 16-bit value, or a label's address where name is set
    };
    Kind kind;
    std::string name; // of a register, bit, variable or label; "R7" for register R7
    int value = 0;    // an immediate byte or word, or a variable's byte offset
};

AsmOperand acc();
AsmOperand carry();
AsmOperand sfr(std::string name);
AsmOperand bit(std::string name);
AsmOperand imm(int value); // its low byte
AsmOperand var(std::string name, int byteOffset = 0);
AsmOperand label(std::string name);
AsmOperand reg(int number); // R0 to R7 of the bank in use
AsmOperand dptr();
AsmOperand atDptr();
AsmOperand atADptr();
AsmOperand imm16(int value);                 // its low 16 bits
AsmOperand addressOf(std::string labelName); // #label, a label's 16-bit address

struct AsmLine {
    enum class Kind {
        Instruction, // text: the mnemonic
        Label,       // text: its name
        Note,        // text: a comment line of the code
        Blank,
        Vector,  // an interrupt vector at value, jumping to text
        Code,    // the code that follows goes in the unit's relocatable code segment
        Data,    // the variables that follow go in internal RAM
        Reserve, // a variable text of value bytes
        Public,  // text is called from other units
    };
    Kind kind;
    std::string text;
    std::vector<AsmOperand> operands = {};
    int value = 0;
    std::string comment = {}; // after an instruction
};

struct AsmUnit {
    std::string module; // its name as the assembler's module: "timer0"
    std::string header; // comment lines, each "; ..."
    const ChipFamily* family;
    std::vector<AsmLine> lines;
    std::vector<SfrAddress> symbols = {}; // registers of its own, beyond the family's

    void op(std::string mnemonic, std::vector<AsmOperand> operands = {}, std::string comment = {});
    void add(AsmLine::Kind kind, std::string text = {}, int value = 0);
};

// Machine cycles of an instruction on the classic core; nothing for one the table lacks.
std::optional<int> classicCycles(const AsmLine& line);
// The bytes an instruction takes in code memory: its opcode, and one for each immediate, direct
// address, bit or relative jump, two for LCALL's and LJMP's address.
int codeBytes(const AsmLine& line);
// The classic core's table: Intel's machine cycles of every instruction the units use.
std::span<const InstructionTiming> classicTimingTable();
// The instruction's row in a table of times, or null where the table lacks it.
const InstructionTiming* timingOf(std::span<const InstructionTiming> table, const AsmLine& line);
// Oscillator clocks of an instruction on a 1T core, from the family's table; nothing where the
// table lacks it.
std::optional<int> coreClocks(const ChipFamily& family, const AsmLine& line);

// The unit in A51 or sdas8051 syntax, ASCII, with every register it names that the assembler
// does not know declared.
std::string renderAssembly(const AsmUnit& unit, CodeLanguage language);
// The unit's instructions and labels as the body of SDCC's __asm ... __endasm: sdas8051 syntax,
// its labels SDCC's local ones (00001$, in order), which no other function's code can clash with.
std::string renderInlineAssembly(const AsmUnit& unit);

} // namespace tickora
