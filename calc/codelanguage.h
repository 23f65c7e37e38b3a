// The languages Tickora writes code in: C for SDCC and Keil C51, and 8051 assembly in the two
// syntaxes people use. A table, so that the windows and the command line list the same rows.
// Standard C++ only.
#pragma once

#include <span>
#include <string_view>

namespace tickora {

enum class CodeLanguage {
    C,
    A51,  // Keil A51: MOV TH0,#0FCH, CSEG AT 000BH, END
    Sdas, // SDCC's sdas8051: .area, mov _TH0,#0xFC
};

struct CodeLanguageRow {
    CodeLanguage language;
    std::string_view id;     // as the command line and the settings name it
    std::string_view label;  // as the windows show it, UTF-8
    std::string_view suffix; // of a file the code is saved in
};

// C first: it is what every window copies until the user picks another.
std::span<const CodeLanguageRow> codeLanguages();
const CodeLanguageRow& languageRow(CodeLanguage language);
// The row with this id, or nothing.
const CodeLanguageRow* findCodeLanguage(std::string_view id);

} // namespace tickora
