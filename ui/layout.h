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

// The baud-rate window: its inputs in three rows above the table of rates, the buttons below.
namespace baud {
inline constexpr QSize client = clientSize(7800, 6000);
inline constexpr Twips crystalLabel{120, 180, 1800, 255};
inline constexpr Twips crystal{1950, 120, 1200, 375};
inline constexpr Twips chipLabel{3300, 180, 900, 255};
inline constexpr Twips chip{4200, 120, 3480, 375};
inline constexpr Twips generatorLabel{120, 660, 1800, 255};
inline constexpr Twips generator{1950, 600, 3000, 375};
inline constexpr Twips customRateLabel{120, 1140, 1800, 255};
inline constexpr Twips customRate{1950, 1080, 1200, 375};
inline constexpr Twips note{3300, 1140, 4380, 255}; // what the colour means, what was copied
inline constexpr Twips table{120, 1560, 7560, 3720};
inline constexpr Twips languageLabel{120, 5520, 900, 255};
inline constexpr Twips language{1200, 5460, 2580, 375}; // the code's language, beside its copy
inline constexpr Twips copy{3900, 5460, 1800, 375};
inline constexpr Twips close{5880, 5460, 1800, 375};
// Five columns: rate, reload, actual rate, error, remark.
inline constexpr int columnTwips[] = {900, 900, 1050, 900};
} // namespace baud

// The plan window: the interval, crystal and chip above the table of plans, the read-back
// below it.
namespace plan {
inline constexpr QSize client = clientSize(9000, 6240);
inline constexpr Twips intervalLabel{120, 180, 1500, 255};
inline constexpr Twips interval{1650, 120, 1500, 375};
inline constexpr Twips unit{3210, 120, 900, 375};
inline constexpr Twips crystalLabel{4260, 180, 1700, 255};
inline constexpr Twips crystal{6000, 120, 1200, 375};
inline constexpr Twips chipLabel{120, 660, 1500, 255};
inline constexpr Twips chip{1650, 600, 3480, 375};
inline constexpr Twips note{5250, 660, 3630, 255}; // what was copied, or why nothing shows
inline constexpr Twips table{120, 1080, 8760, 2400};
inline constexpr Twips languageLabel{1350, 3660, 900, 255};
inline constexpr Twips language{2280, 3600, 2760, 375}; // the code's language, beside its copy
inline constexpr Twips copy{5160, 3600, 1800, 375};
inline constexpr Twips close{7080, 3600, 1800, 375};
inline constexpr Twips readBack{120, 4140, 8760, 1980};
// Inside the read-back group.
inline constexpr Twips modeLabel{120, 390, 1020, 255};
inline constexpr Twips mode{1200, 330, 2850, 375};
inline constexpr Twips highLabel{4200, 390, 1050, 255};
inline constexpr Twips high{5280, 330, 750, 375};
inline constexpr Twips lowLabel{6180, 390, 1050, 255};
inline constexpr Twips low{7260, 330, 750, 375};
inline constexpr Twips readResult{120, 840, 8500, 255};
inline constexpr Twips generatorLabel{120, 1290, 1020, 255};
inline constexpr Twips generator{1200, 1230, 2850, 375};
inline constexpr Twips reloadLabel{4200, 1290, 1050, 255};
inline constexpr Twips reload{5280, 1230, 900, 375};
inline constexpr Twips baudResult{6300, 1290, 2340, 255};
// Columns: timer, counts a tick, reload, ticks, achieved, error, ppm, rate; then the period.
inline constexpr int columnTwips[] = {1600, 800, 650, 750, 1400, 800, 600, 1050};
} // namespace plan

} // namespace tickora::layout
