// What the sub-commands share: the option table they all read, the names of families and clocks,
// and the small helpers of their output. Internal to the command line.
#pragma once

#include "commandline.h"
#include "uses.h"

#include <QJsonArray>
#include <QJsonObject>

#include <span>
#include <string_view>

namespace tickora::cli {

struct OptionSpec {
    QString name;
    QString value; // the placeholder; empty for a switch
    QString help;
    QString only = {}; // the one sub-command this row is for; empty for all that take the option
};

std::span<const OptionSpec> optionSpecs();
bool isFor(const OptionSpec& option, const QString& command);
const OptionSpec* findOption(const QString& name, const QString& command);
// "stc15, stc8, stc32g": the row's id and the other names people know its parts by.
QString familyNames(const ChipFamily& family);
QString clockNames(const ChipFamily& family);

// "1s", "500ms", "250us" or a plain number of µs, read as the window reads numbers, exactly.
Exact timeWithUnit(const Invocation& in, const QString& option);
QString fromUtf8(std::string_view text);
// "c|a51|asx", from the table the windows list too.
QString languageIds();
QByteArray jsonLine(const QJsonObject& object);
// A unit's timers and interrupts, as its header names them: ["timer 2", "interrupt 5"].
QJsonArray usesJson(const UnitUses& uses);
// --lang's row; a usage error where no code is printed, which --lang would change nothing of.
CodeLanguage codeLanguage(const Invocation& in, bool printsCode);

// Whether --explain asks for the working instead of the output; with --json or --code a usage
// error, as it prints neither.
bool explains(const Invocation& in, bool json);

// The sub-commands, each in a file of its own.
Result runTimer(const Invocation& in, bool json);
Result runCode(const Invocation& in, bool json);
Result runBaud(const Invocation& in, bool json);
Result runPlan(const Invocation& in, bool json);
Result runDelay(const Invocation& in, bool json);
Result runWave(const Invocation& in, bool json);

} // namespace tickora::cli
