// The code Tickora copies as C, written as 8051 assembly instead, in Keil A51's or sdas8051's
// syntax. Standard C++ only.
#pragma once

#include "baudrate.h"
#include "codelanguage.h"
#include "plan.h"
#include "registers.h"

#include <optional>
#include <string>

namespace tickora {

// Each as its C twin (timerInitCode, reloadTimerInitCode, baudInitCode, tickPlanCode), for
// language A51 or Sdas: a unit that assembles on its own.
std::optional<std::string> timerInitAssembly(int timer, const TimerSetup& setup,
                                             CodeLanguage language);
std::optional<std::string> reloadTimerInitAssembly(int timer, const TimerSetup& setup,
                                                   CodeLanguage language);
std::optional<std::string> baudInitAssembly(const BaudRequest& request, const BaudSetting& setting,
                                            CodeLanguage language);

} // namespace tickora
