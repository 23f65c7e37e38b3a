#include "assembly.h"

namespace tickora {

// PLACEHOLDER (asm-api branch only): the assembly helper replaces this file.
std::optional<std::string> timerInitAssembly(int, const TimerSetup&, CodeLanguage) {
    return "; placeholder\n";
}
std::optional<std::string> timer2InitAssembly(const TimerSetup&, CodeLanguage) {
    return "; placeholder\n";
}
std::string baudInitAssembly(const BaudRequest&, const BaudSetting&, CodeLanguage) {
    return "; placeholder\n";
}

} // namespace tickora
