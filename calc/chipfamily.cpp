#include "chipfamily.h"

#include "registers.h"
#include "reloadtimer.h"

#include <cctype>

namespace tickora {
namespace {

std::string byteText(std::int32_t value) {
    return registerByteText(static_cast<std::uint8_t>(value));
}

std::string wordText(std::uint16_t value) {
    return byteText(value >> 8) + byteText(value).substr(2);
}

// Sets or clears a bit with |= or &=, so the register's other bits stay as they are.
std::string bitLine(std::string_view reg, std::uint8_t mask, bool set, std::string_view why) {
    return "    " + std::string(reg) + (set ? " |= " : " &= ") +
           byteText(set ? mask : static_cast<std::uint8_t>(~mask)) + ";  /* " + std::string(why) +
           " */\n";
}

std::string smodLine(int smod) {
    return smod == 1 ? "    PCON |= 0x80;  /* SMOD = 1: double rate */\n"
                     : "    PCON &= 0x7F;  /* SMOD = 0 */\n";
}

std::string timer1Mode2(const BaudGeneratorCode& code) {
    const std::string reload = byteText(code.reload);
    return std::string(code.family.uartFromTimer1) +
           "    TMOD = (TMOD & 0x0F) | 0x20;  /* timer 1 mode 2, timer 0's bits kept */\n" +
           clockSwitchLine(code.family.clockSwitch[1], code.timerClock) + "    TH1 = " + reload +
           ";\n    TL1 = " + reload + ";\n" + smodLine(code.generator.smod) + "    TR1 = 1;\n";
}

std::string timer2Of8052(const BaudGeneratorCode& code) {
    const std::string high = byteText(code.reload >> 8), low = byteText(code.reload);
    return "    T2CON = 0x30;  /* RCLK and TCLK: timer 2 clocks the port */\n    RCAP2H = " + high +
           ";\n    RCAP2L = " + low + ";\n    TH2 = " + high + ";\n    TL2 = " + low +
           ";\n    TR2 = 1;\n";
}

// STC12: the independent baud-rate generator BRT, 8-bit auto-reload.
std::string stc12Brt(const BaudGeneratorCode& code) {
    const bool fast = code.timerClock == 1;
    return "    AUXR &= 0xEA;  /* BRT stopped, at 12T; UART1 from timer 1 */\n    BRT = " +
           byteText(code.reload) + ";\n" + smodLine(code.generator.smod) + "    AUXR |= " +
           (fast ? "0x15;  /* BRTR, BRTx12 = 1: 1T, S1BRS: UART1 from BRT */\n"
                 : "0x11;  /* BRTR, S1BRS: UART1 from BRT */\n");
}

// STC15/STC8: timer 2, 16-bit auto-reload, loaded while stopped.
std::string stcTimer2(const BaudGeneratorCode& code) {
    const bool fast = code.timerClock == 1;
    return "    AUXR &= 0xE2;  /* timer 2 stopped, counting clocks at 12T; UART1 from timer 1 */\n"
           "    T2L = " +
           byteText(code.reload) + ";\n    T2H = " + byteText(code.reload >> 8) + ";\n" +
           cStatement(timerInterruptEnable(*reloadTimer(code.family, 2), false)) +
           prescalerLines(*reloadTimer(code.family, 2), 0) + "    AUXR |= " +
           (fast ? "0x15;  /* T2R, T2x12 = 1: 1T, S1ST2: UART1 from timer 2 */\n"
                 : "0x11;  /* T2R, S1ST2: UART1 from timer 2 */\n");
}

// STC15/STC8: timer 1 in mode 0, which reloads 16 bits by itself.
std::string stcTimer1Mode0(const BaudGeneratorCode& code) {
    return std::string(code.family.uartFromTimer1) +
           "    TR1 = 0;  /* stopped, so TL1/TH1 also set the reload */\n"
           "    TMOD &= 0x0F;  /* timer 1 mode 0: 16-bit auto-reload, timer 0's bits kept */\n" +
           clockSwitchLine(code.family.clockSwitch[1], code.timerClock) +
           "    TL1 = " + byteText(code.reload) + ";\n    TH1 = " + byteText(code.reload >> 8) +
           ";\n    ET1 = 0;  /* it clocks the port: no interrupt */\n    TR1 = 1;\n";
}

// N76E003: timer 3 with its prescaler at 1/1 and SMOD set, as Nuvoton's own driver does.
std::string n76Timer3(const BaudGeneratorCode& code) {
    return "    T3CON &= 0xF7;  /* TR3 = 0 */\n    RL3 = " + byteText(code.reload) +
           ";\n    RH3 = " + byteText(code.reload >> 8) + ";\n" + smodLine(code.generator.smod) +
           "    T3CON = (T3CON & 0xC0) | 0x28;  /* BRCK: UART0 from timer 3, TR3, 1/1; UART1's "
           "bits kept */\n";
}

constexpr BaudGenerator timer1Smod0{"t1", "定时器 1，SMOD = 0", 8,           0,
                                    32,   ClockScale::PerClock, timer1Mode2, 1};
constexpr BaudGenerator timer1Smod1{"t1-smod", "定时器 1，SMOD = 1", 8,           1,
                                    16,        ClockScale::PerClock, timer1Mode2, 1};

// 8052 timer 2: f / (32 x (65536 - RCAP2)) on a 12T core. Atmel AT89C51RC datasheet, baud rate
// generator; on 6-clock cores f / 16, Philips P89C51Rx2 datasheet, table 4.
constexpr BaudGenerator classicGenerators[] = {
    timer1Smod0,
    timer1Smod1,
    {"t2", "定时器 2 (8052)", 16, -1, 32, ClockScale::PerMachineCycle, timer2Of8052, 2}};

// BRT = -(FOSC / 32 / BAUD) at BRTx12 = 1: STC12C5A60S2 UART demo; AUXR in STC12C5A60S2.H.
constexpr BaudGenerator stc12Generators[] = {
    timer1Smod0,
    timer1Smod1,
    {"brt", "BRT，SMOD = 0", 8, 0, 32, ClockScale::PerClock, stc12Brt, -1, "BRT"},
    {"brt-smod", "BRT，SMOD = 1", 8, 1, 16, ClockScale::PerClock, stc12Brt, -1, "BRT"}};

// SYSclk / (4 x (65536 - reload)) at 1T, / 12 more at 12T, no SMOD: STC8A8K64D4 manual,
// UART1 mode 1; T2H 0xD6, T2L 0xD7, AUXR bits in STC8H.H / STC15.H.
constexpr BaudGenerator stc15Generators[] = {
    {"t2", "定时器 2", 16, -1, 4, ClockScale::PerClock, stcTimer2, 2},
    {"t1-mode0", "定时器 1 方式 0", 16, -1, 4, ClockScale::PerClock, stcTimer1Mode0, 1},
    timer1Smod0,
    timer1Smod1};

// RH3:RL3 = 65536 - Fsys / 16 / baud with SMOD set: N76E003 BSP uart.c; T3CON 0xC4, RL3 0xC5,
// RH3 0xC6 in N76E003.h.
constexpr BaudGenerator n76Generators[] = {
    timer1Smod0,
    timer1Smod1,
    {"t3", "定时器 3，SMOD = 1", 16, 1, 16, ClockScale::None, n76Timer3, 3}};

// STC15/STC8 timers 2 to 4: AUXR T2R 0x10, T2_C/T 0x08, T2x12 0x04; T4T3M (0xD1) T4R 0x80,
// T4_C/T 0x40, T4x12 0x20, T3R 0x08, T3_C/T 0x04, T3x12 0x02; IE2 ET2 0x04, ET3 0x20, ET4 0x40;
// interrupts 12, 19, 20 (STC8Hxxx.h, STC15Fxxxx.H).
constexpr ReloadTimer stcReloadTimers[] = {{2, "AUXR", 0x10, 0x08, 0x04, "T2H", "T2L", 0x04, 12},
                                           {3, "T4T3M", 0x08, 0x04, 0x02, "T3H", "T3L", 0x20, 19},
                                           {4, "T4T3M", 0x80, 0x40, 0x20, "T4H", "T4L", 0x40, 20}};
// STC8G/STC8H: timers 2 to 4 count once every TMxPS + 1 of their clocks: STC's STC8G/STC8H
// peripheral library (STC8G_H_Timer.h, TIM_PS "8位预分频器(n+1), 0~255"; STC8G_H_Timer.c writes
// it to TM2PS-TM4PS), XFR FEA2h-FEA4h behind P_SW2.EAXFR (STC8H.h). Not every part has them.
constexpr ReloadTimer stcPrescaledTimers[] = {
    {2, "AUXR", 0x10, 0x08, 0x04, "T2H", "T2L", 0x04, 12, 0xFEA2, "TM2PS"},
    {3, "T4T3M", 0x08, 0x04, 0x02, "T3H", "T3L", 0x20, 19, 0xFEA3, "TM3PS"},
    {4, "T4T3M", 0x80, 0x40, 0x20, "T4H", "T4L", 0x40, 20, 0xFEA4, "TM4PS"}};

// UART2 to UART4 from a one-mode timer.
std::string portTimerLines(const BaudGeneratorCode& code) {
    return portClockLines(*reloadTimer(code.family, code.generator.timer), code.reload,
                          code.timerClock);
}

// Overflow rate / 4, no SMOD, as UART1 from timer 2 (STC8Hxxx.h: "波特率 = 定时器2的溢出率 / 4").
constexpr BaudGenerator portGenerator(int uart, int timer, std::string_view id,
                                      std::string_view label) {
    return {id, label, 16, -1, 4, ClockScale::PerClock, portTimerLines, timer, {}, uart};
}
constexpr BaudGenerator uart2Generators[] = {portGenerator(2, 2, "t2", "定时器 2")};
constexpr BaudGenerator uart3Generators[] = {portGenerator(3, 2, "t2", "定时器 2"),
                                             portGenerator(3, 3, "t3", "定时器 3")};
constexpr BaudGenerator uart4Generators[] = {portGenerator(4, 2, "t2", "定时器 2"),
                                             portGenerator(4, 4, "t4", "定时器 4")};
// S2CON 0x9A, S3CON 0xAC (S3ST3 bit 6), S4CON 0x84 (S4ST4 bit 6); P_SW2's S2_S to S4_S clear
// after reset select the first pins (STC15.H, STC8Hxxx.h, STC15Fxxxx.H).
constexpr SerialPort stcPorts[] = {
    {2, "S2CON", "S2BUF", 0, "", "RxD2 P1.0, TxD2 P1.1", uart2Generators},
    {3, "S3CON", "S3BUF", 0x40, "S3ST3", "RxD3 P0.0, TxD3 P0.1", uart3Generators},
    {4, "S4CON", "S4BUF", 0x40, "S4ST4", "RxD4 P0.2, TxD4 P0.3", uart4Generators}};

// Timer 2's clock-out on P1.0: T2MOD (C9h) T2OE, C/T2 clear; Fosc / (4 x (65536 - RCAP2)):
// Atmel AT89S52 data sheet, section 12 (not on an 8052 without T2MOD, as Intel's).
constexpr ClockOutput t2ClockOut{2,       TimerKind::Reload16,
                                 "T2MOD", 0xC9,
                                 0x02,    "P1.0",
                                 2,       "Atmel's AT89S52 data sheet, programmable clock out"};
constexpr ClockOutput classicClockOutputs[] = {t2ClockOut};
// The same on the STC89 at 12T (STC's STC89-90xx clock output demo); its 6T rate is not given.
constexpr ClockOutput stc89ClockOutputs[] = {
    {2, TimerKind::Reload16, "T2MOD", 0xC9, 0x02, "P1.0", 2,
     "STC's STC89-90xx programmable clock output demo, Fosc / 4 / (65536 - RCAP2) at 12T"}};
// WAKE_CLKO (8Fh) T0CLKO on P3.4, T1CLKO on P3.5: half the overflow rate (STC12C5A60S2.H).
constexpr ClockOutput stc12ClockOutputs[] = {
    {0, TimerKind::Reload8, "WAKE_CLKO", 0x8F, 0x01, "P3.4", 0,
     "STC12C5A60S2.H: WAKE_CLKO's T0CLKO, half the overflow rate"},
    {1, TimerKind::Reload8, "WAKE_CLKO", 0x8F, 0x02, "P3.5", 0,
     "STC12C5A60S2.H: WAKE_CLKO's T1CLKO, half the overflow rate"}};
// INT_CLKO (8Fh) T0CLKO P3.5, T1CLKO P3.4, T2CLKO P3.0; T4T3M T3CLKO P0.4, T4CLKO P0.6: half the
// overflow rate, timers 0 and 1 in mode 0 (STC15Fxxxx.H).
constexpr std::string_view stc15Clko = "STC15Fxxxx.H (STC's STC15 library): half the overflow rate";
constexpr ClockOutput stc15ClockOutputs[] = {
    {0, TimerKind::Reload16, "INT_CLKO", 0x8F, 0x01, "P3.5", 0, stc15Clko},
    {1, TimerKind::Reload16, "INT_CLKO", 0x8F, 0x02, "P3.4", 0, stc15Clko},
    {2, TimerKind::Reload16, "INT_CLKO", 0x8F, 0x04, "P3.0", 0, stc15Clko},
    {3, TimerKind::Reload16, "T4T3M", 0xD1, 0x01, "P0.4", 0, stc15Clko},
    {4, TimerKind::Reload16, "T4T3M", 0xD1, 0x10, "P0.6", 0, stc15Clko}};
// STC8A8K64D4 manual 13.2.3: T0CLKO on P3.5, SYSclk / 12 or 1 / (65536 - reload) / 2. No vendor
// text reached gives the STC8's other clock-output pins.
constexpr ClockOutput stc8ClockOutputs[] = {
    {0, TimerKind::Reload16, "INT_CLKO", 0x8F, 0x01, "P3.5", 0,
     "STC8A8K64D4 manual 13.2.3: T0CLKO, half the overflow rate"}};
// P2S (B5h) T0OE toggles T0 (P0.5), T1OE T1 (P0.0) at each overflow (N76E003 data sheet Rev
// 1.09, section 8); mode 2 reloads by itself.
constexpr ClockOutput n76ClockOutputs[] = {
    {0, TimerKind::Reload8, "P2S", 0xB5, 0x04, "P0.5", 0,
     "Nuvoton's N76E003 data sheet Rev 1.09 section 8: T0OE toggles T0 at each overflow"},
    {1, TimerKind::Reload8, "P2S", 0xB5, 0x08, "P0.0", 0,
     "Nuvoton's N76E003 data sheet Rev 1.09 section 8: T1OE toggles T1 at each overflow"}};

constexpr TimerMode classicModes[] = {
    {TimerKind::Count13, 0, "方式 0：13 位定时器", "方式 0：TL 只用低 5 位"},
    {TimerKind::Count16, 1, "方式 1：16 位定时器", "方式 1：16 位"},
    {TimerKind::Reload8, 2, "方式 2：8 位自动重装（方式 3 为两个 8 位定时器）",
     "方式 2：TH 为重装值；方式 3：TL0、TH0 为两个 8 位定时器"}};
// STC8A8K64D4 manual 13.2.3: mode 0 reloads 16 bits; TH/TL written while stopped set the reload.
constexpr TimerMode stc15Mode0{TimerKind::Reload16, 0, "方式 0：16 位自动重装",
                               "方式 0：16 位自动重装"};
// STC8A8K64D4 manual 13.2.6: timer 0's mode 3 is mode 0 with an interrupt EA and ET0
// cannot mask.
constexpr TimerMode stc15Mode2{
    TimerKind::Reload8, 2,
    "方式 2：8 位自动重装（方式 3 为定时器 0 的 16 位自动重装，中断不可屏蔽）",
    "方式 2：TH 为重装值"};

constexpr TickTimer timer0Mode1{"t0-mode1", "定时器 0 方式 1", 0, 1, TimerKind::Count16};
constexpr TickTimer timer0Mode2{"t0-mode2", "定时器 0 方式 2", 0, 2, TimerKind::Reload8};
constexpr TickTimer classicTicks[] = {
    {"t2", "定时器 2 (8052)", 2, -1, TimerKind::Reload16}, timer0Mode2, timer0Mode1};
constexpr TickTimer plainTicks[] = {timer0Mode2, timer0Mode1};
constexpr TickTimer stc15Ticks[] = {{"t0-mode0", "定时器 0 方式 0", 0, 0, TimerKind::Reload16},
                                    {"t2", "定时器 2", 2, -1, TimerKind::Reload16},
                                    {"t3", "定时器 3", 3, -1, TimerKind::Reload16},
                                    {"t4", "定时器 4", 4, -1, TimerKind::Reload16},
                                    timer0Mode2,
                                    timer0Mode1};

constexpr ClockSwitch noSwitch{};
// AUXR 0x8E: T0x12 bit 7, T1x12 bit 6 (STC12C5A60S2.H, STC15.H, STC8H.H).
constexpr std::array<ClockSwitch, 2> auxrSwitch{{{"AUXR", "T0x12", 0x80}, {"AUXR", "T1x12", 0x40}}};

// Beyond SDCC's 8051.h (STC8H.H, STC15.H).
constexpr SfrAddress stc15Lacks[] = {
    {"AUXR", 0x8E},  {"IE2", 0xAF},   {"T2H", 0xD6},   {"T2L", 0xD7},   {"T4T3M", 0xD1},
    {"T4H", 0xD2},   {"T4L", 0xD3},   {"T3H", 0xD4},   {"T3L", 0xD5},   {"S2CON", 0x9A},
    {"S2BUF", 0x9B}, {"S3CON", 0xAC}, {"S3BUF", 0xAD}, {"S4CON", 0x84}, {"S4BUF", 0x85}};
// The STC8G/STC8H's too: P_SW2, whose EAXFR opens the prescalers (STC8H.H).
constexpr SfrAddress stc8PrescaledLacks[] = {
    {"AUXR", 0x8E},  {"IE2", 0xAF},   {"T2H", 0xD6},   {"T2L", 0xD7},
    {"T4T3M", 0xD1}, {"T4H", 0xD2},   {"T4L", 0xD3},   {"T3H", 0xD4},
    {"T3L", 0xD5},   {"S2CON", 0x9A}, {"S2BUF", 0x9B}, {"S3CON", 0xAC},
    {"S3BUF", 0xAD}, {"S4CON", 0x84}, {"S4BUF", 0x85}, {"P_SW2", 0xBA}};
// Beyond SDCC's 8051.h (N76E003.h); T3CON to RH3, P0M1 and P0M2 are page 0's only.
constexpr SfrAddress n76Lacks[] = {{"CKCON", 0x8E}, {"SFRS", 0x91}, {"P0M1", 0xB1}, {"P0M2", 0xB2},
                                   {"T3CON", 0xC4}, {"RL3", 0xC5},  {"RH3", 0xC6},  {"TA", 0xC7}};

// N76E003 BSP: page 0 selected as clr_SFRPAGE does (SFR_Macro.h), then TXD and RXD
// quasi-bidirectional as InitialUART0_Timer3 does first (Common.c, P06_Quasi_Mode).
constexpr std::string_view n76UartSetup =
    "    unsigned char saved_ie = IE;  /* no interrupt between TA and SFRS */\n\n"
    "    EA = 0;\n    TA = 0xAA;\n    TA = 0x55;\n"
    "    SFRS = 0x00;  /* SFR page 0, where T3CON, RL3, RH3, P0M1 and P0M2 are */\n"
    "    IE = saved_ie;\n"
    "    P0M1 &= 0x3F;  /* P0.6 TXD, P0.7 RXD quasi-bidirectional: */\n"
    "    P0M2 &= 0x3F;  /* after reset TXD is an input and sends nothing */\n";

// STC15, STC8 and STC32G: AUXR's S1ST2 clear takes UART1's clock from timer 1 (STC8H.H).
constexpr std::string_view stcUartFromTimer1 =
    "    AUXR &= 0xFE;  /* S1ST2 = 0: UART1 from timer 1 */\n";

// Where a classic core's instruction times come from: Intel's table (classicTimingTable()). A 1T
// core's come from its vendor's table (coretiming.h), where one is known.
constexpr std::string_view intelCycles = "Intel MCS-51 User's Manual, instruction set summary";
constexpr std::string_view unknownCore = "";

const ChipFamily families[] = {
    {"classic",
     "经典 8051/8052",
     {12, 0},
     {noSwitch, noSwitch},
     {classicModes[0], classicModes[1], classicModes[2]},
     classicGenerators,
     "reg52.h",
     "",
     "8052.h",
     {},
     "",
     "",
     "",
     classicTicks,
     true,
     Timer2Kind::Of8052,
     nullptr,
     intelCycles,
     {},
     {},
     {},
     classicClockOutputs},
    // 6T is an option chosen when the chip is programmed: STC89C5xRC.H declares no register
    // for it (its AUXR line is commented out).
    {"stc89",
     "STC89C52 系列",
     {12, 6},
     {noSwitch, noSwitch},
     {classicModes[0], classicModes[1], classicModes[2]},
     classicGenerators,
     "STC89C5xRC.H",
     "or reg52.h",
     "8052.h",
     {},
     "",
     "",
     " * 6T: choose 6T (double speed) when programming the chip; no register does it.\n",
     classicTicks,
     true,
     Timer2Kind::Of8052,
     nullptr,
     intelCycles,
     {},
     {},
     {},
     stc89ClockOutputs,
     12},
    // SDCC's stc12.h declares AUXR and BRT. The chip has no timer 2.
    {"stc12",
     "STC12C5A60S2 系列",
     {12, 1},
     auxrSwitch,
     {classicModes[0], classicModes[1], classicModes[2]},
     stc12Generators,
     "STC12C5A60S2.H",
     "",
     "stc12.h",
     {},
     "",
     "    AUXR &= 0xFE;  /* S1BRS = 0: UART1 from timer 1 */\n",
     "",
     plainTicks,
     false,
     Timer2Kind::None,
     &stc12Core(),
     unknownCore,
     {},
     {},
     {},
     stc12ClockOutputs},
    // STC15W4K32S4 and STC15F2K60S2 alike: STC15.H.
    {"stc15",
     "STC15 系列",
     {12, 1},
     auxrSwitch,
     {stc15Mode0, classicModes[1], stc15Mode2},
     stc15Generators,
     "STC15.H",
     "",
     "8051.h",
     stc15Lacks,
     "",
     stcUartFromTimer1,
     "",
     stc15Ticks,
     false,
     Timer2Kind::Stc,
     &stc15Core(),
     unknownCore,
     {},
     stcReloadTimers,
     stcPorts,
     stc15ClockOutputs},
    // STC8A8K64D4 manual: the timers and UART1 as the STC15's.
    {"stc8",
     "STC8 系列",
     {12, 1},
     auxrSwitch,
     {stc15Mode0, classicModes[1], stc15Mode2},
     stc15Generators,
     "STC8H.H",
     "or your part's, e.g. STC8G.H",
     "8051.h",
     stc15Lacks,
     "",
     stcUartFromTimer1,
     "",
     stc15Ticks,
     false,
     Timer2Kind::Stc,
     nullptr,
     unknownCore,
     {},
     stcReloadTimers,
     stcPorts,
     stc8ClockOutputs},
    // The STC8G and STC8H series: the STC8's, with prescalers on timers 2 to 4.
    {"stc8g",
     "STC8G 系列",
     {12, 1},
     auxrSwitch,
     {stc15Mode0, classicModes[1], stc15Mode2},
     stc15Generators,
     "STC8G.H",
     "",
     "8051.h",
     stc8PrescaledLacks,
     "",
     stcUartFromTimer1,
     "",
     stc15Ticks,
     false,
     Timer2Kind::Stc,
     nullptr,
     unknownCore,
     {},
     stcPrescaledTimers,
     stcPorts,
     stc8ClockOutputs},
    {"stc8h",
     "STC8H 系列",
     {12, 1},
     auxrSwitch,
     {stc15Mode0, classicModes[1], stc15Mode2},
     stc15Generators,
     "STC8H.H",
     "",
     "8051.h",
     stc8PrescaledLacks,
     "",
     stcUartFromTimer1,
     "",
     stc15Ticks,
     false,
     Timer2Kind::Stc,
     nullptr,
     unknownCore,
     {},
     stcPrescaledTimers,
     stcPorts,
     stc8ClockOutputs},
    // The STC8's timers and UART1 on an 80251 core, programmed with Keil C251 and A251.
    {"stc32g",
     "STC32G 系列",
     {12, 1},
     auxrSwitch,
     {stc15Mode0, classicModes[1], stc15Mode2},
     stc15Generators,
     "STC32G.H",
     "Keil C251: the STC32G is a 251 core, not for Keil C51 or SDCC",
     "",
     {},
     "",
     stcUartFromTimer1,
     "",
     stc15Ticks,
     false,
     Timer2Kind::Stc,
     nullptr,
     unknownCore,
     "STC32G 是 251 内核，不写汇编（请用 C）",
     // STC32G.H: T4T3M at 0xDD, the same bits; its UART2 to UART4 differ and are not offered.
     stcReloadTimers},
    // CKCON 0x8E: T0M bit 3, T1M bit 4; T3CON BRCK bit 5 (N76E003.h, SFR_Macro.h). CKCON has no
    // page-1 twin, so the timer units need no page select. Its timer 2 is neither kind.
    {"n76e003",
     "N76E003/MS51",
     {12, 1},
     {{{"CKCON", "T0M", 0x08}, {"CKCON", "T1M", 0x10}}},
     {classicModes[0], classicModes[1], classicModes[2]},
     n76Generators,
     "N76E003.h",
     "MS51: MS51_16K.h or MS51_32K.h (Nuvoton MS51 BSP)",
     "8051.h",
     n76Lacks,
     n76UartSetup,
     "    T3CON &= 0xDF;  /* BRCK = 0: UART0 from timer 1 */\n",
     "",
     plainTicks,
     false,
     Timer2Kind::None,
     &n76e003Core(),
     unknownCore,
     {},
     {},
     {},
     n76ClockOutputs},
};

} // namespace

// Written whichever way the timer counts, since a boot loader may have left the bit set.
std::string clockSwitchLine(const ClockSwitch& clock, std::int32_t timerClock) {
    if (clock.reg.empty())
        return {};
    const bool fast = timerClock == 1;
    return bitLine(clock.reg, clock.mask, fast,
                   std::string(clock.bitName) + (fast ? " = 1: 1T" : " = 0: 12T"));
}

std::int32_t countsOf(TimerKind kind) {
    switch (kind) {
    case TimerKind::Count13:
        return 8192;
    case TimerKind::Reload8:
        return 256;
    case TimerKind::Count16:
    case TimerKind::Reload16:
        break;
    }
    return 65536;
}

bool reloadsLate(const ChipFamily& family, TimerKind kind) {
    return !reloadsItself(kind) && !family.classicCycle;
}

bool reloadsItself(TimerKind kind) {
    return kind == TimerKind::Reload16 || kind == TimerKind::Reload8;
}

std::string_view timingSource(const ChipFamily& family) {
    return family.core != nullptr ? family.core->source : family.instructionSource;
}

std::span<const ChipFamily> chipFamilies() { return families; }
const ChipFamily& classicFamily() { return families[0]; }

const ChipFamily* findFamily(std::string_view id) {
    for (const ChipFamily& family : families)
        if (family.id == id)
            return &family;
    return nullptr;
}

// 1T cores take up to about 4 clocks for what one machine cycle does on the classic core
// (RETI, MOVX and the like; most instructions 1 or 2): an assumption, not a vendor's table.
std::int32_t machineClocks(const ChipFamily& family, std::int32_t clock) {
    return family.classicCycle ? clock : 4;
}

const ReloadTimer* reloadTimer(const ChipFamily& family, int timer) {
    for (const ReloadTimer& row : family.reloadTimers)
        if (row.timer == timer)
            return &row;
    return nullptr;
}

bool hasReloadTimer(const ChipFamily& family, int timer) {
    return reloadTimer(family, timer) != nullptr ||
           (timer == 2 && family.timer2 == Timer2Kind::Of8052);
}

std::vector<int> timersOf(const ChipFamily& family) {
    std::vector<int> timers{0, 1};
    for (int timer = 2; timer <= 4; ++timer)
        if (hasReloadTimer(family, timer))
            timers.push_back(timer);
    return timers;
}

std::vector<int> uartsOf(const ChipFamily& family) {
    std::vector<int> uarts{1};
    for (const SerialPort& port : family.ports)
        uarts.push_back(port.uart);
    return uarts;
}

const SerialPort* serialPort(const ChipFamily& family, int uart) {
    for (const SerialPort& port : family.ports)
        if (port.uart == uart)
            return &port;
    return nullptr;
}

std::span<const BaudGenerator> generatorsOf(const ChipFamily& family, int uart) {
    if (uart == 1)
        return family.generators;
    const SerialPort* port = serialPort(family, uart);
    return port ? port->generators : std::span<const BaudGenerator>{};
}

bool offersClock(const ChipFamily& family, std::int32_t clock) {
    return clock > 0 && (family.clocks[0] == clock || family.clocks[1] == clock);
}

namespace {

bool nameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool startsName(std::string_view code, std::size_t at) {
    return at == 0 || !nameChar(code[at - 1]);
}

// The word as C spells it (AUXR) or as assembly, SDCC's inline too, spells a C name (_AUXR).
bool namesWord(std::string_view code, std::string_view word) {
    for (auto at = code.find(word); at != std::string_view::npos; at = code.find(word, at + 1)) {
        const auto end = at + word.size();
        const bool start =
            startsName(code, at) || (code[at - 1] == '_' && startsName(code, at - 1));
        if (start && (end == code.size() || !nameChar(code[end])))
            return true;
    }
    return false;
}

} // namespace

std::string languageProblem(const ChipFamily& family, CodeLanguage language) {
    return language == CodeLanguage::C ? std::string() : std::string(family.noAssembly);
}

// SDCC rejects the vendors' headers, written for Keil C51 (sfr AUXR = 0x8E;): each compiler
// gets its own.
std::string sfrHeaderLines(const ChipFamily& family, std::string_view code) {
    const std::string note =
        family.headerNote.empty() ? "" : "  /* " + std::string(family.headerNote) + " */";
    if (family.sdccHeader.empty())
        return "#include <" + std::string(family.header) + ">" + note + "\n\n";
    std::string lines = "#ifdef __SDCC\n#include <" + std::string(family.sdccHeader) + ">\n";
    for (const SfrAddress& sfr : family.sdccLacks)
        if (namesWord(code, sfr.name))
            lines += "__sfr __at(" + byteText(sfr.address) + ") " + std::string(sfr.name) + ";\n";
    for (const ReloadTimer& timer : family.reloadTimers) // in extended RAM, not an SFR
        if (timer.prescaler != 0 && namesWord(code, timer.prescalerName))
            lines += "#define " + std::string(timer.prescalerName) +
                     " (*(__xdata volatile unsigned char *)" + wordText(timer.prescaler) + ")\n";
    return lines + "#else /* Keil C51 */\n#include <" + std::string(family.header) + ">" + note +
           "\n#endif\n\n";
}

} // namespace tickora
