#include "coretiming.h"

namespace tickora {
namespace {

constexpr CoreInstruction stc12Rows[] = {
#include "cores/stc12.inc"
};
constexpr CoreInstruction stc15Rows[] = {
#include "cores/stc15.inc"
};
constexpr CoreInstruction n76e003Rows[] = {
#include "cores/n76e003.inc"
};

// The STC11F/10Fxx data sheet §5.3 and the STC12C5A60S2 manual §2.8 agree but on four forms.
constexpr CoreTable stc12{"stc12",
                          "STC's STC11F/10Fxx data sheet (2011/8/16) section 5.3, STC12C5A60S2 "
                          "column, as the STC12C5A60S2 manual section 2.8",
                          stc12Rows};
// STC's PDF was not reachable: a public transcription of its table stands in for it.
constexpr CoreTable stc15{"stc15",
                          "the STC15F2K60S2 data sheet's instruction summary (p. 340) as "
                          "transcribed in cyrozap/8051-timing-db; the PDF itself not seen",
                          stc15Rows};
// Nuvoton's MS51 16K TRM (Table 28.2-1) gives the same clocks, row for row.
constexpr CoreTable n76e003{"n76e003",
                            "Nuvoton's N76E003 data sheet Rev 1.09, Table 30-1 (as its MS51 16K "
                            "TRM, Table 28.2-1; no MS51 32K table was found)",
                            n76e003Rows};

} // namespace

const CoreTable& stc12Core() { return stc12; }
const CoreTable& stc15Core() { return stc15; }
const CoreTable& n76e003Core() { return n76e003; }

const CoreInstruction* findInstruction(const CoreTable& table, std::string_view mnemonic,
                                       std::string_view operands) {
    for (const CoreInstruction& row : table.rows)
        if (row.mnemonic == mnemonic && row.operands == operands)
            return &row;
    return nullptr;
}

} // namespace tickora
