#include "interpreter.h"

#include <QFile>
#include <QRegularExpression>

std::array<int, 256> Core8051::clocksFromCsv(const QString& path) {
    std::array<int, 256> clocks{};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return clocks;
    // mnemonic,"operands",opcodes,bytes,clocks,...: opcodes "28-2F", "26,27" or "26-27".
    static const QRegularExpression row(R"(^[A-Z]+,(?:"[^"]*"|[^,]*),("[^"]*"|[^,]*),\d+,(\d*),)");
    for (const QByteArray& line : file.readAll().split('\n')) {
        const auto m = row.match(QString::fromUtf8(line));
        if (!m.hasMatch())
            continue;
        for (const QString& part : m.captured(1).remove('"').split(',')) {
            const int first = part.section('-', 0, 0).toInt(nullptr, 16);
            const int last = part.contains('-') ? part.section('-', 1).toInt(nullptr, 16) : first;
            for (int opcode = first; opcode <= last; ++opcode)
                clocks[opcode] = m.captured(2).toInt();
        }
    }
    return clocks;
}

Core8051::Core8051(const QMap<int, int>& image, const std::array<int, 256>& clocks, int dirt)
    : clocks_(clocks) {
    for (auto at = image.begin(); at != image.end(); ++at)
        code_[at.key()] = std::uint8_t(at.value());
    ram_.fill(std::uint8_t(std::max(dirt, 0)));
    ram_[0xD0] = 0, ram_[0x81] = 0x07; // SP as reset leaves it
}

qint64 Core8051::call(int address, qint64 bound) {
    constexpr std::uint16_t back = 0xFFFF; // returned to: the end of the run
    push(back & 0xFF), push(back >> 8);
    pc_ = std::uint16_t(address);
    spent_ = clocks_[0x12]; // the LCALL that called it
    while (pc_ != back) {
        if (spent_ > bound || !step())
            return -1;
        if (tracing)
            states.push_back(ram_);
    }
    return spent_;
}

void Core8051::jumpRelative(bool taken) {
    const auto offset = std::int8_t(fetch());
    if (taken)
        pc_ = std::uint16_t(pc_ + offset);
}

void Core8051::add(std::uint8_t value, bool carry) {
    std::uint8_t& a = ram_[0xE0];
    const int c = carry && (ram_[0xD0] & 0x80) ? 1 : 0, sum = a + value + c;
    const bool overflow = ((a ^ sum) & (value ^ sum) & 0x80) != 0;
    const bool half = ((a & 0x0F) + (value & 0x0F) + c) > 0x0F;
    ram_[0xD0] = std::uint8_t((ram_[0xD0] & 0x3B) | (sum > 0xFF ? 0x80 : 0) | (half ? 0x40 : 0) |
                              (overflow ? 0x04 : 0));
    a = std::uint8_t(sum);
}

bool Core8051::step() {
    const std::uint8_t op = fetch();
    if (clocks_[op] == 0)
        return false;
    spent_ += clocks_[op];
    count(clocks_[op]);
    const std::array<std::uint8_t, 4> before{ram_[0x8A], ram_[0x8B], ram_[0x8C], ram_[0x8D]};
    const bool known = execute(op);
    reloadWrites(before);
    return known;
}

// TCON 88H (TFx, TRx), TMOD 89H, TLx 8AH + x, THx 8CH + x.
void Core8051::count(int clocks) {
    for (int x = 0; x < 2 && countClocks > 0; ++x) {
        const int run = x ? 0x40 : 0x10, mode = ram_[0x89] >> (4 * x) & 3;
        std::uint8_t &tl = ram_[0x8A + x], &th = ram_[0x8C + x];
        if (!(ram_[0x88] & run))
            continue;
        phase_[x] += clocks;
        for (; phase_[x] >= countClocks; phase_[x] -= countClocks) {
            const bool overflow = mode == 2 ? ++tl == 0 : ++tl == 0 && ++th == 0;
            if (!overflow)
                continue;
            ram_[0x88] |= run << 1;
            if (mode == 2)
                tl = th;
            else if (mode == 0)
                tl = std::uint8_t(reload_[x]), th = std::uint8_t(reload_[x] >> 8);
        }
    }
}

// Mode 0's TLx and THx as the instruction wrote them: the reload, and the count only while the
// timer stands still.
void Core8051::reloadWrites(const std::array<std::uint8_t, 4>& before) {
    for (int x = 0; x < 2 && countClocks > 0; ++x) {
        std::uint8_t &tl = ram_[0x8A + x], &th = ram_[0x8C + x];
        const bool running = ram_[0x88] & (x ? 0x40 : 0x10);
        if ((ram_[0x89] >> (4 * x) & 3) != 0 || (running && tl == before[x] && th == before[2 + x]))
            continue;
        if (!running || tl != before[x]) // RL_TLx, RL_THx: each byte as written
            reload_[x] = (reload_[x] & 0xFF00) | tl;
        if (!running || th != before[2 + x])
            reload_[x] = (reload_[x] & 0x00FF) | th << 8;
        if (running)
            tl = before[x], th = before[2 + x];
    }
}

// The instructions the units under test use, as Intel's MCS-51 manual defines them.
bool Core8051::execute(std::uint8_t op) {
    std::uint8_t& a = ram_[0xE0];
    const int r = op & 7;
    if (op == 0x00) {        // NOP
    } else if (op == 0x22) { // RET
        const int high = pop();
        pc_ = std::uint16_t(high << 8 | pop());
    } else if (op == 0x12 || op == 0x02) { // LCALL, LJMP
        const int high = fetch(), low = fetch();
        if (op == 0x12)
            push(pc_ & 0xFF), push(pc_ >> 8);
        pc_ = std::uint16_t(high << 8 | low);
    } else if (op == 0x20 || op == 0x30) { // JB, JNB bit,rel
        const std::uint8_t bit = fetch();
        const bool set = direct(bit < 0x80 ? 0x20 + bit / 8 : bit & 0xF8) >> (bit & 7) & 1;
        jumpRelative(set == (op == 0x20));
    } else if (op == 0x80 || op == 0x60 || op == 0x70) { // SJMP, JZ, JNZ
        jumpRelative(op == 0x80 || (op == 0x60) == (a == 0));
    } else if ((op & 0xF8) == 0xD8) { // DJNZ Rn,rel
        jumpRelative(--reg(r) != 0);
    } else if ((op & 0xF8) == 0x78) { // MOV Rn,#data
        reg(r) = fetch();
    } else if ((op & 0xF8) == 0xA8) { // MOV Rn,direct
        reg(r) = direct(fetch());
    } else if ((op & 0xF8) == 0xE8 || (op & 0xF8) == 0xF8) { // MOV A,Rn / MOV Rn,A
        (op & 0x10 ? reg(r) : a) = op & 0x10 ? a : reg(r);
    } else if ((op & 0xF8) == 0x48) { // ORL A,Rn
        a |= reg(r);
    } else if (op == 0x24 || op == 0x34) { // ADD, ADDC A,#data
        add(fetch(), op == 0x34);
    } else if (op == 0x94) { // SUBB A,#data: A + ~data + !borrow, the borrow the carry's inverse
        ram_[0xD0] ^= 0x80;
        add(std::uint8_t(~fetch()), true);
        ram_[0xD0] ^= 0xC0;
    } else if (op == 0x32) { // RETI, as RET: no interrupt is in progress here
        const int high = pop();
        pc_ = std::uint16_t(high << 8 | pop());
    } else if (op == 0xC0 || op == 0xD0) { // PUSH, POP direct
        const std::uint8_t address = fetch();
        op == 0xC0 ? push(direct(address)) : void(direct(address) = pop());
    } else if (op == 0xE5 || op == 0x45 || op == 0x55) { // MOV, ORL, ANL A,direct
        const std::uint8_t value = direct(fetch());
        a = op == 0xE5 ? value : op == 0x45 ? a | value : a & value;
    } else if (op == 0x43 || op == 0x53) { // ORL, ANL direct,#data
        std::uint8_t& byte = direct(fetch());
        const std::uint8_t value = fetch();
        byte = op == 0x43 ? byte | value : byte & value;
    } else if (op == 0xF5) { // MOV direct,A
        direct(fetch()) = a;
    } else if (op == 0x75) { // MOV direct,#data
        const std::uint8_t address = fetch();
        direct(address) = fetch();
    } else if (op == 0x54 || op == 0x44) { // ANL, ORL A,#data
        const std::uint8_t value = fetch();
        a = op == 0x54 ? a & value : a | value;
    } else if (op == 0xC3) { // CLR C
        ram_[0xD0] &= 0x7F;
    } else if (op == 0xC2 || op == 0xD2) { // CLR, SETB bit
        const std::uint8_t bit = fetch();
        std::uint8_t& byte = direct(bit < 0x80 ? 0x20 + bit / 8 : bit & 0xF8);
        byte = op == 0xD2 ? byte | 1 << (bit & 7) : byte & ~(1 << (bit & 7));
    } else {
        return false;
    }
    return true;
}
