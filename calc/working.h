// The working behind a figure: the steps from the user's own numbers to it, each an expression a
// pocket calculator can redo and its result as the window prints it, in Chinese, for a student's
// report or an engineer's check. Standard C++ only; the caller's number text reaches it from
// outside, so the numbers read as the window's.
#pragma once

#include "baudrate.h"
#include "calculator.h"
#include "delay.h"
#include "plan.h"
#include "timing.h"
#include "wave.h"

#include <functional>
#include <string>
#include <vector>

namespace tickora {

// How a step's result follows from its expression.
enum class Rounding {
    Exact,    // "=": the expression's value
    HalfAway, // "≈": rounded half away from zero to the result's decimals
    Cut,      // "≈": cut toward zero to the result's decimals
    ToEven,   // "≈": the nearest whole number, a tie to the even one
    Single,   // "≈": the double nearest, stored as the single-precision float nearest it
    Double,   // "≈": the double nearest
};

// "机器周期 T = D ÷ f：12 ÷ 11.0592 ≈ 1.085 µs（四舍五入到 3 位小数）"
struct WorkingStep {
    std::string label;              // what is worked out, with its formula
    std::vector<std::string> terms; // numbers, "×", "÷", "+", "−", "(", ")"; none for a choice
                                    // ("循环计数：R7 为 113，R6 为 20"), printed as it is
    Rounding rounding;
    std::string result; // as the window prints it; a hexadecimal one ends in "H"
    std::string unit = {};
};

struct Working {
    std::string title;
    std::vector<std::string> given; // the inputs, one line each
    std::vector<WorkingStep> steps;
    std::vector<std::string> notes; // after the steps: what failed, why a plan ranks so
};

// The number text of the window's locale, for every number of the text; ASCII as it is here.
using NumberLocalizer = std::function<std::string(const std::string& ascii)>;
// Numbered steps under the title and the inputs; "=" or "≈" as the rounding is.
std::string workingText(const Working& working, const NumberLocalizer& localize = {});
// What "≈" rounded by, said after the result.
const char* roundingNote(Rounding rounding, int decimals);

// The main window's pass: the classic 8051 at 12T in its single-precision steps, every other chip
// and clock exactly; a refused pass says which bound it crossed and by how much.
struct TimerWorkingInput {
    const ChipFamily& family;
    int mode;
    Timing timing;       // the typed decimals, with the counts where the pass succeeded
    CalcState state;     // the pass's stored fields
    CalcOutcome outcome; // Fault: a text was not a number
    bool singlePass;
};
Working timerWorking(const TimerWorkingInput& input);

Working baudWorking(const BaudRequest& request, const std::optional<BaudSetting>& setting);

// rank: the plan's place in the table, from 1; held: it was ranked last for a timer another
// window's code takes.
Working planWorking(const PlanRequest& request, const TickPlan& plan, int rank, bool held);

Working delayWorking(const DelayRequest& request, const DelayResult& result);

Working waveWorking(const WaveRequest& request, const WaveWay& way);

} // namespace tickora
