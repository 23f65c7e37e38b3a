// A small 8051 written here, for timing code on a 1T core by its vendor's table: it runs an
// image's instructions as the 8051 defines them and adds up each one's clocks, read by opcode
// from the vendor's CSV (../shared/vendor-timing), not from the code under test.
#pragma once

#include <QMap>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class Core8051 {
public:
    // The clocks of each opcode from a vendor table's CSV; 0 for an opcode it lacks or leaves
    // blank, which stops a run.
    static std::array<int, 256> clocksFromCsv(const QString& path);

    // RAM and the SFRs hold dirt, as a chip a boot loader left (PSW's bank 0 and SP 07H, as C
    // code runs), or zeros where it is negative.
    Core8051(const QMap<int, int>& image, const std::array<int, 256>& clocks, int dirt = -1);
    std::uint8_t& direct(int address) { return ram_[address & 0xFF]; } // RAM, or an SFR from 80H
    std::uint8_t& reg(int r) { return ram_[(ram_[0xD0] & 0x18) + r]; }
    // Calls the routine at address as LCALL does (its clocks counted) and runs it to its RET;
    // the clocks, or -1 for an instruction it does not know or more than `bound` clocks.
    qint64 call(int address, qint64 bound);
    // When set, RAM and the SFRs as each instruction of a call leaves them, in order.
    bool tracing = false;
    std::vector<std::array<std::uint8_t, 256>> states;
    // Timers 0 and 1 where set: a count every countClocks clocks while TRx is set, in modes 1 and
    // 2 as Intel's, mode 0 as STC's 16-bit auto-reload (TLx/THx written while it runs reach only
    // the reload: STC8A8K64D4 13.2.3). Each instruction acts as it ends: the timers count through
    // its clocks first, so a JNB sees an overflow in its last clock and a MOV reads the count then.
    int countClocks = 0;

private:
    bool step(); // false: an instruction this 8051 does not know
    bool execute(std::uint8_t op);
    void count(int clocks);
    void reloadWrites(const std::array<std::uint8_t, 4>& before);
    std::uint8_t fetch() { return code_[pc_++]; }
    void jumpRelative(bool taken);
    void push(std::uint8_t byte) { ram_[++ram_[0x81]] = byte; }
    std::uint8_t pop() { return ram_[ram_[0x81]--]; }
    void add(std::uint8_t value, bool carry);

    std::array<std::uint8_t, 65536> code_{};
    std::array<std::uint8_t, 256> ram_{};
    std::array<int, 256> clocks_;
    std::uint16_t pc_ = 0;
    qint64 spent_ = 0;
    std::array<int, 2> reload_{}, phase_{};
};
