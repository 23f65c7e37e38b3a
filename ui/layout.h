// Every position and size of the windows, in twips as they were designed, converted to pixels
// in one place.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

namespace tickora::layout {

// 1440 twips make an inch; at 96 dpi that is 15 twips a pixel. Qt scales pixels for high dpi.
inline constexpr int twipsPerPixel = 15;

struct Twips {
    int left;
    int top;
    int width;
    int height;
};

constexpr int toPixels(int twips) { return twips / twipsPerPixel; }
constexpr QRect toPixels(Twips t) {
    return {toPixels(t.left), toPixels(t.top), toPixels(t.width), toPixels(t.height)};
}
constexpr QSize clientSize(int widthTwips, int heightTwips) {
    return {toPixels(widthTwips), toPixels(heightTwips)};
}

// Names a new control and puts it where the design has it.
template <typename Widget> Widget* place(Widget* widget, const char* name, const Twips& where) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(toPixels(where));
    return widget;
}

namespace form1 {
inline constexpr QSize client = clientSize(5310, 3585);
inline constexpr Twips frame1{240, 120, 1695, 1335};
// The mode buttons are measured from Frame1's corner.
inline constexpr Twips option1{240, 240, 1335, 255};
inline constexpr Twips option2{240, 600, 1335, 255};
inline constexpr Twips option3{240, 960, 1335, 255};
inline constexpr Twips label1{120, 1800, 1455, 255};
inline constexpr Twips label2{2400, 360, 1815, 255};
inline constexpr Twips text1{4200, 240, 975, 375};
inline constexpr Twips label3{2400, 1080, 1695, 255};
inline constexpr Twips text2{4200, 960, 975, 375};
inline constexpr Twips text3{1560, 1680, 975, 375};
inline constexpr Twips label4{120, 2520, 1455, 255};
inline constexpr Twips text4{1560, 2400, 975, 375};
inline constexpr Twips command1{1800, 3000, 1575, 375};
inline constexpr Twips label5{2760, 1800, 1455, 255};
inline constexpr Twips text5{4200, 1680, 975, 375};
inline constexpr Twips label6{2760, 2520, 1575, 255};
inline constexpr Twips text6{4200, 2400, 975, 375};
inline constexpr Twips chipLabel{120, 2880, 1620, 600}; // empty for the classic 8051
} // namespace form1

namespace form3 {
inline constexpr QSize client = clientSize(4125, 2325);
inline constexpr Twips label1{360, 360, 3330, 1260};
inline constexpr Twips command1{1200, 1680, 1575, 375};
} // namespace form3

namespace form2 {
inline constexpr QSize client = clientSize(4065, 2355);
inline constexpr Twips label1{360, 120, 3330, 1545};
inline constexpr Twips command1{1200, 1800, 1575, 375};
} // namespace form2

// The tool windows are 480 pixels wide at most, so that each fits beside the main window on a
// 1366-pixel screen, and short enough for a 768-line screen at 150 %.

// The plan and delay windows' first two rows: a time with its unit and the crystal, then the chip.
namespace timeRow {
inline constexpr Twips timeLabel{120, 180, 1380, 255};
inline constexpr Twips time{1560, 120, 1320, 375};
inline constexpr Twips unit{2940, 120, 840, 375};
inline constexpr Twips crystalLabel{3900, 180, 1800, 255};
inline constexpr Twips crystal{5760, 120, 1320, 375};
inline constexpr Twips chipLabel{120, 660, 1380, 255};
inline constexpr Twips chip{1560, 600, 3000, 375};
} // namespace timeRow

// A tool window's code row: the language box beside the copy and 关闭 buttons, and below them
// the line saying which other window's code takes the same timer. Only its heights differ.
struct CodeRow {
    Twips languageLabel;
    Twips language;
    Twips copy;
    Twips close;
    Twips clash;
};
constexpr CodeRow codeRow(int top, int clashTop, int clashHeight = 255) {
    return {{120, top + 60, 900, 255},
            {1050, top, 2640, 375},
            {3810, top, 1860, 375},
            {5790, top, 1290, 375},
            {120, clashTop, 6960, clashHeight}};
}

// The baud-rate window: its inputs in three rows above the table of rates, the buttons below.
namespace baud {
inline constexpr QSize client = clientSize(7200, 6480);
inline constexpr Twips crystalLabel{120, 180, 1800, 255};
inline constexpr Twips crystal{1950, 120, 1200, 375};
inline constexpr Twips chipLabel{3270, 180, 780, 255};
inline constexpr Twips chip{4080, 120, 3000, 375};
inline constexpr Twips generatorLabel{120, 660, 1800, 255};
inline constexpr Twips generator{1950, 600, 3000, 375};
inline constexpr Twips customRateLabel{120, 1140, 1800, 255};
inline constexpr Twips customRate{1950, 1080, 1200, 375};
inline constexpr Twips note{120, 1530, 6960, 255}; // what the colour means, what was copied
inline constexpr Twips table{120, 1800, 6960, 3840};
inline constexpr CodeRow code = codeRow(5760, 6180, 240);
// Five columns: rate, reload, actual rate, error, remark; each at least this wide.
inline constexpr int columnTwips[] = {780, 660, 780, 780};
} // namespace baud

// The plan window: the interval, crystal and chip above the table of plans and the chosen one's
// figures, the read-back below.
namespace plan {
inline constexpr QSize client = clientSize(7200, 6390);
inline constexpr Twips note{120, 1080, 6960, 255};   // what was copied, or why nothing shows
inline constexpr Twips table{120, 1440, 6960, 2160}; // five plans in view at least
inline constexpr Twips detail{120, 3660, 6960, 255}; // the chosen plan's other figures
inline constexpr CodeRow code = codeRow(3990, 4440);
inline constexpr Twips readBack{120, 4770, 6960, 1560};
// Inside the read-back group.
inline constexpr Twips modeLabel{120, 390, 960, 255};
inline constexpr Twips mode{1110, 330, 2400, 375};
inline constexpr Twips highLabel{3540, 390, 960, 255};
inline constexpr Twips high{4530, 330, 660, 375};
inline constexpr Twips lowLabel{5220, 390, 960, 255};
inline constexpr Twips low{6210, 330, 660, 375};
inline constexpr Twips readResult{120, 780, 6720, 255};
inline constexpr Twips generatorLabel{120, 1170, 960, 255};
inline constexpr Twips generator{1140, 1110, 2400, 375};
inline constexpr Twips reloadLabel{3630, 1170, 960, 255};
inline constexpr Twips reload{4620, 1110, 660, 375};
inline constexpr Twips baudResult{5370, 1170, 1470, 255};
// Columns: timer, counts a tick, reload, ticks, error; then the period. Each at least this wide.
inline constexpr int columnTwips[] = {1500, 780, 660, 900, 1000};
} // namespace plan

// The delay window: the delay, crystal, chip and form above what the delay achieves and how,
// the buttons below.
namespace delay {
inline constexpr QSize client = clientSize(7200, 5280);
inline constexpr Twips kindLabel{120, 1140, 1380, 255};
inline constexpr Twips kind{1560, 1080, 2700, 375};
inline constexpr Twips methodLabel{4380, 1140, 1140, 255}; // loops or a timer's overflows
inline constexpr Twips method{5580, 1080, 1500, 375};
inline constexpr Twips working{120, 1560, 6960, 2370}; // achieved, error and the sum, wrapped
inline constexpr Twips note{120, 4020, 6960, 255};     // what was copied, or why nothing is
inline constexpr CodeRow code = codeRow(4440, 4920);
} // namespace delay

// The square-wave window: the frequency, crystal and chip above the table of ways, the chosen
// way's reason or figures, and the buttons.
namespace wave {
inline constexpr QSize client = clientSize(7200, 5160);
inline constexpr Twips note{120, 1080, 6960, 255}; // the error's sign, what was copied
inline constexpr Twips table{120, 1440, 6960, 2400};
inline constexpr Twips detail{120, 3900, 6960, 255}; // the chosen way: its reason, or its figures
inline constexpr CodeRow code = codeRow(4260, 4740);
// Columns: the way, its reload, the frequency achieved, the error, the pin; then the remark.
inline constexpr int columnTwips[] = {1800, 660, 1200, 900, 540};
} // namespace wave

// The working behind a figure: the text, then its buttons.
namespace working {
inline constexpr QSize client = clientSize(7200, 5400);
inline constexpr Twips text{120, 120, 6960, 4620};
inline constexpr Twips copy{4290, 4860, 1380, 375};
inline constexpr Twips close{5790, 4860, 1290, 375};
} // namespace working

// Each tool window's 计算过程 button, in the column of its 关闭 button.
namespace workingButton {
inline constexpr Twips baud{5580, 1080, 1500, 375};   // beside the custom rate
inline constexpr Twips timeRow{5580, 600, 1500, 375}; // beside the chip
} // namespace workingButton

} // namespace tickora::layout
