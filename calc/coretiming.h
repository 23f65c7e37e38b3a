// The instruction tables of the 1T cores whose vendors publish one: a row for each instruction
// form, as the vendor prints it, each table in a file of its own (cores/*.inc), so that a slip in
// copying shows against the vendor's table row by row. Standard C++ only.
#pragma once

#include <span>
#include <string_view>

namespace tickora {

struct CoreInstruction {
    std::string_view mnemonic;
    std::string_view operands; // as the vendor writes them: "A,Rn", "Rn,rel", "addr16", ""
    std::string_view opcodes;  // "28-2F", "26,27"
    int bytes;
    int clocks; // 0 where the vendor's documents disagree
};

struct CoreTable {
    std::string_view id;
    // The document, edition and place the figures come from, as a unit's header names it.
    std::string_view source;
    std::span<const CoreInstruction> rows;
};

const CoreTable& stc12Core();
const CoreTable& stc15Core();
const CoreTable& n76e003Core();

// The row of an instruction form, or null where the table has none.
const CoreInstruction* findInstruction(const CoreTable& table, std::string_view mnemonic,
                                       std::string_view operands);

} // namespace tickora
