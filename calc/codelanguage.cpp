#include "codelanguage.h"

namespace tickora {
namespace {

constexpr CodeLanguageRow languages[] = {
    {CodeLanguage::C, "c", "C 语言", ".c"},
    {CodeLanguage::A51, "a51", "汇编（Keil A51）", ".a51"},
    {CodeLanguage::Sdas, "asx", "汇编（SDCC sdas8051）", ".asm"},
};

} // namespace

std::span<const CodeLanguageRow> codeLanguages() { return languages; }

const CodeLanguageRow& languageRow(CodeLanguage language) {
    for (const CodeLanguageRow& row : languages)
        if (row.language == language)
            return row;
    return languages[0];
}

const CodeLanguageRow* findCodeLanguage(std::string_view id) {
    for (const CodeLanguageRow& row : languages)
        if (row.id == id)
            return &row;
    return nullptr;
}

} // namespace tickora
