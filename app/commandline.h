// The program without its window: sub-commands that print what the windows show, for scripts
// and builds. Only Qt Core is used, so no display is needed.
#pragma once

#include "chipfamily.h"
#include "codelanguage.h"
#include "numbertext.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace tickora::cli {

// What a script needs to tell apart.
enum Status { Done = 0, Refused = 1, Usage = 2 };

// Thrown by a sub-command: the message for standard error and the exit status.
struct Refusal {
    Status status;
    QString message;
};

// What a sub-command prints; standard output is written only when it succeeded.
struct Result {
    QByteArray out;
    QString warning; // standard error, beside a result that is still usable
};

// One sub-command's options, read and checked as it asks for them.
class Invocation {
public:
    explicit Invocation(QHash<QString, QString> values);

    bool has(const QString& name) const { return values_.contains(name); }
    // The option's text; a usage error when it was not given.
    QString text(const QString& name) const;
    // A number of choices, 0 to count - 1, as --mode and --timer take them.
    int choice(const QString& name, int count) const;
    const ChipFamily& family() const;
    std::int32_t clock(const ChipFamily& family) const;
    // --generator of the port --uart names, one of the family's.
    const BaudGenerator& generator(const ChipFamily& family) const;
    // --lang's row; C when not given.
    CodeLanguage language() const;
    const NumberText& numbers() const { return numbers_; }

private:
    QHash<QString, QString> values_;
    NumberText numbers_; // the user's regional settings, as the window reads them
};

// A row of the sub-command table. Options ending in '?' may be left out; --json and --help are
// every sub-command's.
struct SubCommand {
    QString name;
    QStringList options;
    QString summary;
    Result (*run)(const Invocation& invocation, bool json);
};

// True when the arguments ask for the command line rather than the window: anything but none
// or only Qt's own options, so a mistyped sub-command is refused instead of opening a window.
bool wanted(int argc, const char* const* argv);

// Runs the arguments (the program's name first) and returns the exit status.
int run(const QStringList& arguments);

} // namespace tickora::cli
