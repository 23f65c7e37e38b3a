// The registers an A51 unit's writes leave on a chip s51 has no model of, from a chip left dirty:
// MOV, ORL and ANL of a register by an immediate or by A, MOV A from a register, ANL and ORL of A
// by an immediate, CLR and SETB of the bits it is told of. Written here from the manuals'
// register maps, not from the code under test.
#pragma once

#include <QHash>
#include <QPair>
#include <QString>

struct A51Registers {
    explicit A51Registers(int dirt);
    // Each bit's register and mask: TR0 is TCON's 0x10, and so on (Intel's SFR map and the 8052's).
    QHash<QString, QPair<QString, int>> bits;
    QHash<QString, int> sfr;     // as the writes leave them; one not written yet holds dirt
    QHash<QString, int> atStart; // as they were when the bit named start was set
    QString start;
    QStringList writtenRunning; // registers written while the bit named running was set
    QString running;
    int acc = 0, dirt;

    void apply(const QString& unit);
    int& at(const QString& name);
    bool set(const QString& bit) { return (at(bits[bit].first) & bits[bit].second) != 0; }
};
