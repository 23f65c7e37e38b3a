// What both kinds of delay are made of: the instructions a call by argument begins and ends its
// steps with, and each instruction's time on the family's core (a classic core's machine cycles
// from Intel's table, a 1T core's clocks from its vendor's). Internal to the delay generators.
// Standard C++ only.
#pragma once

#include "asmunit.h"
#include "exact.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tickora::delayparts {

AsmLine instruction(std::string mnemonic, std::vector<AsmOperand> operands = {});
// A = R7 | R6: n = 0?
std::vector<AsmLine> entryTest();
// SDCC passes a 2-byte first argument in DPL (low) and DPH (high) (SDCC manual, interfacing with
// assembly routines); Keil C51 an int's in R7 (low) and R6 (high) (Cx51 User's Guide, parameters
// and registers). SDCC's forms move it to where Keil's finds it, so the rest is the same code.
std::vector<AsmLine> argumentMoves();
// n - 1 into R7:R6 by adding 0FFFFH, the same instructions every step whatever the bytes hold,
// and A = R6 | R7 for the JNZ after it.
std::vector<AsmLine> countDown();

// The instruction's time in the core's units, or nothing where the core's table lacks it or none
// is known: a branch takes it whether it jumps or not.
std::optional<std::int64_t> timeOf(const ChipFamily& family, const AsmLine& line);
// The lines' time; nothing where one is not known.
std::optional<std::int64_t> timeOf(const ChipFamily& family, const std::vector<AsmLine>& lines);

// "delay_10ms", "delay_250us", "delay_ms" for a step of 1 ms: a valid C identifier.
std::string nameOf(const Exact& us, bool perStep);

} // namespace tickora::delayparts
