// The tools that prove generated code, for the suites that need them: SDCC compiles, sdas8051 and
// sdld assemble and link, as31 assembles A51 as mapped, and s51 runs an image to its breakpoints.
// Every tool runs under a time bound.
#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct Ran {
    bool ok;
    QString output, errors;
};

// A tool's command line under coreutils' timeout, which ends a hung s51 (a timer that never
// overflows) even when this test is killed first.
QStringList bounded(const QString& program, const QStringList& arguments, int seconds = 20);
Ran run(const QString& program, const QStringList& arguments, const QString& input = {},
        const QString& directory = {});
bool written(const QString& path, const QByteArray& text);

// The sdas8051 unit assembled in dir: no word from sdas8051, or its complaints.
QString assembledIn(const QString& dir, const QString& unit);

// Compiles the program, with the sdas8051 unit assembled and linked in if there is one, and
// runs it on s51 as an 8051 or 8052 at the crystal (Hz) to its breakpoints, four stops in all:
// each at the first instruction after where a pattern matches the listing. At each stop, the
// clocks and machine cycles since reset and the special function registers: by name where s51
// knows one (PCON to TH1, SCON, T2CON to TH2 on the 8052), by address where it does not ("8E"
// for AUXR or CKCON, "9C", "AF", "C4" to "C6", "D6", "D7").
QList<QHash<QString, int>> simulate(const QString& program, const QStringList& breaks,
                                    const QString& chip = "8051", double crystalHz = 12e6,
                                    int runs = 4, const QStringList& sdccOptions = {},
                                    const QString& assembly = {});

// The registers main() leaves dirty, under names of its own so that they never clash with the
// unit's: the clock and port switches (AUXR or CKCON, T3CON), the SFR page (N76E003's SFRS) and
// port 0's modes (P0M1, P0M2).
extern const char* const dirtyRegisters;
// A boot loader's leftovers: the opposite of what the clock needs, SFR page 1, port 0 open-drain.
QString dirtySwitches(int clock);

// The registers that expected names ("TMOD=25 8E=40"), as the stop shows them.
QString shown(const QHash<QString, int>& stop, const QString& expected);

// An sdas8051 unit, or a C unit (one that opens with a comment) SDCC compiles, linked alone with
// sdld: code from 0100H, variables from 30H.
// Complaints hold any word a tool says, or its failure.
QString assembledAlone(const QTemporaryDir& dir, const QString& unit);

// The bytes of an Intel HEX image by address; clashes gets each address that two records give
// different bytes.
QMap<int, int> imageBytes(const QString& path, QList<int>* clashes = nullptr);

// An A51 unit as as31 takes it, placed where sdld places the sdas8051 one (code 0100H, data
// 30H): as31 knows no modules, segments, DATA or BIT, so those become .ORG and .EQU lines, but
// it knows the 8052's timer 2, whose A51 declarations it refuses; the bytes check their addresses.
QString forAs31(const QString& a51);
