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

// The baud-rate window: its inputs in two rows above the table of rates, the buttons below.
namespace form4 {
inline constexpr QSize client = clientSize(6300, 6000);
inline constexpr Twips label1{120, 180, 1800, 255};
inline constexpr Twips text1{1950, 120, 1200, 375};
inline constexpr Twips label2{3300, 180, 1200, 255};
inline constexpr Twips combo1{4500, 120, 1680, 375};
inline constexpr Twips label3{120, 660, 1800, 255};
inline constexpr Twips combo2{1950, 600, 2700, 375};
inline constexpr Twips label4{120, 1140, 1800, 255};
inline constexpr Twips text2{1950, 1080, 1200, 375};
inline constexpr Twips label5{3300, 1140, 2880, 255}; // why a generator gives no values
inline constexpr Twips grid1{120, 1560, 6060, 3720};
inline constexpr Twips command1{2400, 5460, 1800, 375};
inline constexpr Twips command2{4380, 5460, 1800, 375};
// Five columns: rate, reload, actual rate, error, remark.
inline constexpr int columnTwips[] = {1050, 900, 1350, 1050};
} // namespace form4

} // namespace tickora::layout
