#include "registermodel.h"

#include <QRegularExpression>
#include <QStringList>

A51Registers::A51Registers(int dirt)
    : bits{{"TF1", {"TCON", 0x80}}, {"TR1", {"TCON", 0x40}}, {"TF0", {"TCON", 0x20}},
           {"TR0", {"TCON", 0x10}}, {"EA", {"IE", 0x80}},    {"ET2", {"IE", 0x20}},
           {"ET1", {"IE", 0x08}},   {"ET0", {"IE", 0x02}},   {"TF2", {"T2CON", 0x80}},
           {"TR2", {"T2CON", 0x04}}}
    , dirt(dirt) {}

int& A51Registers::at(const QString& name) {
    if (!sfr.contains(name))
        sfr[name] = dirt;
    return sfr[name];
}

void A51Registers::apply(const QString& unit) {
    static const QRegularExpression write(R"(^\t(MOV|ORL|ANL)\t(\w+),(#0?([0-9A-F]{2})H|A)\b)"),
        read(R"(^\tMOV\tA,(\w+))"), bit(R"(^\t(CLR|SETB)\t(\w+))");
    for (const QString& line : unit.split('\n')) {
        if (const auto m = write.match(line); m.hasMatch()) {
            const int value = m.captured(3) == "A" ? acc : m.captured(4).toInt(nullptr, 16);
            int& target = m.captured(2) == "A" ? acc : at(m.captured(2));
            if (m.captured(2) != "A" && !running.isEmpty() && set(running))
                writtenRunning << m.captured(2);
            target = m.captured(1) == "ORL"   ? target | value
                     : m.captured(1) == "ANL" ? target & value
                                              : value;
        } else if (const auto r = read.match(line); r.hasMatch() && r.captured(1) != "A") {
            acc = at(r.captured(1));
        } else if (const auto b = bit.match(line); b.hasMatch() && bits.contains(b.captured(2))) {
            const auto [reg, mask] = bits[b.captured(2)];
            at(reg) = b.captured(1) == "SETB" ? at(reg) | mask : at(reg) & ~mask;
            if (b.captured(2) == start && b.captured(1) == "SETB")
                atStart = sfr;
        }
    }
}
