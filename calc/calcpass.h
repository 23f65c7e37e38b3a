// The calculation pass that every calculating action of the main window ends in.
#pragma once

#include "calculator.h"
#include "chipfamily.h"
#include "timing.h"
#include "working.h"

#include <QString>

#include <optional>

namespace tickora {

class DialogServices;
class NumberText;

// The four texts written to the result boxes Text3 to Text6.
struct ResultTexts {
    QString maxTime;   // Text3: longest interval, decimal
    QString initValue; // Text4: initial value, hexadecimal
    QString cycle;     // Text5: machine-cycle time
    QString error;     // Text6: error of the initial value

    friend bool operator==(const ResultTexts&, const ResultTexts&) = default;
};

// What a successful pass shows, and the same value worked from the typed decimals, from which
// every other figure (the achieved interval, the code's comments) is taken.
struct PassResult {
    ResultTexts texts;
    Timing timing;
};

// The three messages; the fault message covers every fault, whatever its cause.
namespace messages {
inline const QString badCrystal = QStringLiteral("晶体频率设置不当，请重新设置");
inline const QString outOfRange = QStringLiteral("超出定时范围，请重新输入定时时间或晶体频率");
inline const QString fault = QStringLiteral("你输入的值中含有字符，请修正，重新输入数字");
} // namespace messages

struct TimerSetup;

// Why a timer's value gets no routine: its interval is shorter than the routine takes, with the
// fewest counts it needs. Empty when the routine keeps up.
QString routineTooShort(const TimerSetup& setup);
// Why timer 2, 3 or 4, of one mode, cannot time the interval asked: longer than its 65536 counts
// (of its clock divided by 256 at most where it has a prescaler), or shorter than half of one.
QString oneModeTooLong(int timer, const TimerSetup& asked);

// Parses both texts into state, calculates, and either returns the results or shows exactly one
// message through dialogs and returns nothing. The classic 8051 at 12T runs the single-precision
// pass the window has always run; every other chip and clock is worked exactly from the typed
// decimals.
std::optional<PassResult> cal(const QString& intervalText, const QString& crystalText,
                              CalcState& state, const ChipFamily& family, const NumberText& numbers,
                              DialogServices& dialogs);

// The working of the pass cal() would run on these texts, the same numbers to the last digit,
// or, without a mode chosen, why there is none.
Working passWorking(const QString& intervalText, const QString& crystalText, CalcState state,
                    const ChipFamily& family, int mode, const NumberText& numbers);
// The working as text, each number in the window's number text.
QString workingQText(const Working& working, const NumberText& numbers);

} // namespace tickora
